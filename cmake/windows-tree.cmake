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
execute_process(COMMAND bash -c ". '${PROJECT_SOURCE_DIR}/tools/lib.sh' && tamblorn_loader_runs '${TAMBLORN_WINE_LOADER}'"
                RESULT_VARIABLE wine_result OUTPUT_QUIET ERROR_QUIET)
if(wine_result EQUAL 0)
  set(wine_runs ON)
else()
  set(wine_runs OFF)
endif()
option(TAMBLORN_WINDOWS_TESTS "Build and run the Windows tests under Wine" ${wine_runs})

add_compile_definitions(_WIN32_WINNT=0x0600 WINVER=0x0600 NOMINMAX)
add_link_options(-static -static-libgcc -static-libstdc++)
# The shipped program keeps only what it calls, and everything but the core's
# cell pass, which runs ten times a second over every cell, is built for size.
add_compile_options(-ffunction-sections -fdata-sections)
set(TAMBLORN_SIZE_FLAGS $<$<CONFIG:Release>:-Os>)
# The 32-bit program carries no unwind tables: it throws no C++ exceptions, and its structured exception
# handling is frame-based (the 64-bit one unwinds through the tables, and keeps them).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  list(APPEND TAMBLORN_SIZE_FLAGS -fno-exceptions -fno-asynchronous-unwind-tables)
endif()
set(TAMBLORN_RESOURCES ${PROJECT_SOURCE_DIR}/resources/tamblorn.rc)
# windres reads these files by name, so the compiler's scan of includes does not see them.
set_source_files_properties(${TAMBLORN_RESOURCES} PROPERTIES OBJECT_DEPENDS
  "${PROJECT_SOURCE_DIR}/resources/logs.bmp;${PROJECT_SOURCE_DIR}/resources/tamblorn.ico;${PROJECT_SOURCE_DIR}/resources/tamblorn.manifest")

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

# One library per layer; a layer sees only the headers of what it links, and
# the links run one way: host -> engine, dialog -> settings -> core. The effect
# and the dialog reach the host only through the contract, whose entries the
# program's link resolves (the host is an object library for that reason).
add_library(tamblorn_contract INTERFACE)
target_include_directories(tamblorn_contract INTERFACE ${PROJECT_SOURCE_DIR}/contract ${PROJECT_SOURCE_DIR}/resources)

add_library(tamblorn_engine_core STATIC ${TAMBLORN_CORE_SOURCES})
set(core_size_sources ${TAMBLORN_CORE_SOURCES})
list(FILTER core_size_sources EXCLUDE REGEX "cell_pass|noise_generator")
set_source_files_properties(${core_size_sources} PROPERTIES COMPILE_OPTIONS "${TAMBLORN_SIZE_FLAGS}")
target_include_directories(tamblorn_engine_core PUBLIC ${PROJECT_SOURCE_DIR}/engine/core)
tamblorn_warnings(tamblorn_engine_core)

add_library(tamblorn_settings STATIC engine/win32/settings_profile.cpp engine/win32/wide_calls.cpp)
target_include_directories(tamblorn_settings PUBLIC ${PROJECT_SOURCE_DIR}/engine/win32)
target_link_libraries(tamblorn_settings PUBLIC tamblorn_engine_core tamblorn_contract user32 kernel32)
tamblorn_warnings(tamblorn_settings)
target_compile_options(tamblorn_settings PRIVATE ${TAMBLORN_SIZE_FLAGS})

file(GLOB engine_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/engine/win32/*.cpp)
list(REMOVE_ITEM engine_sources ${PROJECT_SOURCE_DIR}/engine/win32/settings_profile.cpp
     ${PROJECT_SOURCE_DIR}/engine/win32/wide_calls.cpp)
add_library(tamblorn_engine STATIC ${engine_sources})
target_link_libraries(tamblorn_engine PUBLIC tamblorn_settings tamblorn_contract gdi32 user32)
tamblorn_warnings(tamblorn_engine)
target_compile_options(tamblorn_engine PRIVATE ${TAMBLORN_SIZE_FLAGS})

file(GLOB dialog_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/dialog/*.cpp)
add_library(tamblorn_dialog STATIC ${dialog_sources})
target_include_directories(tamblorn_dialog PUBLIC ${PROJECT_SOURCE_DIR}/dialog)
target_link_libraries(tamblorn_dialog PUBLIC tamblorn_contract tamblorn_settings user32)
tamblorn_warnings(tamblorn_dialog)
target_compile_options(tamblorn_dialog PRIVATE ${TAMBLORN_SIZE_FLAGS})

file(GLOB host_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/host/*.cpp)
list(REMOVE_ITEM host_sources ${PROJECT_SOURCE_DIR}/host/main.cpp)
add_library(tamblorn_host OBJECT ${host_sources})
target_include_directories(tamblorn_host PUBLIC ${PROJECT_SOURCE_DIR}/host)
target_link_libraries(tamblorn_host PUBLIC tamblorn_engine tamblorn_dialog comctl32 user32 advapi32)
tamblorn_warnings(tamblorn_host)
target_compile_options(tamblorn_host PRIVATE ${TAMBLORN_SIZE_FLAGS})

add_executable(Tamblorn WIN32 host/main.cpp ${TAMBLORN_RESOURCES})
set_target_properties(Tamblorn PROPERTIES SUFFIX ".scr")
target_link_libraries(Tamblorn PRIVATE tamblorn_host)
target_link_options(Tamblorn PRIVATE -Wl,--gc-sections)
tamblorn_warnings(Tamblorn)
include(installer/ship.cmake)
add_test(NAME program.image
         COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:Tamblorn> -DSHIPPED=${TAMBLORN_SHIPPED_PROGRAM}
                 -DOBJDUMP=${TAMBLORN_MINGW_TRIPLE}-objdump
                 -DWINDRES=${CMAKE_RC_COMPILER} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                 -P ${PROJECT_SOURCE_DIR}/tests/win32/program_image_check.cmake)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  add_test(NAME program.vector_code
           COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:Tamblorn> -DOBJDUMP=${TAMBLORN_MINGW_TRIPLE}-objdump
                   -P ${PROJECT_SOURCE_DIR}/tests/win32/vector_code_check.cmake)
endif()

# The renderer runs the effect's set-up and step with a small host of its own.
# It takes the settings' options of the native programs' table, which needs the core alone.
add_executable(tamblorn-render tools/tamblorn_render.cpp tools/render_setup_win32.cpp tools/render_host.cpp
               engine/unix/saver_option_table.cpp ${TAMBLORN_RESOURCES})
target_include_directories(tamblorn-render SYSTEM PRIVATE /usr/include/stb)
target_include_directories(tamblorn-render PRIVATE ${PROJECT_SOURCE_DIR}/engine/unix)
target_link_libraries(tamblorn-render PRIVATE tamblorn_engine)
tamblorn_warnings(tamblorn-render)

# The cell pass benchmark, self-timed (`make bench` runs it under Wine).
add_executable(flame_bench bench/windows_bench.cpp bench/bench_cases.cpp)
target_link_libraries(flame_bench PRIVATE tamblorn_engine_core)
tamblorn_warnings(flame_bench)

# The native renderer whose bonfire dumps must equal this tree's (the suite
# builds the native tree first).
set(TAMBLORN_NATIVE_RENDER ${PROJECT_SOURCE_DIR}/build/native/tamblorn-render CACHE FILEPATH
    "The native tamblorn-render to compare with")

# The bonfire canvas after 60 ticks seeded with 7, as the renderer writes it.
set(TAMBLORN_BONFIRE_HASH cab75a9e0ad9b1f5b20facb51a00ac2037857c9f19df5bf7db2e55844ea2e9be)

if(TAMBLORN_WINDOWS_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

  include(tests/win32/doubles.cmake)

  # What the Windows tests share, one file per concern.
  add_library(win_test_support STATIC tests/win32/support/settings_file.cpp tests/win32/support/saver_run.cpp
              tests/win32/support/gdi_recording.cpp tests/win32/support/test_process.cpp)
  target_include_directories(win_test_support PUBLIC ${PROJECT_SOURCE_DIR}/tests/win32 ${PROJECT_SOURCE_DIR}/tests/native
                             ${PROJECT_SOURCE_DIR}/tests)
  # The host's objects go into each test program itself (an object library is
  # not passed on through a static one).
  target_link_libraries(win_test_support PUBLIC tamblorn_engine tamblorn_dialog gtest psapi)
  target_include_directories(win_test_support PUBLIC ${PROJECT_SOURCE_DIR}/host)
  tamblorn_warnings(win_test_support)

  # One executable per test file, each run as a whole under Wine, on a display
  # and in a prefix of its own (an empty DISPLAY makes wine-run.sh start one),
  # so that the tests run side by side.
  file(GLOB windows_tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/win32/*_test.cpp)
  foreach(test_source ${windows_tests})
    get_filename_component(test_name ${test_source} NAME_WE)
    add_executable(${test_name} ${test_source} ${TAMBLORN_RESOURCES})
    target_link_libraries(${test_name} PRIVATE tamblorn_host win_test_support gtest_main)
    if(test_name STREQUAL "version_resource_test")
      target_link_libraries(${test_name} PRIVATE version)
    endif()
    tamblorn_warnings(${test_name})
    add_test(NAME windows.${test_name} COMMAND ${test_name})
    set_tests_properties(windows.${test_name} PROPERTIES TIMEOUT ${TAMBLORN_TEST_LIMIT} SKIP_RETURN_CODE 77
                         ENVIRONMENT "DISPLAY=;TAMBLORN_WINE_PREFIX=${CMAKE_BINARY_DIR}/wineprefix-${test_name}")
  endforeach()

  # The settings-file harness's cases (300, 10,000 under make stress) took some
  # 60 ms each under Wine on a loaded two-core machine; the other harnesses'
  # full counts end well within the usual limit.
  tamblorn_counted_limit(windows.hostile_settings_test 300 200 300 10000)

  # The cell pass variants against the sequential loop, as natively.
  add_executable(cell_pass_equivalence_test tests/native/cell_pass_equivalence_test.cpp)
  target_link_libraries(cell_pass_equivalence_test PRIVATE tamblorn_engine_core gtest gtest_main)
  tamblorn_warnings(cell_pass_equivalence_test)
  add_test(NAME windows.cell_pass_equivalence_test COMMAND cell_pass_equivalence_test)
  set_tests_properties(windows.cell_pass_equivalence_test PROPERTIES TIMEOUT ${TAMBLORN_TEST_LIMIT}
                       ENVIRONMENT "DISPLAY=;TAMBLORN_WINE_PREFIX=${CMAKE_BINARY_DIR}/wineprefix-cell_pass")

  add_test(NAME windows.render_check
           COMMAND ${CMAKE_COMMAND} -DWINE_RUN=${CMAKE_BINARY_DIR}/wine-run.sh -DRENDER=$<TARGET_FILE:tamblorn-render>
                   -DWORK_DIR=${CMAKE_BINARY_DIR} -DBONFIRE_HASH=${TAMBLORN_BONFIRE_HASH}
                   -DNATIVE_RENDER=${TAMBLORN_NATIVE_RENDER} -DWINDOWS_TEXT_FUEL=${TAMBLORN_WINDOWS_TEXT_FUEL}
                   -P ${PROJECT_SOURCE_DIR}/tests/win32/render_check.cmake)
  set_tests_properties(windows.render_check PROPERTIES TIMEOUT ${TAMBLORN_TEST_LIMIT} COST 60
                       ENVIRONMENT "DISPLAY=;TAMBLORN_WINE_PREFIX=${CMAKE_BINARY_DIR}/wineprefix-render")

  # The set-up's picture on a 16-bit display, in a prefix of its own.
  add_test(NAME windows.canvas_setup_test_16_bits
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/win32/at_display_depth.sh 16 ${CMAKE_BINARY_DIR}/wineprefix16
                   ${CMAKE_BINARY_DIR}/wine-run.sh $<TARGET_FILE:canvas_setup_test>
                   --gtest_filter=CanvasSetUp.TheLogsKeepTheirColoursAtEveryDisplayDepth)
  set_tests_properties(windows.canvas_setup_test_16_bits PROPERTIES TIMEOUT ${TAMBLORN_TEST_LIMIT} SKIP_RETURN_CODE 77)

  include(tests/e2e/e2e.cmake)
  include(tests/installer/installer.cmake)
endif()
# Where this kernel refuses 32-bit programs, the shipped ones run in an emulated PC.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686" AND NOT wine_runs)
  include(tests/pc32/pc32.cmake)
endif()
