# One target per box: sources are every .cpp under <dir>/src, public headers
# live under <dir>/include/<HeaderDir>/. Every box is a shared library (see
# the top-level CMakeLists.txt for why); consumers name it smutil::<box>.
#
# With HOST the box is one of the hosts' (checks, site, translations): it is
# installed as a component of the package of its own, which a consumer asks
# for with find_package(smutil COMPONENTS <box>).
function(smutil_component target dir header_dir)
  cmake_parse_arguments(ARG "HOST" "" "PUBLIC_LIBS" ${ARGN})
  string(REPLACE "smutil_" "" box ${target})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/src/*.cpp)
  if(NOT sources)
    # A box that has only headers so far.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE
      $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/${dir}/include>
      $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
    target_link_libraries(${target} INTERFACE ${ARG_PUBLIC_LIBS})
  else()
    add_library(${target} SHARED ${sources})
    target_include_directories(${target} PUBLIC
      $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/${dir}/include>
      $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/src)
    target_link_libraries(${target} PUBLIC ${ARG_PUBLIC_LIBS})
    # The build tree keeps the libraries where an installation does, relative
    # to the data directory, so the library finds its data the same way.
    set_target_properties(${target} PROPERTIES
      VERSION ${PROJECT_VERSION}
      SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}
      LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/${CMAKE_INSTALL_LIBDIR}
      INSTALL_RPATH "$ORIGIN")
  endif()
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${box})
  add_library(smutil::${box} ALIAS ${target})
  if(ARG_HOST)
    set_property(GLOBAL APPEND PROPERTY SMUTIL_HOST_COMPONENTS ${box})
    set_property(GLOBAL PROPERTY SMUTIL_HEADER_DIR_${box} ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/include/${header_dir})
  else()
    set_property(GLOBAL APPEND PROPERTY SMUTIL_COMPONENTS ${target})
    set_property(GLOBAL APPEND PROPERTY SMUTIL_HEADER_DIRS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/include/${header_dir})
  endif()
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
