# Native tree: the simulation core with sanitizers, its tests, the artwork
# generators and the benchmarks.
option(TAMBLORN_PACKAGE_ONLY "Build only the programs of the Debian package" OFF)
if(NOT TAMBLORN_PACKAGE_ONLY)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

option(TAMBLORN_SANITIZE "Build the core and its tests with ASan and UBSan" ON)
set(sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(tamblorn_engine_core STATIC ${TAMBLORN_CORE_SOURCES})
target_include_directories(tamblorn_engine_core PUBLIC ${PROJECT_SOURCE_DIR}/engine/core)
tamblorn_warnings(tamblorn_engine_core)
if(TAMBLORN_SANITIZE)
  target_compile_options(tamblorn_engine_core PUBLIC ${sanitize_flags})
  target_link_options(tamblorn_engine_core PUBLIC ${sanitize_flags})
endif()

include(cmake/native-programs.cmake)
if(TAMBLORN_PACKAGE_ONLY)
  return()
endif()
include(tests/x11/x11.cmake)
include(tests/wayland/wayland.cmake)
include(tests/web/web.cmake)
# Every shipped file made again in a second clone and compared byte for byte:
# under make stress only, since it builds everything a second time.
if(TAMBLORN_STRESS_RUN)
  add_test(NAME release.second_build
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/release/second_build.sh ${PROJECT_SOURCE_DIR}
                   ${CMAKE_BINARY_DIR}/release-work)
  set_tests_properties(release.second_build PROPERTIES TIMEOUT 3600 RESOURCE_LOCK tamblorn_release)
endif()

file(GLOB core_test_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/native/*_test.cpp)
add_executable(core_tests ${core_test_sources})
target_link_libraries(core_tests PRIVATE tamblorn_engine_core GTest::gtest_main)
target_include_directories(core_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
tamblorn_warnings(core_tests)
gtest_discover_tests(core_tests TEST_PREFIX "native.")
# Each test builds the records it works on: the whole binary passes in one
# process, in any order, with nothing left behind for the leak check.
add_test(NAME native.core_tests_in_one_process COMMAND core_tests --gtest_shuffle --gtest_brief=1)
# The README's drawing of which folder includes which, held to the sources.
add_test(NAME native.layout COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/native/layout_check.py)
# The emulated PC that root built (tools/pc32, run by tools/setup.sh where this kernel refuses 32-bit programs) is
# taken as it is by a plain user, who cannot write root's lock file: nothing is built and nothing said.
add_test(NAME native.pc32_built_root_for_a_plain_user
         COMMAND bash -c [=[
cache=$(mktemp -d) && trap 'rm -rf "$cache"' EXIT && chmod 755 "$cache" && touch "$cache/.lock" &&
  chmod 400 "$cache/.lock" && cat "$0/build-root.sh" "$0/init.c" | sha256sum | cut -c1-16 >"$cache/made" || exit 1
as=(); [ "$(id -u)" = 0 ] && as=(runuser -u tamblorn-user --)
said=$("${as[@]}" env TAMBLORN_PC32_CACHE="$cache" bash "$0/build-root.sh" 2>&1) && [ -z "$said" ] || { echo "$said"; exit 1; }
]=] ${PROJECT_SOURCE_DIR}/tools/pc32)

add_subdirectory(tools)
include(tests/native/artwork.cmake)

# The benchmarks measure an optimised core without sanitizers.
find_package(benchmark QUIET)
if(benchmark_FOUND)
  add_library(tamblorn_core_fast STATIC ${TAMBLORN_CORE_SOURCES})
  target_include_directories(tamblorn_core_fast PUBLIC ${PROJECT_SOURCE_DIR}/engine/core)
  target_compile_options(tamblorn_core_fast PRIVATE -O2)
  add_executable(flame_bench bench/cell_pass_bench.cpp bench/bench_cases.cpp)
  target_compile_options(flame_bench PRIVATE -O2)
  target_link_libraries(flame_bench PRIVATE tamblorn_core_fast benchmark::benchmark)
  tamblorn_warnings(flame_bench)
endif()

# A coverage-guided fuzzer of the core, where clang's libFuzzer is at hand;
# the test runs a fixed number of inputs from a fixed seed, three times as many
# with TAMBLORN_STRESS=1.
find_program(TAMBLORN_CLANGXX clang++)
if(TAMBLORN_CLANGXX)
  set(fuzzer_sources tests/native/fuzz/canvas_fuzzer.cpp ${TAMBLORN_CORE_SOURCES})
  list(TRANSFORM fuzzer_sources PREPEND ${PROJECT_SOURCE_DIR}/)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/canvas_fuzzer
                     COMMAND ${TAMBLORN_CLANGXX} -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined
                             -I${PROJECT_SOURCE_DIR}/engine/core -I${PROJECT_SOURCE_DIR}/tests/native ${fuzzer_sources}
                             -o ${CMAKE_BINARY_DIR}/canvas_fuzzer
                     DEPENDS ${fuzzer_sources} VERBATIM)
  add_custom_target(canvas_fuzzer ALL DEPENDS ${CMAKE_BINARY_DIR}/canvas_fuzzer)
  add_test(NAME native.fuzz.canvas
           COMMAND sh -c "runs=20000; [ \"$TAMBLORN_STRESS\" = 1 ] && runs=60000; echo \"fuzzing $runs inputs\"; exec \"$0\" -runs=$runs -seed=1 -max_len=4096"
                   ${CMAKE_BINARY_DIR}/canvas_fuzzer)
endif()
