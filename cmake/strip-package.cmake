# Run by cpack on the staged files before it packs them: strips the program as Debian's own
# tools do (no symbols, no compiler notes) and keeps its debug information beside the package,
# filed by build id, so that `gdb -iex "set debug-file-directory <dir>/debug"` finds it for the
# installed program or a core file of it.
set(program ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_ARENA_PROGRAM})
execute_process(COMMAND ${CPACK_READELF_EXECUTABLE} -n ${program} OUTPUT_VARIABLE notes COMMAND_ERROR_IS_FATAL ANY)
if(NOT notes MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
  message(FATAL_ERROR "${program} has no build id to file its debug information by")
endif()
set(debug_file ${CPACK_PACKAGE_DIRECTORY}/debug/.build-id/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}.debug)
get_filename_component(debug_dir ${debug_file} DIRECTORY)
file(MAKE_DIRECTORY ${debug_dir})
execute_process(COMMAND ${CPACK_OBJCOPY_EXECUTABLE} --only-keep-debug ${program} ${debug_file}
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CPACK_OBJCOPY_EXECUTABLE} --strip-all --remove-section=.comment
                        --remove-section=.note ${program} COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "Debug information of ${CPACK_ARENA_PROGRAM}: ${debug_file}")
