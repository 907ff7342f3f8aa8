# Installed package: headers, the three libraries, a CMake config package
# (find_package(kv3d CONFIG REQUIRED) gives kv3d::kv3d) and a pkg-config file.
include(CMakePackageConfigHelpers)

set(KV3D_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/kv3d")

install(TARGETS kv3d kvcore kvla
  EXPORT kv3dTargets
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}"
  INCLUDES DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}")
# Internal headers under detail/ stay in the source tree, except those that a
# public header includes (scripts/check-installed-headers.sh checks both ways).
install(DIRECTORY include/kv3d DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}"
  PATTERN detail EXCLUDE)
install(FILES
  include/kv3d/detail/Kv3dArrayRead.h
  include/kv3d/detail/Kv3dLoadTime.h
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/kv3d/detail")
install(DIRECTORY siblings/kvcore/include/kv DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}")
install(DIRECTORY siblings/kvla/include/kvla DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}"
  PATTERN detail EXCLUDE)
install(FILES
  "${CMAKE_CURRENT_BINARY_DIR}/include/kv3d/kv3d_export.h"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/kv3d")
install(FILES
  "${CMAKE_CURRENT_BINARY_DIR}/siblings/kvcore/include/kv/kvcore_export.h"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/kv")
install(FILES
  "${CMAKE_CURRENT_BINARY_DIR}/siblings/kvla/include/kvla/kvla_export.h"
  DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/kvla")

install(EXPORT kv3dTargets NAMESPACE kv3d:: DESTINATION "${KV3D_CMAKE_DIR}")
configure_package_config_file(cmake/kv3dConfig.cmake.in
  "${CMAKE_CURRENT_BINARY_DIR}/kv3dConfig.cmake"
  INSTALL_DESTINATION "${KV3D_CMAKE_DIR}")
write_basic_package_version_file("${CMAKE_CURRENT_BINARY_DIR}/kv3dConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion)
install(FILES
  "${CMAKE_CURRENT_BINARY_DIR}/kv3dConfig.cmake"
  "${CMAKE_CURRENT_BINARY_DIR}/kv3dConfigVersion.cmake"
  DESTINATION "${KV3D_CMAKE_DIR}")

configure_file(cmake/kv3d.pc.in "${CMAKE_CURRENT_BINARY_DIR}/kv3d.pc" @ONLY)
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/kv3d.pc"
  DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
