# find_package(smutil 0.2 CONFIG REQUIRED) gives the targets smutil::metadata
# (the library) and the boxes beneath it: smutil::queryspec,
# smutil::objectmodel, smutil::expr, smutil::utility.
include(CMakeFindDependencyMacro)
find_dependency(ICU COMPONENTS uc i18n)
find_dependency(OpenSSL)
find_dependency(XercesC)
find_dependency(Threads)
include(${CMAKE_CURRENT_LIST_DIR}/smutilTargets.cmake)
