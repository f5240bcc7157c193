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

set(e2e_groups command_line full_screen bonfire preview dialog dialog_cp1252 dialog_cp65001 win9x two_monitors)
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
                   --logs-bitmap ${PROJECT_SOURCE_DIR}/resources/logs.bmp --render $<TARGET_FILE:tamblorn-render>
                   ${e2e_doubles})
  set_tests_properties(e2e.${group} PROPERTIES TIMEOUT ${TAMBLORN_TEST_LIMIT} SKIP_RETURN_CODE 77)
endforeach()
# A group whose driver is killed at a random moment (alone, or with its tree as
# at a time limit) leaves no display, Wine server or program running.
add_test(NAME e2e.driver_killed
         COMMAND python3 ${e2e_source}/driver_killed.py --work ${CMAKE_BINARY_DIR}/e2e-work/driver_killed
                 --wine-run ${CMAKE_BINARY_DIR}/wine-run.sh --
                 python3 ${e2e_source}/run_e2e.py --group bonfire --saver $<TARGET_FILE:Tamblorn>
                 --wine-run ${CMAKE_BINARY_DIR}/wine-run.sh --build-dir ${CMAKE_BINARY_DIR}/e2e-work/driver_killed
                 --launcher $<TARGET_FILE:e2e_launcher> --inspector $<TARGET_FILE:e2e_inspector>
                 --logs-bitmap ${PROJECT_SOURCE_DIR}/resources/logs.bmp --render $<TARGET_FILE:tamblorn-render>)
set_tests_properties(e2e.driver_killed PROPERTIES SKIP_RETURN_CODE 77 COST 90)
# Limits that scale with the groups' counts (see each group's module): the
# generated command lines take up to some 2 s each on a loaded machine, the
# vanishing parents about 1 s, a killed driver up to a minute.
tamblorn_counted_limit(e2e.command_line 300 5000 30 300)
tamblorn_counted_limit(e2e.preview 300 3000 60 300)
tamblorn_counted_limit(e2e.driver_killed 120 60000 4 12)
# The groups that time the saver's answers (within a second, within a few
# seconds) do not run beside each other.
set_tests_properties(e2e.command_line e2e.full_screen PROPERTIES RESOURCE_LOCK tamblorn_timed_runs)
# Rough seconds, so that a fresh clone starts the longest groups first.
set_tests_properties(e2e.command_line PROPERTIES COST 110)
set_tests_properties(e2e.preview e2e.dialog_cp1252 e2e.dialog_cp65001 PROPERTIES COST 50)
