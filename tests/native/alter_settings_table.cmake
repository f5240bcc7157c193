# The settings table with another size range (2 to 99), for the check that every list of the sizes is made
# from the table: -DINPUT=engine/core/saver_settings.cpp -DOUTPUT=the altered copy.
file(READ ${INPUT} table)
set(row "{\"FONT\", \"SIZE\", DEFAULT_FONT_SIZE, 1, LARGEST_FONT_SIZE}")
string(FIND "${table}" "${row}" found)
if(found EQUAL -1)
  message(FATAL_ERROR "the size row of the settings table is not ${row}: change it here too")
endif()
string(REPLACE "${row}" "{\"FONT\", \"SIZE\", DEFAULT_FONT_SIZE, 2, 99}" table "${table}")
file(WRITE ${OUTPUT} "${table}")
