# The product: the Kelvo effect class and its stereo signal path.
add_library(KelvoEffect STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Kelvo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/KelvoCircuit.cpp)
target_include_directories(KelvoEffect PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(KelvoEffect PUBLIC Coeffs IPlugCore IPlugAU KelvoEditor)
