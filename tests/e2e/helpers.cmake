# The small Windows programs through which the end-to-end groups drive the saver.
foreach(helper launcher preview_parent inspector vanishing_parent command_line_runs)
  add_executable(e2e_${helper} ${PROJECT_SOURCE_DIR}/tests/e2e/${helper}.cpp)
  target_link_libraries(e2e_${helper} PRIVATE tamblorn_contract user32 gdi32)
  target_include_directories(e2e_${helper} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  tamblorn_warnings(e2e_${helper})
endforeach()
# The command-line runs judge the started program by its own reading of the line.
target_sources(e2e_command_line_runs PRIVATE ${PROJECT_SOURCE_DIR}/host/command_line.cpp)
target_include_directories(e2e_command_line_runs PRIVATE ${PROJECT_SOURCE_DIR}/host)
