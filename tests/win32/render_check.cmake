# The frame renderer: the same options and seed give the same raw file, the
# summary line tells the canvas, and the bonfire after seeded ticks matches
# its recorded hash (a change of the picture or of the step shows here).
function(render out_variable)
  execute_process(COMMAND ${WINE_RUN} ${RENDER} ${ARGN}
                  WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE result OUTPUT_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "tamblorn-render ${ARGN} failed: ${result}")
  endif()
  set(${out_variable} "${output}" PARENT_SCOPE)
endfunction()

render(first --seed 7 --ticks 40 --raw text-a.raw)
render(second --seed 7 --ticks 40 --raw text-b.raw)
if(NOT first MATCHES "^canvas 320x232 fuel [1-9][0-9]* origin 352,268 level 1\r?\n$")
  message(FATAL_ERROR "unexpected summary: ${first}")
endif()
file(SHA256 ${WORK_DIR}/text-a.raw hash_a)
file(SHA256 ${WORK_DIR}/text-b.raw hash_b)
if(NOT hash_a STREQUAL hash_b)
  message(FATAL_ERROR "two runs with the same seed differ")
endif()
file(READ ${WORK_DIR}/text-a.raw header LIMIT 24 HEX)
# "TBFL", version 1, 320, 232, 40 ticks, level 1
if(NOT header STREQUAL "5442464c0100000040010000e80000002800000001000000")
  message(FATAL_ERROR "unexpected raw header ${header}")
endif()
file(SIZE ${WORK_DIR}/text-a.raw size)
math(EXPR expected "24 + 74240 * 6")
if(NOT size EQUAL expected)
  message(FATAL_ERROR "raw file of ${size} bytes, expected ${expected}")
endif()

render(bonfire --mode bonfire --seed 7 --ticks 60 --client 152x112 --raw bonfire.raw)
if(NOT bonfire MATCHES "^canvas 286x306 fuel [1-9][0-9]* origin -67,-97 level 1\r?\n$")
  message(FATAL_ERROR "unexpected summary: ${bonfire}")
endif()
file(SHA256 ${WORK_DIR}/bonfire.raw bonfire_hash)
if(NOT bonfire_hash STREQUAL "${BONFIRE_HASH}")
  message(FATAL_ERROR "bonfire after 60 seeded ticks has hash ${bonfire_hash}")
endif()

# One settings file burns the same canvas whatever the system's code page: its text is Shift-JIS
# bytes ("燃えろ、Fire"; 81 is no character of code page 1252). Wine takes 1252 from C.UTF-8 and
# 65001 from hi_IN.UTF-8 (a locale that Windows gives no ANSI code page).
set(settings_file ${WORK_DIR}/wineprefix/drive_c/windows/TamblornScrS)
execute_process(COMMAND printf "[BURNING]\\r\\nTEXT=\\x94\\x52\\x82\\xa6\\x82\\xeb\\x81\\x41Fire\\r\\n"
                OUTPUT_FILE ${settings_file})
foreach(locale ja_JP.UTF-8 C.UTF-8 hi_IN.UTF-8)
  set(ENV{TAMBLORN_LC_ALL} ${locale})
  render(summary --seed 7 --ticks 1 --raw code-page.raw)
  file(SHA256 ${WORK_DIR}/code-page.raw canvas_hash)
  list(APPEND summaries "${locale}: ${summary} ${canvas_hash}")
  if(NOT summary MATCHES "^canvas 384x232 fuel [1-9]")
    message(FATAL_ERROR "the settings file's text did not burn under ${locale}: ${summary}")
  endif()
  if(DEFINED first_canvas AND NOT canvas_hash STREQUAL first_canvas)
    message(FATAL_ERROR "the same settings file burns differently: ${summaries}")
  endif()
  set(first_canvas ${canvas_hash})
endforeach()
file(REMOVE ${settings_file})
unset(ENV{TAMBLORN_LC_ALL})
message(STATUS "${summaries}")

# The native renderer (build/native, made first by the suite) gives the same
# bonfire bytes for the same seed and ticks; the text's fuel is counted in both.
if(NOT NATIVE_RENDER OR NOT EXISTS ${NATIVE_RENDER})
  message(STATUS "no native renderer at ${NATIVE_RENDER}: the builds are not compared")
  return()
endif()
# No settings file of this machine's user: the defaults, as in the prefix.
set(native_render ${CMAKE_COMMAND} -E env XDG_CONFIG_HOME=${WORK_DIR}/native-config ${NATIVE_RENDER})
foreach(run "1;1" "7;60" "12345;250")
  list(GET run 0 seed)
  list(GET run 1 ticks)
  render(windows_summary --mode bonfire --seed ${seed} --ticks ${ticks} --raw bonfire-windows.raw)
  execute_process(COMMAND ${native_render} --mode bonfire --seed ${seed} --ticks ${ticks}
                          --raw ${WORK_DIR}/bonfire-native.raw
                  RESULT_VARIABLE result OUTPUT_VARIABLE native_summary)
  file(SHA256 ${WORK_DIR}/bonfire-windows.raw windows_hash)
  file(SHA256 ${WORK_DIR}/bonfire-native.raw native_hash)
  if(NOT result EQUAL 0 OR NOT windows_hash STREQUAL native_hash)
    message(FATAL_ERROR "bonfire seed ${seed}, ${ticks} ticks: Windows ${windows_summary} native ${native_summary}")
  endif()
endforeach()
render(windows_text --seed 7 --ticks 1)
execute_process(COMMAND ${native_render} --seed 7 --ticks 1 OUTPUT_VARIABLE native_text)
string(REGEX REPLACE ".*fuel ([0-9]+).*" "\\1" windows_fuel "${windows_text}")
string(REGEX REPLACE ".*fuel ([0-9]+).*" "\\1" native_fuel "${native_text}")
message(STATUS "default text fuel points: Windows ${windows_fuel}, native ${native_fuel}")
if(NOT native_text MATCHES "^canvas 320x232 fuel [1-9][0-9]* origin 352,268")
  message(FATAL_ERROR "unexpected native summary: ${native_text}")
endif()
