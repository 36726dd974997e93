# The host-independent plug-in framework core: base, parameters, state, presets and their files.
add_library(IPlugCore STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Base64.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ByteChunk.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Hosts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IMidiMsg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IParam.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPlugBase.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPlugFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IPlugPresets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Log.cpp)
target_include_directories(IPlugCore PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/IPlug)
# The base hands parameter values to its editor; the editor library in turn builds on the base.
target_link_libraries(IPlugCore PUBLIC base $<TARGET_NAME_IF_EXISTS:IGraphics>)
# The buffer conversions between the host's floats and the plug-in's doubles run over every
# sample: at -O3 whatever the build type, where the compiler vectorises them.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/IPlugBase.cpp PROPERTIES COMPILE_OPTIONS -O3)
