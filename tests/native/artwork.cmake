# Checks of the committed artwork, for the native tree; the generators come
# from tools/. What the pictures hold is judged through the programs' own
# readers: the logs by the native decoder (native.unix), the icon by Windows
# (windows.version_resource_test).
get_filename_component(tamblorn_artwork_root "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)

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
