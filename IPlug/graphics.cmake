# The editor graphics core: drawing operations, caches, the control base and popup menus.
add_library(IGraphics STATIC
  ${CMAKE_CURRENT_LIST_DIR}/IGraphics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IGraphicsDraw.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IGraphicsStorage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IBitmapText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPopupMenu.cpp)
target_include_directories(IGraphics PUBLIC ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(IGraphics PUBLIC IPlugCore raster base)
