# Run by cpack on the staged files before it packs them: strips the program as Debian's own tools
# do (no symbols, no compiler notes) and packs its debug information as Debian ships it, the
# package xvela-dbgsym beside the game's, with the file under /usr/lib/debug/.build-id/ where gdb
# looks for it by the program's build id. (CPack's own debug package names its file by the build
# tree's absolute path in its md5sums, which lintian rejects.)
#
# With SOURCE_DATE_EPOCH set, every file of both packages is dated then, so that the same tree
# makes the same packages wherever and whenever it is built.
set(program ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_ARENA_PROGRAM})
execute_process(COMMAND ${CPACK_READELF_EXECUTABLE} -n ${program} OUTPUT_VARIABLE notes COMMAND_ERROR_IS_FATAL ANY)
if(NOT notes MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
  message(FATAL_ERROR "${program} has no build id to file its debug information by")
endif()
set(build_id ${CMAKE_MATCH_1}${CMAKE_MATCH_2})
set(name ${CPACK_PACKAGE_NAME}-dbgsym)
set(root ${CPACK_TOPLEVEL_DIRECTORY}/${name})
set(debug_file ${root}/usr/lib/debug/.build-id/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}.debug)
file(REMOVE_RECURSE ${root})
get_filename_component(debug_dir ${debug_file} DIRECTORY)
file(MAKE_DIRECTORY ${debug_dir} ${root}/DEBIAN ${root}/usr/share/doc)
execute_process(COMMAND ${CPACK_OBJCOPY_EXECUTABLE} --only-keep-debug --compress-debug-sections ${program} ${debug_file}
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CPACK_OBJCOPY_EXECUTABLE} --strip-all --remove-section=.comment
                        --remove-section=.note ${program} COMMAND_ERROR_IS_FATAL ANY)
# Its documentation is the game's, as Debian's debug packages do it.
file(CREATE_LINK ${CPACK_PACKAGE_NAME} ${root}/usr/share/doc/${name} SYMBOLIC)

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
# In KiB as dpkg counts it: each file rounded up, one for each directory and link.
file(GLOB_RECURSE entries LIST_DIRECTORIES true ${root}/usr/*)
set(size 0)
foreach(entry ${entries})
  if(IS_SYMLINK ${entry} OR IS_DIRECTORY ${entry})
    math(EXPR size "${size} + 1")
  else()
    file(SIZE ${entry} bytes)
    math(EXPR size "${size} + (${bytes} + 1023) / 1024")
  endif()
endforeach()
string(CONCAT control
  "Package: ${name}\n"
  "Source: ${CPACK_PACKAGE_NAME}\n"
  "Version: ${CPACK_PACKAGE_VERSION}\n"
  "Auto-Built-Package: debug-symbols\n"
  "Architecture: ${arch}\n"
  "Maintainer: ${CPACK_PACKAGE_CONTACT}\n"
  "Installed-Size: ${size}\n"
  "Depends: ${CPACK_PACKAGE_NAME} (= ${CPACK_PACKAGE_VERSION})\n"
  "Section: debug\n"
  "Priority: optional\n"
  "Description: debug symbols for ${CPACK_PACKAGE_NAME}\n"
  "Build-Ids: ${build_id}\n")
file(WRITE ${root}/DEBIAN/control "${control}")
file(RELATIVE_PATH debug_path ${root} ${debug_file})
execute_process(COMMAND md5sum ${debug_path} WORKING_DIRECTORY ${root} OUTPUT_FILE ${root}/DEBIAN/md5sums
                COMMAND_ERROR_IS_FATAL ANY)

# objcopy gives the debug file the program's modes.
file(CHMOD ${debug_file} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
# cpack dates the game's files by SOURCE_DATE_EPOCH itself; dpkg-deb only keeps later ones from
# going past it.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND find ${root} -exec touch -h -d @$ENV{SOURCE_DATE_EPOCH} {} + COMMAND_ERROR_IS_FATAL ANY)
endif()
set(deb ${CPACK_PACKAGE_DIRECTORY}/${name}_${CPACK_PACKAGE_VERSION}_${arch}.deb)
execute_process(COMMAND dpkg-deb --root-owner-group --build ${root} ${deb} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "Debug-symbol package: ${deb}")
