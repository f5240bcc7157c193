# Tests of the native front ends. End-to-end runs of the X11 program on
# virtual displays: one CTest test per group, each on its own Xvfb (two_heads
# on a nested Xephyr with two heads).
if(NOT TARGET tamblorn OR NOT TARGET tamblorn-render)
  return()
endif()
foreach(group windows depths ending two_heads frame desktop)
  add_test(NAME x11.${group}
           COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/x11/run_x11.py --group ${group}
                   --program $<TARGET_FILE:tamblorn> --render $<TARGET_FILE:tamblorn-render>
                   --work-dir ${CMAKE_BINARY_DIR}/x11-work/${group})
  set_tests_properties(x11.${group} PROPERTIES TIMEOUT 600 RESOURCE_LOCK tamblorn_x11)
endforeach()

# The Debian package as Debian judges it, and its members' times. It builds in
# the source's build/deb, as the release check does.
add_test(NAME x11.package COMMAND bash ${PROJECT_SOURCE_DIR}/tests/x11/package_check.sh ${PROJECT_SOURCE_DIR})
set_tests_properties(x11.package PROPERTIES TIMEOUT 600 RESOURCE_LOCK tamblorn_release)

# The native programs' own set-up and the X11 program's options, under the
# sanitizers of the tree.
file(GLOB native_support_test_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/native/unix/*_test.cpp)
add_executable(native_support_tests ${native_support_test_sources} ${PROJECT_SOURCE_DIR}/x11/saver_options.cpp)
target_include_directories(native_support_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/x11)
target_compile_definitions(native_support_tests PRIVATE
                           TAMBLORN_SETTINGS_DESCRIPTION="${PROJECT_SOURCE_DIR}/x11/package/tamblorn.xml"
                           TAMBLORN_MANUAL_PAGE="${PROJECT_SOURCE_DIR}/x11/package/tamblorn.6")
target_link_libraries(native_support_tests PRIVATE tamblorn_unix GTest::gtest_main)
tamblorn_warnings(native_support_tests)
gtest_discover_tests(native_support_tests TEST_PREFIX "native.unix.")
