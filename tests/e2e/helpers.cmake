# The small Windows programs through which the end-to-end groups drive the saver.
foreach(helper launcher preview_parent inspector vanishing_parent command_line_runs)
  add_executable(e2e_${helper} ${PROJECT_SOURCE_DIR}/tests/e2e/${helper}.cpp)
  target_link_libraries(e2e_${helper} PRIVATE tamblorn_contract user32 gdi32)
  tamblorn_warnings(e2e_${helper})
endforeach()
# The command-line runs judge by the same model of the grammar as the in-process harness.
target_sources(e2e_command_line_runs PRIVATE ${PROJECT_SOURCE_DIR}/tests/win32/support/command_line_model.cpp)
target_include_directories(e2e_command_line_runs PRIVATE ${PROJECT_SOURCE_DIR}/tests/win32 ${PROJECT_SOURCE_DIR}/host)
