# The saver on two monitors side by side (a nested X server with Xinerama).
if(NOT TARGET Tamblorn)
  return()
endif()
add_executable(e2e_monitor_report ${PROJECT_SOURCE_DIR}/tests/e2e/monitor_report.cpp)
target_link_libraries(e2e_monitor_report PRIVATE user32)
tamblorn_warnings(e2e_monitor_report)
add_test(NAME e2e.two_monitors
         COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/e2e/run_e2e.py --group two_monitors --saver $<TARGET_FILE:Tamblorn>
                 --wine-run ${CMAKE_BINARY_DIR}/wine-run.sh --build-dir ${CMAKE_BINARY_DIR}
                 --monitor-report $<TARGET_FILE:e2e_monitor_report>)
set_tests_properties(e2e.two_monitors PROPERTIES TIMEOUT ${TAMBLORN_TEST_LIMIT} SKIP_RETURN_CODE 77)
