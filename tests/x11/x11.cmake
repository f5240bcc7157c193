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
add_executable(native_support_tests ${native_support_test_sources})
target_include_directories(native_support_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/tools)
target_link_libraries(native_support_tests PRIVATE tamblorn_unix GTest::gtest_main)
tamblorn_warnings(native_support_tests)
gtest_discover_tests(native_support_tests TEST_PREFIX "native.unix.")

# The settings description, the manual page and both usage texts as built, and as built from a settings
# table with another size range: each follows its table.
set(altered_settings ${CMAKE_BINARY_DIR}/altered/saver_settings.cpp)
add_custom_command(OUTPUT ${altered_settings}
                   COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/engine/core/saver_settings.cpp
                           -DOUTPUT=${altered_settings} -P ${PROJECT_SOURCE_DIR}/tests/native/alter_settings_table.cmake
                   DEPENDS ${PROJECT_SOURCE_DIR}/engine/core/saver_settings.cpp
                           ${PROJECT_SOURCE_DIR}/tests/native/alter_settings_table.cmake VERBATIM)
add_executable(tamblorn-altered ${altered_settings} $<TARGET_OBJECTS:tamblorn_x11_objects>)
target_link_libraries(tamblorn-altered PRIVATE ${x11_libraries})
add_executable(tamblorn-describe-altered ${altered_settings} ${PROJECT_SOURCE_DIR}/tools/describe_settings.cpp)
target_link_libraries(tamblorn-describe-altered PRIVATE tamblorn_engine_core)
target_include_directories(tamblorn-describe-altered PRIVATE ${PROJECT_SOURCE_DIR}/engine/unix)
add_executable(tamblorn-render-altered ${altered_settings} ${render_sources})
target_include_directories(tamblorn-render-altered SYSTEM PRIVATE ${TAMBLORN_STB_DIR})
target_link_libraries(tamblorn-render-altered PRIVATE tamblorn_unix)
add_test(NAME native.one_settings_table
         COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tests/native/one_settings_table.py
                 --source ${PROJECT_SOURCE_DIR}
                 --built $<TARGET_FILE:tamblorn-describe> $<TARGET_FILE:tamblorn> $<TARGET_FILE:tamblorn-render>
                 --built $<TARGET_FILE:tamblorn-describe-altered> $<TARGET_FILE:tamblorn-altered>
                         $<TARGET_FILE:tamblorn-render-altered> --wayland $<TARGET_FILE:tamblorn-wayland>)
set_tests_properties(native.one_settings_table PROPERTIES TIMEOUT 300)
