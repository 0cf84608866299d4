# zanto_add_test(NAME SOURCES ... [LIBS ...] [LABELS ...])
# One GoogleTest executable; every test case is registered with CTest. Label "unit" runs in the
# sanitizer build too; "gui" tests run on Qt's offscreen platform.
function(zanto_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  # The environment goes through an env launcher: a list in gtest_discover_tests' PROPERTIES is
  # flattened, so an ENVIRONMENT list would reach the tests cut after its first entry.
  set(home ${CMAKE_BINARY_DIR}/test-home)
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
    "/usr/bin/env;QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy;ZANTO_SETTINGS=${home}/settings.reg;XDG_RUNTIME_DIR=${home}/run;XDG_CONFIG_HOME=${home}/config;XDG_DATA_HOME=${home}/data;ZANTO_CDPLAYER_INI=${home}/data/CDPLAYER.INI;ZANTO_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp")
  file(MAKE_DIRECTORY ${home}/run ${CMAKE_BINARY_DIR}/test-tmp)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${T_LABELS}" TIMEOUT 300)
endfunction()

# zanto_add_benchmark(NAME SOURCES ... [LIBS ...]): Google Benchmark program in build/bench.
function(zanto_add_benchmark name)
  if(NOT ZANTO_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
