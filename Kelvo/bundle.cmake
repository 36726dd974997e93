# The Kelvo.component bundle: Contents/Info.plist, Contents/MacOS/Kelvo, Contents/Resources/.
add_library(Kelvo MODULE ${CMAKE_CURRENT_LIST_DIR}/KelvoEntry.cpp)
target_link_libraries(Kelvo PRIVATE KelvoEffect IPlugAU)
set_target_properties(Kelvo PROPERTIES
  PREFIX "" SUFFIX "" OUTPUT_NAME Kelvo
  LIBRARY_OUTPUT_DIRECTORY ${KELVO_BUNDLE_DIR}/Contents/MacOS
  LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/exports.map)
# Only the three entry points leave the bundle; the framework's code stays local.
target_link_options(Kelvo PRIVATE -Wl,--version-script=${CMAKE_CURRENT_LIST_DIR}/exports.map
  -Wl,--exclude-libs,ALL -Wl,-z,defs)
add_custom_command(TARGET Kelvo POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KELVO_BUNDLE_DIR}/Contents/Resources
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_CURRENT_LIST_DIR}/Info.plist
          ${KELVO_BUNDLE_DIR}/Contents/Info.plist
  VERBATIM)
