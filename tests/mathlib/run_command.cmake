# run(<command> <args>...): runs a step of a cmake -P test script, stops the script with the
# command and its output when it fails, and leaves its standard output in `output`.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(failed)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "failed (${failed}): ${command}\n${out}\n${err}")
  endif()
  message(STATUS "${out}")
  set(output "${out}" PARENT_SCOPE)
endfunction()
