# Writes the time every shipped file carries to OUTPUT, changing the file only
# when the time changes (what depends on it is made again after a new commit):
# SOURCE_DATE_EPOCH where the caller set it, else the time of the last commit,
# else, in a copy without its history, the time of the file VERSION.
#   cmake -DSOURCE_DIR=... -DOUTPUT=.../source-date -P source-date.cmake
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  set(source_date $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE source_date OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT source_date MATCHES "^[0-9]+$")
    file(TIMESTAMP ${SOURCE_DIR}/VERSION source_date "%s" UTC)
  endif()
endif()
set(old_date "")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old_date)
endif()
if(NOT old_date STREQUAL source_date)
  file(WRITE ${OUTPUT} "${source_date}")
endif()
