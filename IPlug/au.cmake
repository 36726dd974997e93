# The Audio Unit wrapper.
add_library(IPlugAU STATIC
  ${CMAKE_CURRENT_LIST_DIR}/IPlugAU.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPlugAU_entry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPlugAU_props.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPlugAU_render.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPlugAU_state.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPlugAU_CF.cpp)
target_include_directories(IPlugAU PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/IPlug)
target_link_libraries(IPlugAU PUBLIC IPlugCore AudioToolbox CoreFoundation)
