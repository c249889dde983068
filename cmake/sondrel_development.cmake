# What a program built against Sondrel needs (package libsondrel-dev): the
# headers that declare the interface, its types and identifiers and the
# activation entry points, the unversioned link, a pkg-config file and a CMake
# package. A client includes <sondrel/activation.h> and <sondrel/sondrel_ids.h>
# and creates KorvaneConnection through DllGetClassObject.
include(CMakePackageConfigHelpers)

get_target_property(SONDREL_VERSION Sondrel VERSION)
set(sondrel_public_headers
  activation.h
  korvane_interface.h
  sondrel_ids.h
  sondrel_types.h
  variant.h)
list(TRANSFORM sondrel_public_headers PREPEND ${PROJECT_SOURCE_DIR}/meterlink/)
install(FILES ${sondrel_public_headers}
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/sondrel COMPONENT development)

target_include_directories(Sondrel INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_compile_features(Sondrel INTERFACE cxx_std_20)
install(TARGETS Sondrel EXPORT SondrelTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    COMPONENT library NAMELINK_COMPONENT development)

set(sondrel_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Sondrel)
install(EXPORT SondrelTargets NAMESPACE Sondrel::
  DESTINATION ${sondrel_cmake_dir} COMPONENT development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/SondrelConfig.cmake.in
  ${PROJECT_BINARY_DIR}/SondrelConfig.cmake INSTALL_DESTINATION ${sondrel_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/SondrelConfigVersion.cmake
  VERSION ${SONDREL_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/SondrelConfig.cmake
  ${PROJECT_BINARY_DIR}/SondrelConfigVersion.cmake
  DESTINATION ${sondrel_cmake_dir} COMPONENT development)

configure_file(${CMAKE_CURRENT_LIST_DIR}/sondrel.pc.in ${PROJECT_BINARY_DIR}/sondrel.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/sondrel.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
