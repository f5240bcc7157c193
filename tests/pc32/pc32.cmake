# Where this kernel refuses 32-bit programs, the shipped 32-bit files run in an
# emulated 32-bit PC (tools/pc32): the group of tests/pc32/group.sh, judged by
# the same drivers as the native groups.
if(NOT TARGET Tamblorn)
  return()
endif()
include(tests/win32/doubles.cmake)
include(tests/e2e/helpers.cmake)
set(pc32_installer)
if(TAMBLORN_MAKENSIS)
  set(pc32_installer INSTALLER=${TAMBLORN_INSTALLER})
endif()
# The native renderer's bonfires are hashed here first: the PC compares its own with them.
set(pc32_native ${CMAKE_BINARY_DIR}/pc32-native)
add_test(NAME pc32.shipped
         COMMAND bash -c "mkdir -p ${pc32_native} && ${CMAKE_COMMAND} -DNATIVE_RENDER=${TAMBLORN_NATIVE_RENDER} \
-DWORK_DIR=${pc32_native} -DWRITE_NATIVE_HASHES=${pc32_native}/bonfires.txt \
-P ${PROJECT_SOURCE_DIR}/tests/win32/render_check.cmake && exec bash \"$@\"" pc32
                 ${PROJECT_SOURCE_DIR}/tools/pc32/run.sh ${CMAKE_BINARY_DIR}/pc32 ${PROJECT_SOURCE_DIR}/tests/pc32/group.sh
                 NATIVE_HASHES=${pc32_native}/bonfires.txt
                 SAVER=${TAMBLORN_SHIPPED_PROGRAM} OLD_PROGRAM=$<TARGET_FILE:Tamblorn> README=${CMAKE_BINARY_DIR}/ship/README.txt
                 ${pc32_installer} RENDER=$<TARGET_FILE:tamblorn-render> VERSION=${TAMBLORN_VERSION}
                 BONFIRE_HASH=${TAMBLORN_BONFIRE_HASH} LAUNCHER=$<TARGET_FILE:e2e_launcher>
                 PREVIEW_PARENT=$<TARGET_FILE:e2e_preview_parent> INSPECTOR=$<TARGET_FILE:e2e_inspector>
                 VANISHING_PARENT=$<TARGET_FILE:e2e_vanishing_parent> VERIFIER=$<TARGET_FILE:password_double>
                 PASSWORD_CHANGE=$<TARGET_FILE:mpr_double>)
# The PC stops itself after 50 minutes (tools/pc32/run.sh); a run takes some minutes on an idle
# machine and half an hour beside other builds.
set_tests_properties(pc32.shipped PROPERTIES TIMEOUT 3300 SKIP_RETURN_CODE 77)
