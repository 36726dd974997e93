# The Kelvo editor layout, and the artwork it shows in the bundle's resources.
add_library(KelvoEditor STATIC ${CMAKE_CURRENT_LIST_DIR}/KelvoEditor.cpp)
target_include_directories(KelvoEditor PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(KelvoEditor PUBLIC IGraphicsMac IGraphics IPlugCore)
add_dependencies(Kelvo KelvoArtwork)
