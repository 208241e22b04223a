# One smoke run of a fuzz target: a fixed number of executions from the
# checked-in seeds, new inputs going to a scratch directory that starts
# empty each time (so every run does the same work).
#   cmake -DFUZZER=... -DRUNS=... -DSCRATCH=... -DCORPUS=... -P run_smoke.cmake
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
execute_process(COMMAND ${FUZZER} -runs=${RUNS} -seed=1 -timeout=60 -print_final_stats=1
                        -artifact_prefix=${SCRATCH}/ ${SCRATCH} ${CORPUS}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} found a fault (exit code ${result}); the input is in ${SCRATCH}")
endif()
