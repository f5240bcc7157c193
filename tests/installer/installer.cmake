# The installer under Wine: silent install, upgrade and uninstall in a fresh prefix.
if(NOT TARGET Tamblorn OR NOT TAMBLORN_MAKENSIS)
  return()
endif()
set(installer_defines)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(installer_defines --nsis-define=-DTEST_AMD64)
endif()
add_test(NAME installer.silent
         COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/installer/run_installer.py
                 --installer ${TAMBLORN_INSTALLER} --program ${TAMBLORN_SHIPPED_PROGRAM}
                 --old-program $<TARGET_FILE:Tamblorn> --version ${TAMBLORN_VERSION}
                 --readme ${CMAKE_BINARY_DIR}/ship/README.txt --icon ${PROJECT_SOURCE_DIR}/resources/tamblorn.ico
                 --script ${PROJECT_SOURCE_DIR}/installer/tamblorn.nsi --makensis ${TAMBLORN_MAKENSIS}
                 ${installer_defines} --wine-run ${CMAKE_BINARY_DIR}/wine-run.sh --build-dir ${CMAKE_BINARY_DIR})
# COST (rough seconds) lets CTest start the longest runs first where no earlier run timed them.
math(EXPR installer_limit "2 * ${TAMBLORN_TEST_LIMIT}")
set_tests_properties(installer.silent PROPERTIES TIMEOUT ${installer_limit} SKIP_RETURN_CODE 77 COST 120)
