# Windows tree: the saver, the frame renderer and the tests that run under Wine.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(TAMBLORN_WINE_LOADER /usr/lib/wine/wine64)
  set(TAMBLORN_WINE_ARCH win64)
else()
  set(TAMBLORN_WINE_LOADER /usr/lib/wine/wine)
  set(TAMBLORN_WINE_ARCH win32)
endif()
set(TAMBLORN_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${PROJECT_SOURCE_DIR}/tools/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Tests are built where this machine's Wine can run what the tree makes.
execute_process(COMMAND ${TAMBLORN_WINE_LOADER} --version RESULT_VARIABLE wine_result OUTPUT_QUIET ERROR_QUIET)
if(wine_result EQUAL 0)
  set(wine_runs ON)
else()
  set(wine_runs OFF)
endif()
option(TAMBLORN_WINDOWS_TESTS "Build and run the Windows tests under Wine" ${wine_runs})

add_compile_definitions(_WIN32_WINNT=0x0600 WINVER=0x0600 NOMINMAX)
add_link_options(-static -static-libgcc -static-libstdc++)
set(TAMBLORN_RESOURCES ${PROJECT_SOURCE_DIR}/resources/tamblorn.rc)

# The one version number, from the file VERSION, for the resources, the
# installer and the read-me.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/VERSION)
file(STRINGS ${PROJECT_SOURCE_DIR}/VERSION TAMBLORN_VERSION LIMIT_COUNT 1)
if(NOT TAMBLORN_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "VERSION must hold major.minor.patch, not '${TAMBLORN_VERSION}'")
endif()
set(TAMBLORN_VERSION_MAJOR ${CMAKE_MATCH_1})
set(TAMBLORN_VERSION_MINOR ${CMAKE_MATCH_2})
set(TAMBLORN_VERSION_PATCH ${CMAKE_MATCH_3})
configure_file(${PROJECT_SOURCE_DIR}/resources/tamblorn_version.h.in ${CMAKE_BINARY_DIR}/generated/tamblorn_version.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)

# One library per layer. A layer sees only the headers of the layers it links,
# so an include across the host's contract fails to build.
add_library(tamblorn_contract INTERFACE)
target_include_directories(tamblorn_contract INTERFACE ${PROJECT_SOURCE_DIR}/host/contract ${PROJECT_SOURCE_DIR}/resources)

add_library(tamblorn_engine_core OBJECT ${TAMBLORN_CORE_SOURCES})
target_include_directories(tamblorn_engine_core PUBLIC ${PROJECT_SOURCE_DIR}/engine)
tamblorn_warnings(tamblorn_engine_core)

file(GLOB engine_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/engine/*.cpp)
set(core_paths ${TAMBLORN_CORE_SOURCES})
list(TRANSFORM core_paths PREPEND ${PROJECT_SOURCE_DIR}/)
list(REMOVE_ITEM engine_sources ${core_paths})
add_library(tamblorn_engine STATIC ${engine_sources})
target_link_libraries(tamblorn_engine PUBLIC tamblorn_engine_core tamblorn_contract gdi32 user32)
tamblorn_warnings(tamblorn_engine)

file(GLOB dialog_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/dialog/*.cpp)
add_library(tamblorn_dialog STATIC ${dialog_sources})
target_include_directories(tamblorn_dialog PUBLIC ${PROJECT_SOURCE_DIR}/dialog)
target_link_libraries(tamblorn_dialog PUBLIC tamblorn_contract tamblorn_engine user32)
tamblorn_warnings(tamblorn_dialog)

file(GLOB host_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/host/*.cpp)
list(REMOVE_ITEM host_sources ${PROJECT_SOURCE_DIR}/host/main.cpp)
add_library(tamblorn_host STATIC ${host_sources})
target_include_directories(tamblorn_host PRIVATE ${PROJECT_SOURCE_DIR}/host)
target_link_libraries(tamblorn_host PUBLIC tamblorn_engine tamblorn_dialog comctl32 user32 advapi32)
tamblorn_warnings(tamblorn_host)
# The effect calls what the host offers through the contract: the two link as a group.
target_link_libraries(tamblorn_engine INTERFACE tamblorn_host)

if(EXISTS ${PROJECT_SOURCE_DIR}/host/main.cpp)
  add_executable(Tamblorn WIN32 host/main.cpp ${TAMBLORN_RESOURCES})
  set_target_properties(Tamblorn PROPERTIES SUFFIX ".scr")
  target_include_directories(Tamblorn PRIVATE ${PROJECT_SOURCE_DIR}/host)
  target_link_libraries(Tamblorn PRIVATE tamblorn_host)
  tamblorn_warnings(Tamblorn)
  include(installer/ship.cmake)
  add_test(NAME program.image
           COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:Tamblorn> -DSHIPPED=${TAMBLORN_SHIPPED_PROGRAM}
                   -DOBJDUMP=${TAMBLORN_MINGW_TRIPLE}-objdump
                   -DWINDRES=${CMAKE_RC_COMPILER} -P ${PROJECT_SOURCE_DIR}/tests/win32/program_image_check.cmake)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    add_test(NAME program.vector_code
             COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:Tamblorn> -DOBJDUMP=${TAMBLORN_MINGW_TRIPLE}-objdump
                     -P ${PROJECT_SOURCE_DIR}/tests/win32/vector_code_check.cmake)
  endif()
endif()

if(EXISTS ${PROJECT_SOURCE_DIR}/tools/tamblorn_render.cpp)
  add_executable(tamblorn-render tools/tamblorn_render.cpp ${TAMBLORN_RESOURCES})
  target_include_directories(tamblorn-render SYSTEM PRIVATE /usr/include/stb)
  target_include_directories(tamblorn-render PRIVATE ${PROJECT_SOURCE_DIR}/host)
  target_link_libraries(tamblorn-render PRIVATE tamblorn_host)
  tamblorn_warnings(tamblorn-render)
endif()

# The cell pass benchmark, self-timed (`make bench` runs it under Wine).
add_executable(flame_bench bench/windows_bench.cpp bench/bench_cases.cpp)
target_link_libraries(flame_bench PRIVATE tamblorn_engine)
tamblorn_warnings(flame_bench)

# The bonfire canvas after 60 ticks seeded with 7, as the renderer writes it.
set(TAMBLORN_BONFIRE_HASH cab75a9e0ad9b1f5b20facb51a00ac2037857c9f19df5bf7db2e55844ea2e9be)

if(TAMBLORN_WINDOWS_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

  include(tests/win32/doubles.cmake OPTIONAL)

  # What the Windows tests share, one file per concern.
  add_library(win_test_support STATIC tests/win32/support/settings_file.cpp tests/win32/support/saver_run.cpp
              tests/win32/support/gdi_recording.cpp tests/win32/support/test_process.cpp
              tests/win32/support/command_line_model.cpp)
  target_include_directories(win_test_support PUBLIC ${PROJECT_SOURCE_DIR}/tests/win32 ${PROJECT_SOURCE_DIR}/host)
  target_link_libraries(win_test_support PUBLIC tamblorn_host gtest psapi)
  tamblorn_warnings(win_test_support)

  # One executable per test file, each run as a whole under Wine, on a display
  # and in a prefix of its own (an empty DISPLAY makes wine-run.sh start one),
  # so that the tests run side by side.
  file(GLOB windows_tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/win32/*_test.cpp)
  foreach(test_source ${windows_tests})
    get_filename_component(test_name ${test_source} NAME_WE)
    add_executable(${test_name} ${test_source} ${TAMBLORN_RESOURCES})
    target_link_libraries(${test_name} PRIVATE win_test_support gtest_main)
    if(test_name STREQUAL "version_resource_test")
      target_link_libraries(${test_name} PRIVATE version)
    endif()
    tamblorn_warnings(${test_name})
    add_test(NAME windows.${test_name} COMMAND ${test_name})
    set_tests_properties(windows.${test_name} PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77
                         ENVIRONMENT "DISPLAY=;TAMBLORN_WINE_PREFIX=${CMAKE_BINARY_DIR}/wineprefix-${test_name}")
  endforeach()

  # The cell pass variants against the sequential loop, as natively.
  add_executable(cell_pass_equivalence_test tests/native/cell_pass_equivalence_test.cpp)
  target_link_libraries(cell_pass_equivalence_test PRIVATE tamblorn_engine gtest gtest_main)
  tamblorn_warnings(cell_pass_equivalence_test)
  add_test(NAME windows.cell_pass_equivalence_test COMMAND cell_pass_equivalence_test)
  set_tests_properties(windows.cell_pass_equivalence_test PROPERTIES TIMEOUT 300
                       ENVIRONMENT "DISPLAY=;TAMBLORN_WINE_PREFIX=${CMAKE_BINARY_DIR}/wineprefix-cell_pass")

  add_test(NAME windows.render_check
           COMMAND ${CMAKE_COMMAND} -DWINE_RUN=${CMAKE_BINARY_DIR}/wine-run.sh -DRENDER=$<TARGET_FILE:tamblorn-render>
                   -DWORK_DIR=${CMAKE_BINARY_DIR} -DBONFIRE_HASH=${TAMBLORN_BONFIRE_HASH}
                   -P ${PROJECT_SOURCE_DIR}/tests/win32/render_check.cmake)
  set_tests_properties(windows.render_check PROPERTIES TIMEOUT 120
                       ENVIRONMENT "DISPLAY=;TAMBLORN_WINE_PREFIX=${CMAKE_BINARY_DIR}/wineprefix-render")

  # The set-up's picture on a 16-bit display, in a prefix of its own.
  add_test(NAME windows.canvas_setup_test_16_bits
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/win32/at_display_depth.sh 16 ${CMAKE_BINARY_DIR}/wineprefix16
                   ${CMAKE_BINARY_DIR}/wine-run.sh $<TARGET_FILE:canvas_setup_test>
                   --gtest_filter=CanvasSetUp.TheLogsKeepTheirColoursAtEveryDisplayDepth)
  set_tests_properties(windows.canvas_setup_test_16_bits PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77)

  include(tests/e2e/e2e.cmake OPTIONAL)
  include(tests/installer/installer.cmake OPTIONAL)
  include(tests/e2e/two_monitors.cmake OPTIONAL)
endif()
