# kelvo_add_test(NAME name SOURCES ... LIBS ...)
# One GoogleTest executable, its cases registered with CTest. Nothing with KELVO_TESTS off.
function(kelvo_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(NOT KELVO_TESTS)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR})
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES TIMEOUT 300 ENVIRONMENT "KELVO_BUILD_DIR=${CMAKE_BINARY_DIR}")
endfunction()

# kelvo_add_bench(NAME name SOURCES ... LIBS ...)
# One Google Benchmark executable. Nothing with KELVO_BENCH off.
function(kelvo_add_bench)
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(NOT KELVO_BENCH)
    return()
  endif()
  add_executable(${B_NAME} ${B_SOURCES})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
