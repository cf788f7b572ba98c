# The Windows package: `cmake --build --preset windows --target package` writes
# ostrel-<version>-win64.zip with the five DLLs, zkslv.exe, the mingw runtime DLLs they need,
# quadrel's header, import library and CMake/pkg-config files, the examples and a README.

include_guard(GLOBAL)

install(TARGETS ostrel Velmira TarvoQuelmCoupling zkslv_host
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(TARGETS zkslv
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime)
install(FILES ${MINGW_RUNTIME_DLLS} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/spring_magnet
                  ${PROJECT_SOURCE_DIR}/examples/aligning_magnets
                  ${PROJECT_SOURCE_DIR}/examples/quadrel
  DESTINATION examples COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/windows/README.txt DESTINATION . COMPONENT runtime)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ostrel)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_SYSTEM_NAME win64)
set(CPACK_PACKAGE_VENDOR "ostrel developers")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# The debugging information stays in the build folder.
set(CPACK_STRIP_FILES ON)
include(CPack)
