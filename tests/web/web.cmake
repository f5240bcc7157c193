# The page: the core built as WebAssembly into the tree's web/ (web/build-web.sh, as `make web` builds
# build/web/), and its test in headless Chromium beside the X11 program.
find_program(TAMBLORN_WASM_CXX clang++-14)
if(NOT TAMBLORN_WASM_CXX OR NOT EXISTS /usr/lib/wasm32-wasi/libc.a OR NOT TARGET tamblorn)
  message(STATUS "No clang-14 with wasi-libc: the page and its test are left out (tools/setup.sh installs them)")
  return()
endif()
file(GLOB web_inputs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/engine/core/* ${PROJECT_SOURCE_DIR}/web/*)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/web/tamblorn.wasm
                   COMMAND env CLANGXX=${TAMBLORN_WASM_CXX} bash ${PROJECT_SOURCE_DIR}/web/build-web.sh
                           ${CMAKE_BINARY_DIR}/web
                   DEPENDS ${web_inputs} ${PROJECT_SOURCE_DIR}/resources/logs.bmp
                   VERBATIM)
# The page built from the settings table with another size range, beside it.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/web/altered/tamblorn.wasm
                   COMMAND env CLANGXX=${TAMBLORN_WASM_CXX} SETTINGS_TABLE=${altered_settings}
                           bash ${PROJECT_SOURCE_DIR}/web/build-web.sh ${CMAKE_BINARY_DIR}/web/altered
                   DEPENDS ${web_inputs} ${altered_settings} VERBATIM)
add_custom_target(tamblorn_web ALL DEPENDS ${CMAKE_BINARY_DIR}/web/tamblorn.wasm
                                           ${CMAKE_BINARY_DIR}/web/altered/tamblorn.wasm)
add_test(NAME web.page
         COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tests/web/run_web.py --site ${CMAKE_BINARY_DIR}/web
                 --program $<TARGET_FILE:tamblorn> --render $<TARGET_FILE:tamblorn-render>
                 --describe $<TARGET_FILE:tamblorn-describe> $<TARGET_FILE:tamblorn-describe-altered>
                 --work-dir ${CMAKE_BINARY_DIR}/web-work --windows-fuel ${TAMBLORN_WINDOWS_TEXT_FUEL})
set_tests_properties(web.page PROPERTIES TIMEOUT 600)
