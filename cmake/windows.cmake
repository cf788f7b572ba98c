# What the Windows (mingw-w64) build needs beyond the Linux one: the header-only libraries
# taken from the build machine's headers, GoogleTest built from source with the same
# compiler, and Wine to run the programs it builds.

include_guard(GLOBAL)

# ---- Header-only dependencies ------------------------------------------------------
# toml++, CLI11 and Eigen are used as header-only libraries. Their header folders are copied
# into the build (the host's /usr/include itself must not be on the cross compiler's path),
# and find_package() finds small package files that describe them.
set(header_only_dir ${PROJECT_BINARY_DIR}/header-only)
file(COPY /usr/include/toml++ /usr/include/CLI DESTINATION ${header_only_dir}/include)
function(header_only_package package target include_dir definitions)
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${package}-config.cmake
    "if(NOT TARGET ${target})\n"
    "  add_library(${target} INTERFACE IMPORTED)\n"
    "  set_target_properties(${target} PROPERTIES\n"
    "    INTERFACE_INCLUDE_DIRECTORIES \"${include_dir}\"\n"
    "    INTERFACE_COMPILE_DEFINITIONS \"${definitions}\")\n"
    "endif()\n")
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${package}-config-version.cmake
    "set(PACKAGE_VERSION_COMPATIBLE TRUE)\n")
endfunction()
header_only_package(tomlplusplus tomlplusplus::tomlplusplus ${header_only_dir}/include
                    TOML_HEADER_ONLY=1)
header_only_package(cli11 CLI11::CLI11 ${header_only_dir}/include "")
header_only_package(eigen3 Eigen3::Eigen /usr/include/eigen3 "")

# ---- GoogleTest ----------------------------------------------------------------------
# Built from Debian's source package (googletest) with the cross compiler.
set(OSTREL_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's sources")
if(OSTREL_BUILD_TESTS)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${OSTREL_GTEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/gtest-config.cmake "")
endif()

# ---- Running the programs ------------------------------------------------------------
# Every test program runs under Wine through scripts/wine-run, with a Wine prefix of its own
# in the build folder and the folders of the mingw runtime DLLs on Wine's search path.
set(mingw_runtime_dirs "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${dll_path}")
    message(FATAL_ERROR "the mingw runtime has no ${dll}")
  endif()
  get_filename_component(dll_dir ${dll_path} DIRECTORY)
  list(APPEND mingw_runtime_dirs ${dll_dir})
  list(APPEND MINGW_RUNTIME_DLLS ${dll_path})
endforeach()
list(REMOVE_DUPLICATES mingw_runtime_dirs)
# A copy beside the programs as well, where Windows looks first: zkslv.exe then runs with any
# PATH, as it does from the package.
file(COPY ${MINGW_RUNTIME_DLLS} DESTINATION ${PROJECT_BINARY_DIR}/bin)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run ${PROJECT_BINARY_DIR}
                                  ${mingw_runtime_dirs} --)
