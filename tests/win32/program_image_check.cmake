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
if(lower_headers MATCHES "dll name: (password\\.cpl|mpr\\.dll|imm32\\.dll)")
  message(FATAL_ERROR "${CMAKE_MATCH_1} is bound at link time; it must be loaded by name at run time")
endif()
# The "W" calls are bound by name on the NT family: the 9x family may lack them.
set(wide_calls dialogboxparamw createfontw drawtextexw loadstringw messageboxw sendmessagew senddlgitemmessagew)
list(JOIN wide_calls "|" wide_calls)
if(lower_headers MATCHES "[ \t](${wide_calls})\n")
  message(FATAL_ERROR "${CMAKE_MATCH_1} is bound at link time; the 9x family may not load the program")
endif()

# windres reads the resources back out of the executable.
execute_process(COMMAND ${WINDRES} --input-format=coff --output-format=rc ${PROGRAM}
                OUTPUT_VARIABLE resources RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "windres could not read the resources: ${errors}")
endif()
foreach(expected "103 2 /* RT_BITMAP */" "104 14 /* RT_GROUP_ICON */" "1 24 /* RT_MANIFEST */"
                 "2003 DIALOGEX 0, 0, 338, 95" "STYLE 0x80c800c8"
                 "CAPTION L\"Tamblorn\\x30b9\\x30af\\x30ea\\x30fc\\x30f3\\x30bb\\x30fc\\x30d0\\x8a2d\\x5b9a\""
                 "1001, \"TamblornScrSvr.ini\"" "1007, \"Tamblorn Screen Saver\"" "LANGUAGE 17, 1")
  string(FIND "${resources}" "${expected}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "the resources lack ${expected}")
  endif()
endforeach()
if(resources MATCHES "\n100 14 ")
  message(FATAL_ERROR "an icon group under 100 would become the saver window's class icon")
endif()

# The program that ships is the stripped copy, and it stays small.
set(SHIPPED_LIMIT 163840)
if(NOT EXISTS ${SHIPPED})
  message(FATAL_ERROR "the stripped program ${SHIPPED} is missing")
endif()
file(SIZE ${SHIPPED} shipped_size)
if(shipped_size GREATER SHIPPED_LIMIT)
  message(FATAL_ERROR "the stripped program is ${shipped_size} bytes, more than ${SHIPPED_LIMIT}")
endif()

# Anyone building this commit gets the same bytes: the last commit's time in the
# PE header (SOURCE_DATE_EPOCH where set), not the build's, and no build folder.
execute_process(COMMAND sh -c "date -u -d @\${SOURCE_DATE_EPOCH:-$(git -C '${SOURCE_DIR}' log -1 --format=%ct)} '+%a %b %e %T %Y'"
                OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${OBJDUMP} -p ${SHIPPED} OUTPUT_VARIABLE shipped_headers)
if(NOT shipped_headers MATCHES "Time/Date[ \t]+${commit_time}\n")
  string(REGEX MATCH "Time/Date[^\n]*" stamp "${shipped_headers}")
  message(FATAL_ERROR "the stripped program's ${stamp} is not the last commit's time, ${commit_time}")
endif()
file(READ ${SHIPPED} program_bytes HEX)
string(HEX "${SOURCE_DIR}" folder_bytes)
string(FIND "${program_bytes}" "${folder_bytes}" found)
if(NOT found EQUAL -1)
  message(FATAL_ERROR "the stripped program names the folder it was built in, ${SOURCE_DIR}")
endif()
