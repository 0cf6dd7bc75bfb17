# Profile-guided optimisation of Release builds (QUARN2_PGO): a training build of quarn2-scene and
# quarn2-render with counters, in pgo-training/ of the build folder, renders the scenes of
# scripts/pgo_train.sh; its counts, in pgo-profile/, then guide how this build lays out, inlines and
# unrolls every library. What training never ran is optimised as without a profile. A changed source
# is built and trained again before this build compiles it; files unchanged keep the counts they were
# compiled with, which only a clean build renews. The pictures do not change: only the speed does.
#
# Included before the libraries; quarn2_pgo_dependencies() after them makes every compiled target
# wait for the counts.

set(QUARN2_PGO_STAGE "" CACHE STRING "Set by a profile-guided build in its training build: generate")
mark_as_advanced(QUARN2_PGO_STAGE)

if(QUARN2_PGO_STAGE STREQUAL "generate")
  # The training build counts; it need not optimise across libraries, since the counters are placed
  # before that step, and linking without it is much quicker. The tools end with _Exit, which skips
  # the exit handler that writes the counts: they call __gcov_dump, which a weak reference alone
  # would not pull in.
  set(CMAKE_INTERPROCEDURAL_OPTIMIZATION_RELEASE OFF)
  add_compile_options(-fprofile-generate=${QUARN2_PGO_DIR} -fprofile-prefix-path=${CMAKE_BINARY_DIR})
  add_link_options(-fprofile-generate=${QUARN2_PGO_DIR} -Wl,--undefined=__gcov_dump)
  set(QUARN2_PGO_ACTIVE OFF)
elseif(QUARN2_PGO AND CMAKE_BUILD_TYPE STREQUAL "Release" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU"
       AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 11 AND NOT QUARN2_SANITIZE AND NOT QUARN2_TSAN)
  set(QUARN2_PGO_ACTIVE ON)
  set(QUARN2_PGO_DIR ${CMAKE_BINARY_DIR}/pgo-profile)
  set(training ${CMAKE_BINARY_DIR}/pgo-training)
  # Under make the training build shares this build's job slots; else it takes one job a core.
  if(CMAKE_GENERATOR MATCHES "Makefiles")
    set(build_tools $(MAKE) quarn2-scene quarn2-render)
  else()
    cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
    set(build_tools ${CMAKE_COMMAND} --build ${training} --parallel ${cores} --target quarn2-scene quarn2-render)
  endif()
  include(ExternalProject)
  ExternalProject_Add(pgo_training_build
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${training}
    PREFIX ${training}/external
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DQUARN2_PGO=OFF -DQUARN2_PGO_STAGE=generate
      -DQUARN2_PGO_DIR=${QUARN2_PGO_DIR} -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER}
      -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
    BUILD_COMMAND ${build_tools}
    BUILD_BYPRODUCTS ${training}/quarn2-scene ${training}/quarn2-render
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  # Counts add up over runs: each training starts from none.
  add_custom_command(OUTPUT ${QUARN2_PGO_DIR}/trained
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${QUARN2_PGO_DIR}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QUARN2_PGO_DIR}
    COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/pgo_train.sh ${training}/quarn2-scene ${training}/quarn2-render
    COMMAND ${CMAKE_COMMAND} -E touch ${QUARN2_PGO_DIR}/trained
    DEPENDS pgo_training_build ${training}/quarn2-scene ${training}/quarn2-render
      ${PROJECT_SOURCE_DIR}/scripts/pgo_train.sh
    COMMENT "Training renders for the profile-guided build")
  add_custom_target(pgo_profile DEPENDS ${QUARN2_PGO_DIR}/trained)
  # Counts are looked up by the object's path below the build folder. Files the training build does
  # not compile (the program's own libraries) have none, which is no fault.
  set(QUARN2_PGO_FLAGS -fprofile-use=${QUARN2_PGO_DIR} -fprofile-partial-training
    -fprofile-prefix-path=${CMAKE_BINARY_DIR} -Wno-missing-profile)
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:${QUARN2_PGO_FLAGS}>")
  add_link_options(${QUARN2_PGO_FLAGS})
else()
  set(QUARN2_PGO_ACTIVE OFF)
endif()

# Every target that compiles, in the folder and those below it, waits for the training.
function(quarn2_pgo_dependencies dir)
  if(NOT QUARN2_PGO_ACTIVE)
    return()
  endif()
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      add_dependencies(${target} pgo_profile)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    quarn2_pgo_dependencies(${subdir})
  endforeach()
endfunction()
