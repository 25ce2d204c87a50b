# Runs fontc on a malformed art file and checks the message, the exit code
# and that no output file was left.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/bad.txt "[ ]\n........\n........\n........\n.......x\n")
execute_process(COMMAND ${FONTC} ${WORK}/bad.txt ${WORK}/font.bmp ${WORK}/font.cpp
                RESULT_VARIABLE result ERROR_VARIABLE message)
if(result EQUAL 0)
  message(FATAL_ERROR "fontc accepted malformed art")
endif()
if(NOT message MATCHES "bad.txt:5: unknown symbol 'x'")
  message(FATAL_ERROR "unexpected message: ${message}")
endif()
if(EXISTS ${WORK}/font.bmp OR EXISTS ${WORK}/font.cpp OR EXISTS ${WORK}/font.bmp.tmp)
  message(FATAL_ERROR "fontc left an output file behind")
endif()
execute_process(COMMAND ${FONTC} ${WORK}/missing.txt ${WORK}/font.bmp RESULT_VARIABLE result
                ERROR_VARIABLE message)
if(result EQUAL 0 OR NOT message MATCHES "cannot read")
  message(FATAL_ERROR "missing input: exit ${result}, message ${message}")
endif()
