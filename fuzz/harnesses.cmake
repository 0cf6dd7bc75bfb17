# quarn2_fuzz_harnesses(<driver sources...>): one executable fuzz_NAME per fuzz/NAME_fuzz.cpp, linked
# with the shared support, the given driver and every library a reader may need. Sets
# QUARN2_FUZZ_NAMES in the caller's scope.
function(quarn2_fuzz_harnesses)
  set(here ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
  add_library(fuzz_support STATIC ${here}/fuzz_support.cpp ${here}/fuzz_resource.cpp ${here}/fuzz_readers.cpp
    ${here}/fuzz_scene.cpp ${ARGN})
  target_include_directories(fuzz_support PUBLIC ${QUARN2_SOURCE_DIR})
  target_compile_definitions(fuzz_support PRIVATE QUARN2_SOURCE_DIR="${QUARN2_SOURCE_DIR}")
  # The scene description reader is the tools' own.
  target_link_libraries(fuzz_support PUBLIC framework_image resource_tools document scene_tools)

  file(GLOB sources CONFIGURE_DEPENDS ${here}/*_fuzz.cpp)
  set(names "")
  foreach(source ${sources})
    get_filename_component(name ${source} NAME_WE)
    string(REGEX REPLACE "_fuzz$" "" name ${name})
    add_executable(fuzz_${name} ${source})
    target_link_libraries(fuzz_${name} PRIVATE fuzz_support)
    list(APPEND names ${name})
  endforeach()
  # The DXF and 3DMF harnesses run the plug-ins' code linked in, through the recording host of the
  # plug-in tests; the metafile harness runs the 3DMF plug-in's metafile library alone.
  if(NOT TARGET recording_host)
    include(${QUARN2_SOURCE_DIR}/tests/plugins/recording_host.cmake)
  endif()
  target_link_libraries(fuzz_dxf PRIVATE osprel recording_host)
  target_link_libraries(fuzz_3dmf PRIVATE vendrix recording_host)
  target_link_libraries(fuzz_metafile PRIVATE metafile)
  set(QUARN2_FUZZ_NAMES ${names} PARENT_SCOPE)
endfunction()
