# Shared build settings: warnings, float determinism, static Windows linking, test helpers.

option(FENLIGHT_BUILD_TESTS "Build the tests" ON)
option(FENLIGHT_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(WIN32 OR CMAKE_CROSSCOMPILING)
  set(FENLIGHT_BUILD_BENCH OFF CACHE BOOL "Build the benchmarks")
else()
  set(FENLIGHT_BUILD_BENCH ON CACHE BOOL "Build the benchmarks")
endif()

# Every build must produce the same scene bit for bit from the same seed: SSE arithmetic
# (no x87 excess precision on i686) and no fused multiply-add contraction.
add_compile_options(-ffp-contract=off)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "i.86")
  add_compile_options(-msse2 -mfpmath=sse)
endif()

# The fuzz preset: every library instrumented for libFuzzer's coverage and checked by the sanitizers;
# only the fuzz targets themselves link libFuzzer's driver (fenlight_add_fuzz).
option(FENLIGHT_FUZZ "Build the libFuzzer targets (clang)" OFF)
if(FENLIGHT_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(FENLIGHT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # One self-contained file: no libstdc++, libgcc or winpthread DLLs beside the program.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # The same sources give the same bytes: no link time in the PE header.
  add_link_options(-Wl,--no-insert-timestamp)
endif()

# Shipped builds carry no folder names: file names in the binaries are relative to the source or build folder,
# so two builds of one commit in different folders are byte-identical. Debug builds keep full paths for the
# debugger.
if(NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/= -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
endif()

# Installed folders are world-readable whatever the umask of the build, so packages come out the same.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)

# fenlight_gzip(TARGET SOURCE OUTPUT): OUTPUT is SOURCE compressed as Debian wants it, with no name or time in
# the gzip header; TARGET makes it with every build.
function(fenlight_gzip target source output)
  add_custom_command(OUTPUT ${output} COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${source} ${output}
                     DEPENDS ${source} VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()

# Our own code builds with every warning as an error; third-party code (GoogleTest) does not.
function(fenlight_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Test framework: Debian's GoogleTest natively, built from its sources for Windows targets.
macro(fenlight_find_gtest)
  if(NOT TARGET GTest::gtest_main)
    if(CMAKE_CROSSCOMPILING)
      set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
      # GoogleTest's own CMake defines the GTest:: aliases.
      add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    else()
      find_package(GTest REQUIRED)
    endif()
  endif()
endmacro()

# fenlight_add_test_run(PROGRAM NAME [ARGS ...] [ENVIRONMENT VAR=VALUE...]): a run of a fenlight_add_test
# program as the test NAME, with those arguments and that environment; skipped as the program's own test is.
function(fenlight_add_test_run program name)
  cmake_parse_arguments(R "" "" "ARGS;ENVIRONMENT" ${ARGN})
  if(FENLIGHT_NO_32BIT AND WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_test(NAME ${name} COMMAND sh -c [=[echo "skipped: $1: $2 needs a 32-bit process"; exit 77]=] sh
                                  "${FENLIGHT_NO_32BIT}" ${program}.exe)
  else()
    add_test(NAME ${name} COMMAND ${program} --gtest_brief=1 ${R_ARGS})
  endif()
  # In English unless a language is asked for: under Wine the programs speak the language LANG names.
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77
                       ENVIRONMENT "LANG=C.UTF-8;${R_ENVIRONMENT}"
                       ENVIRONMENT_MODIFICATION "LC_ALL=unset:;LC_MESSAGES=unset:")
endfunction()

# fenlight_add_test(NAME name SOURCES ... LIBS ... [NATIVE_ONLY] [WINDOWS_ONLY] [LABELS ...])
# FENLIGHT_NO_32BIT: why this machine cannot run 32-bit programs, where make test found so.
# One GoogleTest program, run as one CTest test (under Wine when cross-compiling, through tools/wine-run, which
# ends with 77, reported as skipped, where the program cannot start: a 32-bit one without 32-bit support).
function(fenlight_add_test)
  cmake_parse_arguments(T "NATIVE_ONLY;WINDOWS_ONLY" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  if(T_NATIVE_ONLY AND WIN32)
    return()
  endif()
  if(T_WINDOWS_ONLY AND NOT WIN32)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  fenlight_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main)
  if(FENLIGHT_NO_32BIT AND WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    # make test found that this machine cannot run 32-bit programs: the program is left out of the build, and
    # its test says why it is skipped, as tools/wine would have.
    set_target_properties(${T_NAME} PROPERTIES EXCLUDE_FROM_ALL ON)
  endif()
  fenlight_add_test_run(${T_NAME} ${T_NAME})
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# fenlight_add_fuzz(NAME name SOURCES ... LIBS ...): one libFuzzer target; its seed corpus is
# tests/fuzz/corpus/<name without _fuzz>, and tools/fuzz runs it.
function(fenlight_add_fuzz)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${F_NAME} ${F_SOURCES})
  fenlight_warnings(${F_NAME})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
endfunction()

# fenlight_wayland_protocols(TARGET XML...): a static library of the client code wayland-scanner writes for
# each protocol description, and its headers ("<name>-client-protocol.h") on the include path of its users.
function(fenlight_wayland_protocols target)
  find_program(FENLIGHT_WAYLAND_SCANNER wayland-scanner REQUIRED)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target})
  set(sources)
  foreach(xml ${ARGN})
    get_filename_component(name ${xml} NAME_WE)
    add_custom_command(OUTPUT ${dir}/${name}-client-protocol.h ${dir}/${name}-protocol.c
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
                       COMMAND ${FENLIGHT_WAYLAND_SCANNER} client-header ${xml} ${dir}/${name}-client-protocol.h
                       COMMAND ${FENLIGHT_WAYLAND_SCANNER} private-code ${xml} ${dir}/${name}-protocol.c
                       DEPENDS ${xml} VERBATIM)
    list(APPEND sources ${dir}/${name}-client-protocol.h ${dir}/${name}-protocol.c)
  endforeach()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${dir})
endfunction()
