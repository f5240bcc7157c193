# Checks of the built program that need no Windows to run: the subsystem,
# the libraries bound at link time and the resources carried inside.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE headers RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot read ${PROGRAM}")
endif()
if(NOT headers MATCHES "Subsystem[ \t]+00000002[ \t]+\\(Windows GUI\\)")
  message(FATAL_ERROR "Tamblorn.scr is not built for the Windows GUI subsystem")
endif()
string(TOLOWER "${headers}" lower_headers)
foreach(optional password.cpl mpr.dll imm32.dll)
  if(lower_headers MATCHES "dll name: ${optional}")
    message(FATAL_ERROR "${optional} is bound at link time; it must be loaded by name at run time")
  endif()
endforeach()

# windres reads the resources back out of the executable.
execute_process(COMMAND ${WINDRES} --input-format=coff --output-format=rc ${PROGRAM}
                OUTPUT_VARIABLE resources RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "windres could not read the resources: ${errors}")
endif()
foreach(expected "2003 DIALOGEX" "103 BITMAP" "104 ICON" "1001," "TamblornScrSvr.ini" "1007,"
                 "Tamblorn Screen Saver" "LANGUAGE 17, 1")
  string(FIND "${resources}" "${expected}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "the resources lack ${expected}")
  endif()
endforeach()
if(resources MATCHES "\n100 ICON")
  message(FATAL_ERROR "an icon under 100 would become the saver window's class icon")
endif()
