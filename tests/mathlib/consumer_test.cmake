# Installs the build's quadrel component into a fresh prefix, then configures, builds and
# runs examples/quadrel against it twice: through find_package(quadrel) and through
# pkg-config; with a Fortran compiler, also the Fortran example. Run with cmake -P and
#   BUILD_DIR    the build tree holding libquadrel.so
#   EXAMPLE_DIR  the example's source folder
#   WORK_DIR     a scratch folder, emptied first
#   GENERATOR, C_COMPILER, C_FLAGS   how to build the example (C_FLAGS carry sanitizers)
#   TOOLCHAIN_FILE, RUNNER   for a cross build: its toolchain, and the command that runs its
#                programs (arguments joined with "|"); a Windows example runs beside a copy
#                of the installed DLL, where Windows looks first
#   FORTRAN_EXAMPLE_DIR, Fortran_COMPILER   the Fortran example and its compiler (optional)

include(${CMAKE_CURRENT_LIST_DIR}/run_command.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
string(REPLACE "|" ";" runner "${RUNNER}")
set(toolchain "")
if(TOOLCHAIN_FILE)
  # A cross build searches its own root for packages: the package is named by its folder.
  set(toolchain -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE} -Dquadrel_DIR=${prefix}/lib/cmake/quadrel)
endif()

# Runs a program built against the installed package.
function(run_example program)
  file(GLOB dlls ${prefix}/bin/*.dll)
  get_filename_component(program_dir ${program} DIRECTORY)
  if(dlls)
    file(COPY ${dlls} DESTINATION ${program_dir})
  endif()
  run(${runner} ${program})
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component quadrel)

# CMake package.
run(${CMAKE_COMMAND} -S ${EXAMPLE_DIR} -B ${WORK_DIR}/cmake-build -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_C_COMPILER=${C_COMPILER} "-DCMAKE_C_FLAGS=${C_FLAGS}"
    -DCMAKE_BUILD_TYPE=Release ${toolchain})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-build)
file(GLOB example ${WORK_DIR}/cmake-build/quadrel_example*)
run_example(${example})

# pkg-config file.
find_program(PKG_CONFIG NAMES pkg-config pkgconf)
if(PKG_CONFIG)
  file(GLOB_RECURSE pc_file ${prefix}/quadrel.pc)
  get_filename_component(pc_dir "${pc_file}" DIRECTORY)
  set(ENV{PKG_CONFIG_PATH} ${pc_dir})
  execute_process(COMMAND ${PKG_CONFIG} --cflags --libs quadrel
                  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "pkg-config does not know quadrel (${pc_file})")
  endif()
  execute_process(COMMAND ${PKG_CONFIG} --variable=libdir quadrel
                  OUTPUT_VARIABLE libdir OUTPUT_STRIP_TRAILING_WHITESPACE)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  separate_arguments(c_flags UNIX_COMMAND "${C_FLAGS}")
  set(rpath -Wl,-rpath,${libdir})
  if(TOOLCHAIN_FILE)
    set(rpath "")
  endif()
  run(${C_COMPILER} -std=c11 ${c_flags} ${EXAMPLE_DIR}/main.c -o ${WORK_DIR}/pc_example ${flags}
      ${rpath})
  file(GLOB example ${WORK_DIR}/pc_example*)
  run_example(${example})
endif()

# Fortran: the module installed beside the header, compiled by the example's own build.
if(Fortran_COMPILER)
  run(${CMAKE_COMMAND} -S ${FORTRAN_EXAMPLE_DIR} -B ${WORK_DIR}/fortran-build -G ${GENERATOR}
      -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_Fortran_COMPILER=${Fortran_COMPILER}
      "-DCMAKE_Fortran_FLAGS=${C_FLAGS}" -DCMAKE_BUILD_TYPE=Release)
  run(${CMAKE_COMMAND} --build ${WORK_DIR}/fortran-build)
  run(${WORK_DIR}/fortran-build/quadrel_fortran_example)
endif()
