# One target per box: sources are every .cpp under <dir>/src, public headers
# live under <dir>/include/<HeaderDir>/.
function(smutil_component target dir header_dir)
  cmake_parse_arguments(ARG "SHARED" "" "PUBLIC_LIBS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/src/*.cpp)
  if(NOT sources)
    # A box that has only headers so far.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/include)
    target_link_libraries(${target} INTERFACE ${ARG_PUBLIC_LIBS})
    add_library(smutil::${header_dir} ALIAS ${target})
    return()
  elseif(ARG_SHARED)
    add_library(${target} SHARED ${sources})
  else()
    add_library(${target} STATIC ${sources})
  endif()
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/${dir}/include>
    $<INSTALL_INTERFACE:include>)
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/src)
  target_link_libraries(${target} PUBLIC ${ARG_PUBLIC_LIBS})
  target_compile_definitions(${target} PRIVATE
    SMUTIL_SAMPLES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/samples")
  add_library(smutil::${header_dir} ALIAS ${target})
endfunction()

# One test program per box: every .cpp under tests/<box>.
# A suite links only its own box, so a box's tests build while a higher box is
# being changed.
function(smutil_test_suite box lib)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/${box}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(name test_${box})
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${lib} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    SMUTIL_SAMPLES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/samples"
    SMUTIL_TOOL_PATH="$<TARGET_FILE:smutil>")
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <string> <vector>)
  if(box STREQUAL "tools")
    add_dependencies(${name} smutil)
  endif()
  gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} DISCOVERY_TIMEOUT 60)
endfunction()
