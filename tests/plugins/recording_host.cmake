# The recording host of import plug-ins (recording_host.h), shared by the plug-in tests and the
# fuzzing harnesses, which include this file from their own build.
get_filename_component(QUARN2_RECORDING_HOST_ROOT ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
add_library(recording_host STATIC ${CMAKE_CURRENT_LIST_DIR}/recording_host.cpp)
target_include_directories(recording_host PUBLIC ${QUARN2_RECORDING_HOST_ROOT})
target_link_libraries(recording_host PUBLIC platform plugin_protocol)
