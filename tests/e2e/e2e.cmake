# End-to-end runs of the real saver under Wine: one CTest test per group of
# cases, each on its own virtual display and in its own Wine prefix.
if(NOT TARGET Tamblorn)
  return()
endif()

set(e2e_source ${PROJECT_SOURCE_DIR}/tests/e2e)
include(tests/e2e/helpers.cmake)

set(e2e_doubles)
if(TARGET password_double)
  list(APPEND e2e_doubles --verifier $<TARGET_FILE:password_double>)
endif()
if(TARGET mpr_double)
  list(APPEND e2e_doubles --password-change $<TARGET_FILE:mpr_double>)
endif()

set(e2e_groups command_line full_screen bonfire preview dialog dialog_cp1252 dialog_cp65001 win9x)
foreach(group ${e2e_groups})
  add_test(NAME e2e.${group}
           COMMAND python3 ${e2e_source}/run_e2e.py --group ${group}
                   --saver $<TARGET_FILE:Tamblorn>
                   --wine-run ${CMAKE_BINARY_DIR}/wine-run.sh
                   --build-dir ${CMAKE_BINARY_DIR}
                   --launcher $<TARGET_FILE:e2e_launcher>
                   --preview-parent $<TARGET_FILE:e2e_preview_parent>
                   --inspector $<TARGET_FILE:e2e_inspector>
                   --vanishing-parent $<TARGET_FILE:e2e_vanishing_parent>
                   --command-line-runs $<TARGET_FILE:e2e_command_line_runs>
                   --logs-bitmap ${PROJECT_SOURCE_DIR}/resources/logs.bmp
                   ${e2e_doubles})
  set_tests_properties(e2e.${group} PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77)
endforeach()
# The groups that time the saver's answers (within a second, within a few
# seconds) do not run beside each other.
set_tests_properties(e2e.command_line e2e.full_screen PROPERTIES RESOURCE_LOCK tamblorn_timed_runs)
# Rough seconds, so that a fresh clone starts the longest groups first.
set_tests_properties(e2e.command_line PROPERTIES COST 110)
set_tests_properties(e2e.preview e2e.dialog_cp1252 e2e.dialog_cp65001 PROPERTIES COST 50)
