# artwork: draws the editor's pictures with the raster library; the build writes them into the
# bundle's resources (target KelvoArtwork, which the bundle depends on).
add_executable(artwork ${CMAKE_CURRENT_LIST_DIR}/artwork.cpp)
target_include_directories(artwork PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(artwork PRIVATE raster swell base)

set(KELVO_ARTWORK_DIR ${KELVO_BUNDLE_DIR}/Contents/Resources)
set(KELVO_ARTWORK_FILES
  ${KELVO_ARTWORK_DIR}/bg.png ${KELVO_ARTWORK_DIR}/by.png
  ${KELVO_ARTWORK_DIR}/OUT.png ${KELVO_ARTWORK_DIR}/SUS.png ${KELVO_ARTWORK_DIR}/TON.png)
add_custom_command(OUTPUT ${KELVO_ARTWORK_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KELVO_ARTWORK_DIR}
  COMMAND artwork ${KELVO_ARTWORK_DIR}
  DEPENDS artwork
  COMMENT "Drawing the editor's pictures"
  VERBATIM)
add_custom_target(KelvoArtwork ALL DEPENDS ${KELVO_ARTWORK_FILES})
