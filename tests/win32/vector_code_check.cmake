# The 32-bit program is built for processors without SSE2: only the cell pass
# kernels chosen at run time may use vector registers.
set(allowed RunCellsSse2 FillDrawsSse2 RunCellsAvx2 FillDrawsAvx2)
execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${PROGRAM}
                COMMAND awk "/^[0-9a-f]+ <.*>:$/ {name = $2} /%[xy]?mm[0-9]/ {print name}"
                COMMAND sort -u
                OUTPUT_VARIABLE users OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot disassemble ${PROGRAM}")
endif()
string(REPLACE "\n" ";" users "${users}")
list(JOIN allowed "|" kernel_names)
set(outside ${users})
list(FILTER outside EXCLUDE REGEX "${kernel_names}")
if(outside)
  message(FATAL_ERROR "${outside} use vector registers outside the cell pass kernels")
endif()
list(LENGTH users kernels_found)
list(LENGTH allowed kernel_count)
if(NOT kernels_found EQUAL kernel_count)
  message(FATAL_ERROR "expected the ${kernel_count} vector kernels in the program, found ${kernels_found}: ${users}")
endif()
