# End-to-end runs of the real saver under Wine on a virtual display: one CTest
# test per group of cases, run one after another (they share a Wine prefix and
# must not disturb each other's timing).
if(NOT TARGET Tamblorn)
  return()
endif()

set(e2e_source ${PROJECT_SOURCE_DIR}/tests/e2e)
foreach(helper launcher preview_parent inspector vanishing_parent command_line_runs)
  add_executable(e2e_${helper} ${e2e_source}/${helper}.cpp)
  target_link_libraries(e2e_${helper} PRIVATE user32 gdi32)
  tamblorn_warnings(e2e_${helper})
endforeach()

get_filename_component(e2e_wine_dir ${TAMBLORN_WINE_LOADER} DIRECTORY)
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
                   --wineserver ${e2e_wine_dir}/wineserver
                   --build-dir ${CMAKE_BINARY_DIR}
                   --launcher $<TARGET_FILE:e2e_launcher>
                   --preview-parent $<TARGET_FILE:e2e_preview_parent>
                   --inspector $<TARGET_FILE:e2e_inspector>
                   --vanishing-parent $<TARGET_FILE:e2e_vanishing_parent>
                   --command-line-runs $<TARGET_FILE:e2e_command_line_runs>
                   --logs-bitmap ${PROJECT_SOURCE_DIR}/resources/logs.bmp
                   ${e2e_doubles})
  set_tests_properties(e2e.${group} PROPERTIES TIMEOUT 240 SKIP_RETURN_CODE 77 RESOURCE_LOCK tamblorn_e2e)
endforeach()
