# What the tree ships: the stripped program, the read-me with the version
# and, where makensis is at hand, the installer holding both.
set(ship_dir ${CMAKE_BINARY_DIR}/ship)
set(TAMBLORN_SHIPPED_PROGRAM ${ship_dir}/Tamblorn.scr)
set(ship_readme ${ship_dir}/README.txt)
set(TAMBLORN_INSTALLER ${ship_dir}/Tamblorn-Setup-${TAMBLORN_VERSION}.exe)

add_custom_command(OUTPUT ${TAMBLORN_SHIPPED_PROGRAM}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${ship_dir}
                   COMMAND ${TAMBLORN_MINGW_TRIPLE}-strip --strip-all -o ${TAMBLORN_SHIPPED_PROGRAM} $<TARGET_FILE:Tamblorn>
                   DEPENDS Tamblorn VERBATIM)
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
                     COMMAND ${TAMBLORN_MAKENSIS} -INPUTCHARSET UTF8 -V2 -WX ${installer_target}
                             -DVERSION=${TAMBLORN_VERSION} -DPROGRAM=${TAMBLORN_SHIPPED_PROGRAM}
                             -DREADME=${ship_readme} -DICON=${PROJECT_SOURCE_DIR}/resources/tamblorn.ico
                             -DOUTFILE=${TAMBLORN_INSTALLER} ${PROJECT_SOURCE_DIR}/installer/tamblorn.nsi
                     DEPENDS ${PROJECT_SOURCE_DIR}/installer/tamblorn.nsi ${ship_outputs}
                             ${PROJECT_SOURCE_DIR}/resources/tamblorn.ico VERBATIM)
  list(APPEND ship_outputs ${TAMBLORN_INSTALLER})
else()
  message(STATUS "makensis not found: no installer in this tree (tools/setup.sh installs nsis)")
endif()
add_custom_target(ship ALL DEPENDS ${ship_outputs})
