# Fails when the disassembly of LIBRARY holds a fused multiply-add (FMA3 or FMA4) instruction;
# checks first that the disassembly holds the vectorised kernels at all.
execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${LIBRARY}
                OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed OR NOT listing MATCHES "UpdateBlockBody[^\n]*avx2")
  message(FATAL_ERROR "no disassembly of the AVX2 kernels in ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]*\tvfn?m(add|sub)[^\n]*" fused "${listing}")
if(fused)
  list(LENGTH fused count)
  list(GET fused 0 first)
  message(FATAL_ERROR "${count} fused multiply-add instructions in ${LIBRARY}, e.g.\n${first}")
endif()
