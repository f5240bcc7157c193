# End-to-end runs of the Wayland program on Debian's sway with no screen: one
# CTest test per group, each test on a compositor of its own run as the plain
# user, pictures from grim and keys from wtype.
if(NOT TARGET tamblorn-wayland OR NOT TARGET tamblorn-render)
  return()
endif()
foreach(group frame outputs ending idle)
  add_test(NAME wayland.${group}
           COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/wayland/run_wayland.py --group ${group}
                   --program $<TARGET_FILE:tamblorn-wayland> --render $<TARGET_FILE:tamblorn-render>
                   --work-dir ${CMAKE_BINARY_DIR}/wayland-work/${group})
  set_tests_properties(wayland.${group} PROPERTIES TIMEOUT 600)
endforeach()
