# kelvo_add_test(NAME name SOURCES ... LIBS ...)
# One GoogleTest executable, its cases registered with CTest.
# In a shared work tree a test whose sources are still being written is skipped with a
# warning; ./test.sh configures with KELVO_STRICT_SOURCES=ON, where a missing file is an error.
option(KELVO_STRICT_SOURCES "A test source that does not exist is an error" OFF)
function(kelvo_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(NOT KELVO_STRICT_SOURCES)
    foreach(src ${T_SOURCES})
      if(NOT IS_ABSOLUTE ${src})
        set(src ${CMAKE_CURRENT_SOURCE_DIR}/${src})
      endif()
      if(NOT EXISTS ${src})
        # A placeholder target, outside "all", so that the folder's other commands still apply.
        message(WARNING "${T_NAME}: ${src} does not exist yet; test skipped")
        set(stub ${CMAKE_BINARY_DIR}/kelvo_missing_source_stub.cpp)
        if(NOT EXISTS ${stub})
          file(WRITE ${stub} "int main() { return 1; }\n")
        endif()
        add_executable(${T_NAME} EXCLUDE_FROM_ALL ${stub})
        return()
      endif()
    endforeach()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES TIMEOUT 300 ENVIRONMENT "KELVO_BUILD_DIR=${CMAKE_BINARY_DIR}")
endfunction()

# kelvo_add_bench(NAME name SOURCES ... LIBS ...)
function(kelvo_add_bench)
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(NOT KELVO_BENCH)
    return()
  endif()
  add_executable(${B_NAME} ${B_SOURCES})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()

# kelvo_add_subfolders(): adds every sub-folder of the current folder that has a CMakeLists.txt,
# in name order; each is one area's own.
function(kelvo_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
