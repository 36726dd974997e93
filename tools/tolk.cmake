# tolk-response: prints the circuit filter's measured frequency response.
add_executable(tolk-response ${CMAKE_CURRENT_LIST_DIR}/tolk-response.cpp)
target_link_libraries(tolk-response PRIVATE Coeffs)
