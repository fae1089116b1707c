# Prints the project version of the top-level CMakeLists.txt, the one place it is written:
#   cmake -P cmake/print-version.cmake       (tools/version, make print-version)
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../CMakeLists.txt project_line REGEX "^project\\(Fenlight VERSION ")
if(NOT project_line MATCHES "VERSION ([0-9]+\\.[0-9]+\\.[0-9]+)")
  message(FATAL_ERROR "no project(Fenlight VERSION x.y.z) line in CMakeLists.txt")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E echo ${CMAKE_MATCH_1})
