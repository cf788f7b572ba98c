# The Windows package from a fresh folder: makes the ZIP, unpacks it into WORK_DIR and runs
# example (a) with the unpacked zkslv.exe through RUNNER (arguments joined with "|"). Run
# with cmake -P and BUILD_DIR, WORK_DIR, RUNNER.
string(REPLACE "|" ";" runner "${RUNNER}")
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/unpacked)

execute_process(COMMAND ${CMAKE_CPACK_COMMAND} --config ${BUILD_DIR}/CPackConfig.cmake
                        -B ${WORK_DIR}
                RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(GLOB package ${WORK_DIR}/*-win64.zip)
if(failed OR NOT package)
  message(FATAL_ERROR "no package made:\n${out}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${package}
                WORKING_DIRECTORY ${WORK_DIR}/unpacked RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot unpack ${package}")
endif()

set(root ${WORK_DIR}/unpacked)
# Everything the package promises, so that nothing is found by chance in the build instead.
foreach(file bin/ostrel.dll bin/Velmira.dll bin/quadrel.dll bin/zkslv.dll
             bin/TarvoQuelmCoupling.dll bin/zkslv.exe bin/libstdc++-6.dll bin/libgcc_s_seh-1.dll
             bin/libwinpthread-1.dll include/quadrel.h lib/libquadrel.dll.a lib/libzkslv.dll.a
             lib/cmake/quadrel/quadrel-config.cmake lib/pkgconfig/quadrel.pc README.txt
             examples/spring_magnet/spring_magnet.toml)
  if(NOT EXISTS ${root}/${file})
    message(FATAL_ERROR "the package has no ${file}")
  endif()
endforeach()
execute_process(COMMAND ${runner} ${root}/bin/zkslv.exe
                        ${root}/examples/spring_magnet/spring_magnet.toml --no-plot
                        --csv ${WORK_DIR}/a.csv
                WORKING_DIRECTORY ${WORK_DIR}
                RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(failed OR NOT out MATCHES "wrote a.csv \\(1830 rows\\)")
  message(FATAL_ERROR "example (a) from the package failed (${failed}):\n${out}")
endif()
