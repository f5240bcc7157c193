# What the tree ships: the stripped program, the read-me with the version
# and, where makensis is at hand, the installer holding both.
set(ship_dir ${CMAKE_BINARY_DIR}/ship)
set(TAMBLORN_SHIPPED_PROGRAM ${ship_dir}/Tamblorn.scr)
set(ship_readme ${ship_dir}/README.txt)
set(TAMBLORN_INSTALLER ${ship_dir}/Tamblorn-Setup-${TAMBLORN_VERSION}.exe)

# Every shipped file carries the time of the last commit (cmake/source-date.cmake),
# never the time it was built, and is made again when that time changes.
set(TAMBLORN_SOURCE_DATE_FILE ${CMAKE_BINARY_DIR}/generated/source-date)
add_custom_target(source_date
                  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DOUTPUT=${TAMBLORN_SOURCE_DATE_FILE}
                          -P ${PROJECT_SOURCE_DIR}/cmake/source-date.cmake
                  BYPRODUCTS ${TAMBLORN_SOURCE_DATE_FILE} VERBATIM)

# strip writes the PE header's time stamp (and so its checksum) anew: from SOURCE_DATE_EPOCH where set.
add_custom_command(OUTPUT ${TAMBLORN_SHIPPED_PROGRAM}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${ship_dir}
                   COMMAND sh -c "SOURCE_DATE_EPOCH=$(cat \"$0\") exec \"$@\"" ${TAMBLORN_SOURCE_DATE_FILE}
                           ${TAMBLORN_MINGW_TRIPLE}-strip --strip-all -o ${TAMBLORN_SHIPPED_PROGRAM} $<TARGET_FILE:Tamblorn>
                   DEPENDS Tamblorn ${TAMBLORN_SOURCE_DATE_FILE} VERBATIM)
add_custom_command(OUTPUT ${ship_readme}
                   COMMAND ${CMAKE_COMMAND} -DVERSION=${TAMBLORN_VERSION}
                           -DSOURCE=${PROJECT_SOURCE_DIR}/resources/README-dist.txt -DOUTPUT=${ship_readme}
                           -P ${PROJECT_SOURCE_DIR}/installer/make_readme.cmake
                   DEPENDS ${PROJECT_SOURCE_DIR}/resources/README-dist.txt ${PROJECT_SOURCE_DIR}/VERSION
                           ${PROJECT_SOURCE_DIR}/installer/make_readme.cmake VERBATIM)
set(ship_outputs ${TAMBLORN_SHIPPED_PROGRAM} ${ship_readme})

find_program(TAMBLORN_MAKENSIS makensis)
if(TAMBLORN_MAKENSIS)
  # Only the 32-bit installer ships; the 64-bit tree makes one for its tests.
  set(installer_target)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(installer_target -DTEST_AMD64)
  endif()
  add_custom_command(OUTPUT ${TAMBLORN_INSTALLER}
                     COMMAND sh ${PROJECT_SOURCE_DIR}/installer/make-installer.sh ${TAMBLORN_SOURCE_DATE_FILE}
                             ${CMAKE_BINARY_DIR}/installer-payload ${TAMBLORN_SHIPPED_PROGRAM} ${ship_readme}
                             ${TAMBLORN_MAKENSIS} -INPUTCHARSET UTF8 -V2 -WX ${installer_target}
                             -DVERSION=${TAMBLORN_VERSION} -DICON=${PROJECT_SOURCE_DIR}/resources/tamblorn.ico
                             -DOUTFILE=${TAMBLORN_INSTALLER} ${PROJECT_SOURCE_DIR}/installer/tamblorn.nsi
                     DEPENDS ${PROJECT_SOURCE_DIR}/installer/tamblorn.nsi ${PROJECT_SOURCE_DIR}/installer/make-installer.sh
                             ${ship_outputs} ${TAMBLORN_SOURCE_DATE_FILE}
                             ${PROJECT_SOURCE_DIR}/resources/tamblorn.ico VERBATIM)
  list(APPEND ship_outputs ${TAMBLORN_INSTALLER})
else()
  message(STATUS "makensis not found: no installer in this tree (tools/setup.sh installs nsis)")
endif()
add_custom_target(ship ALL DEPENDS ${ship_outputs})
add_dependencies(ship source_date)
