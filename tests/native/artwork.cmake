# Checks of the committed artwork, for the native tree: included from its top
# level after find_package(GTest) and enable_testing(); the generators come
# from tools/.
get_filename_component(tamblorn_artwork_root "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
set(tamblorn_artwork_test_source "${CMAKE_CURRENT_LIST_DIR}/artwork_test.cpp")
include(GoogleTest)

add_executable(artwork_test ${tamblorn_artwork_test_source})
tamblorn_warnings(artwork_test)
target_compile_definitions(artwork_test PRIVATE TAMBLORN_SOURCE_DIR="${tamblorn_artwork_root}")
target_link_libraries(artwork_test PRIVATE GTest::gtest_main)
gtest_discover_tests(artwork_test TEST_PREFIX "artwork.")

# The committed files must be exactly what the generators write.
set(tamblorn_artwork_out "${CMAKE_BINARY_DIR}/artwork")
file(MAKE_DIRECTORY "${tamblorn_artwork_out}")
foreach(artwork IN ITEMS "make_logs_bitmap;logs.bmp" "make_icon;tamblorn.ico")
  list(GET artwork 0 generator)
  list(GET artwork 1 file)
  add_test(NAME artwork.generate.${file}
           COMMAND $<TARGET_FILE:${generator}> "${tamblorn_artwork_out}/${file}")
  set_tests_properties(artwork.generate.${file} PROPERTIES FIXTURES_SETUP artwork_${file})
  add_test(NAME artwork.reproduces.${file}
           COMMAND ${CMAKE_COMMAND} -E compare_files
                   "${tamblorn_artwork_out}/${file}" "${tamblorn_artwork_root}/resources/${file}")
  set_tests_properties(artwork.reproduces.${file} PROPERTIES FIXTURES_REQUIRED artwork_${file})
endforeach()
