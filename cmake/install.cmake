# Installation and the Debian package. The game reads Data2/ relative to its working directory,
# so the launcher `xvela` changes into the data directory before starting the program.
#
# Two layouts, chosen when the tree is configured. The games layout that Debian's policy asks of
# a game (the command in games/, the data in share/games/xvela) is used for the package and by
# default for the prefix /usr; any other prefix gets the ordinary one (bin/, share/xvela).
include(GNUInstallDirs)

if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(arena_games_default ON)
else()
  set(arena_games_default OFF)
endif()
option(ARENA_GAMES_LAYOUT "Install as a Debian game: command in games/, data in share/games/xvela"
       ${arena_games_default})

if(ARENA_GAMES_LAYOUT)
  set(ARENA_BIN_DIR games)
  set(ARENA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/games/xvela)
else()
  set(ARENA_BIN_DIR ${CMAKE_INSTALL_BINDIR})
  set(ARENA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/xvela)
endif()
set(ARENA_LIBEXEC_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xvela)
set(ARENA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/xvela)
set(ARENA_DATA_PATH ${CMAKE_INSTALL_PREFIX}/${ARENA_DATA_DIR})
# The name is quoted: its brackets are not allowed in a bare mail phrase.
set(ARENA_MAINTAINER "\"x[vela] developers\" <developers@xvela.org>")
set(ARENA_HOMEPAGE "https://xvela.org/")
set(ARENA_APP_ID org.xvela.xvela)

set(arena_pkg ${PROJECT_SOURCE_DIR}/packaging)
set(arena_out ${PROJECT_BINARY_DIR}/packaging)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${arena_pkg}/changelog ${PROJECT_SOURCE_DIR}/LICENSE)

# The changelog's newest entry is the release: its version must be the project's, and its date
# goes into the manual page and the metainfo.
file(STRINGS ${arena_pkg}/changelog arena_changelog_head LIMIT_COUNT 1)
if(NOT arena_changelog_head MATCHES "^xvela \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry must be version ${PROJECT_VERSION}, "
                      "not \"${arena_changelog_head}\"")
endif()
file(STRINGS ${arena_pkg}/changelog arena_changelog_sign REGEX "^ -- " LIMIT_COUNT 1)
if(NOT arena_changelog_sign MATCHES ", ([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "packaging/changelog: no date in \"${arena_changelog_sign}\"")
endif()
set(arena_day ${CMAKE_MATCH_1})
set(arena_year ${CMAKE_MATCH_3})
set(arena_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND arena_months ${CMAKE_MATCH_2} arena_month)
math(EXPR arena_month "${arena_month} + 1")
if(arena_month EQUAL 0)
  message(FATAL_ERROR "packaging/changelog: unknown month in \"${arena_changelog_sign}\"")
endif()
string(REGEX REPLACE "^([0-9])$" "0\\1" arena_month ${arena_month})
string(REGEX REPLACE "^([0-9])$" "0\\1" arena_day ${arena_day})
set(ARENA_RELEASE_DATE ${arena_year}-${arena_month}-${arena_day})

# The copyright file carries LICENSE's terms as its licence paragraph: one blank-led line each,
# "." for an empty line.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE arena_license)
string(FIND "${arena_license}" "Permission is hereby granted" arena_terms)
string(SUBSTRING "${arena_license}" ${arena_terms} -1 arena_license)
string(STRIP "${arena_license}" arena_license)
string(REPLACE "\n\n" "\n.\n" arena_license "${arena_license}")
string(REPLACE "\n" "\n " ARENA_LICENSE_TEXT " ${arena_license}")

configure_file(${arena_pkg}/xvela.in ${arena_out}/xvela @ONLY)
configure_file(${arena_pkg}/xvela.6.in ${arena_out}/xvela.6 @ONLY)
configure_file(${arena_pkg}/${ARENA_APP_ID}.metainfo.xml.in ${arena_out}/${ARENA_APP_ID}.metainfo.xml @ONLY)
configure_file(${arena_pkg}/copyright.in ${arena_out}/copyright @ONLY)
configure_file(${arena_pkg}/changelog ${arena_out}/changelog COPYONLY)

# Manual pages and changelogs are installed compressed, without a time stamp in the archive.
find_program(ARENA_GZIP gzip REQUIRED)
foreach(arena_doc xvela.6 changelog)
  add_custom_command(OUTPUT ${arena_out}/${arena_doc}.gz
                     COMMAND ${ARENA_GZIP} -9nkf ${arena_out}/${arena_doc}
                     DEPENDS ${arena_out}/${arena_doc} VERBATIM)
  list(APPEND arena_compressed ${arena_out}/${arena_doc}.gz)
endforeach()
add_custom_target(packaging_docs ALL DEPENDS ${arena_compressed})

install(TARGETS arena RUNTIME DESTINATION ${ARENA_LIBEXEC_DIR})
install(PROGRAMS ${arena_out}/xvela DESTINATION ${ARENA_BIN_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Data2 DESTINATION ${ARENA_DATA_DIR})
if(EXISTS ${PROJECT_SOURCE_DIR}/platform/graphics/fonts.conf)
  install(FILES ${PROJECT_SOURCE_DIR}/platform/graphics/fonts.conf DESTINATION ${ARENA_DATA_DIR})
endif()
install(FILES ${arena_pkg}/${ARENA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${arena_out}/${ARENA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${arena_pkg}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${arena_out}/xvela.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${arena_out}/copyright ${arena_out}/changelog.gz DESTINATION ${ARENA_DOC_DIR})

set(CPACK_PACKAGE_NAME xvela)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ARENA_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Small 2D monster battle game")
# One line each in the control file, within Debian's 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Summon monsters from your hand and battle the enemy's summoner, one battle"
  "after another. Time bars fill on both sides; when one of yours is full, a"
  "menu lets you summon a monster onto the field or pick one of a monster's"
  "attacks and its target. Damage beyond a monster's hit points comes off the"
  "enemy's life."
  ""
  "The game is played with the mouse in one 640x480 window, drawn with OpenGL"
  "or, without it, by a CPU rasterizer.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ARENA_HOMEPAGE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# Runtime libraries come from the binary's own links; fonts are looked up at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, libdecor-0-plugin-1-cairo")
# The package holds a stripped program; its debug information stays beside the package, filed
# by build id. (CPack's own debug package lists its file by an absolute path in md5sums.)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/strip-package.cmake)
set(CPACK_ARENA_PROGRAM ${ARENA_LIBEXEC_DIR}/arena)
set(CPACK_GENERATOR DEB)
# Written into CPack's configuration as they are: the maintainer's quotes, the description's lines.
set(CPACK_VERBATIM_VARIABLES ON)
# A tree in the ordinary layout would make a package Debian rejects; say how to get a good one.
if(NOT ARENA_GAMES_LAYOUT)
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/refuse-package.cmake)
endif()
include(CPack)
