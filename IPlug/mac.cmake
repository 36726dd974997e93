# The macOS editor host: the graphics window, the Cocoa view and the view factory.
add_library(IGraphicsMac STATIC
  ${CMAKE_CURRENT_LIST_DIR}/IGraphicsMac.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IGraphicsCocoa.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPlugAU_ViewFactory.cpp)
target_include_directories(IGraphicsMac PUBLIC ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(IGraphicsMac PUBLIC IGraphics IPlugAU AppKit AudioToolbox)
