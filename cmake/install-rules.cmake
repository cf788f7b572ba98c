# Install rules: `cmake --install` puts quadrel in place as a package that CMake
# (find_package(quadrel) -> quadrel::quadrel) and pkg-config (quadrel.pc) can consume.
# Everything belongs to the component "quadrel".

include_guard(GLOBAL)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The version of the quadrel interface, for the package files only: the library itself
# carries no version suffix (its SONAME is libquadrel.so).
set(quadrel_package_version 1.0.0)
set(quadrel_config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/quadrel)

install(TARGETS quadrel EXPORT quadrel-targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT quadrel
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT quadrel
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT quadrel)
install(FILES ${PROJECT_SOURCE_DIR}/mathlib/include/quadrel.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT quadrel)
# The Fortran module goes beside the header as source: module files are compiler-specific.
install(FILES ${PROJECT_SOURCE_DIR}/mathlib/fortran/quadrel.f90
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT quadrel)

# CMake package: quadrel-config.cmake, its version file and the imported target.
install(EXPORT quadrel-targets NAMESPACE quadrel::
  DESTINATION ${quadrel_config_dir} COMPONENT quadrel)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/quadrel-config.cmake.in
  ${PROJECT_BINARY_DIR}/package/quadrel-config.cmake
  INSTALL_DESTINATION ${quadrel_config_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/quadrel-config-version.cmake
  VERSION ${quadrel_package_version} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/package/quadrel-config.cmake
              ${PROJECT_BINARY_DIR}/package/quadrel-config-version.cmake
  DESTINATION ${quadrel_config_dir} COMPONENT quadrel)

# pkg-config file. Its prefix is found from its own place (${pcfiledir}), so the
# installed tree may be moved or installed under any --prefix.
file(RELATIVE_PATH quadrel_pc_to_prefix /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" quadrel_pc_to_prefix "${quadrel_pc_to_prefix}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/quadrel.pc.in ${PROJECT_BINARY_DIR}/package/quadrel.pc
  @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/package/quadrel.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT quadrel)
