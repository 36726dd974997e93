# The X11 editor host: the graphics window, its surface and input mapping, and the two prompts.
pkg_check_modules(X11LIBS REQUIRED IMPORTED_TARGET x11 xext)
add_library(IGraphicsX11 STATIC
  ${CMAKE_CURRENT_LIST_DIR}/x11/IGraphicsX11.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11/X11Errors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11/X11Input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11/X11Prompts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x11/X11Surface.cpp)
target_include_directories(IGraphicsX11 PUBLIC ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/x11)
target_link_libraries(IGraphicsX11 PUBLIC IGraphics IPlugCore PkgConfig::X11LIBS ${CMAKE_DL_LIBS})
# XTest, with which tests play the user.
pkg_check_modules(XTST IMPORTED_TARGET xtst)
if(XTST_FOUND)
  add_library(X11Test INTERFACE)
  target_link_libraries(X11Test INTERFACE PkgConfig::XTST PkgConfig::X11LIBS)
endif()
