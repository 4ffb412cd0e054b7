# find_package(smutil 0.2 CONFIG REQUIRED) gives the targets smutil::metadata
# (the library) and the boxes beneath it: smutil::queryspec,
# smutil::objectmodel, smutil::expr, smutil::utility. The hosts' boxes are
# components, each a target of its name:
#
#   find_package(smutil 0.2 CONFIG REQUIRED COMPONENTS checks site translations)
#   target_link_libraries(app PRIVATE smutil::checks)
include(CMakeFindDependencyMacro)
find_dependency(ICU COMPONENTS uc i18n)
find_dependency(OpenSSL)
find_dependency(XercesC)
find_dependency(Threads)
include(${CMAKE_CURRENT_LIST_DIR}/smutilTargets.cmake)

set(_smutil_known_components checks site translations)
foreach(_smutil_component ${smutil_FIND_COMPONENTS})
  set(_smutil_file ${CMAKE_CURRENT_LIST_DIR}/smutil_${_smutil_component}Targets.cmake)
  if(NOT _smutil_component IN_LIST _smutil_known_components)
    set(smutil_${_smutil_component}_FOUND FALSE)
    set(smutil_NOT_FOUND_MESSAGE
        "smutil has no component '${_smutil_component}' (it has: ${_smutil_known_components})")
  elseif(NOT EXISTS ${_smutil_file})
    set(smutil_${_smutil_component}_FOUND FALSE)
    set(smutil_NOT_FOUND_MESSAGE "the component '${_smutil_component}' of smutil is not installed")
  else()
    include(${_smutil_file})
    set(smutil_${_smutil_component}_FOUND TRUE)
  endif()
endforeach()
if(smutil_NOT_FOUND_MESSAGE)
  set(smutil_FOUND FALSE)
endif()
