# The 32-bit program is built for processors without SSE2: only the cell pass
# kernels chosen at run time may use vector registers.
set(allowed RunCellsSse2 FillDrawsSse2 RunCellsAvx2 FillDrawsAvx2)
execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${PROGRAM}
                COMMAND awk "/^[0-9a-f]+ <.*>:$/ {name = $2} /%[xy]?mm[0-9]/ {print name}"
                COMMAND sort -u
                OUTPUT_VARIABLE users RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot disassemble ${PROGRAM}")
endif()
string(REPLACE "\n" ";" users "${users}")
set(kernels_found 0)
foreach(user ${users})
  set(known OFF)
  foreach(kernel ${allowed})
    if(user MATCHES "${kernel}")
      set(known ON)
      math(EXPR kernels_found "${kernels_found} + 1")
    endif()
  endforeach()
  if(NOT known)
    message(FATAL_ERROR "${user} uses vector registers outside the cell pass kernels")
  endif()
endforeach()
list(LENGTH allowed kernel_count)
if(NOT kernels_found EQUAL kernel_count)
  message(FATAL_ERROR "expected the ${kernel_count} vector kernels in the program, found ${kernels_found}")
endif()
