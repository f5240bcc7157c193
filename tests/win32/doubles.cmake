# Test doubles for the platform libraries that the saver loads by name at run time.
#   ${CMAKE_BINARY_DIR}/PASSWORD.CPL                    verifier with "VerifyScreenSavePwd"
#   ${CMAKE_BINARY_DIR}/MPR.DLL                         "PwdChangePasswordA"; Wine uses it only with mpr=n
#   ${CMAKE_BINARY_DIR}/no_verifier_entry/PASSWORD.CPL  a library of that name without the entry
# They lie beside the test executables, where LoadLibraryA looks first.
set(TAMBLORN_DOUBLES_DIR ${CMAKE_BINARY_DIR})
set(TAMBLORN_DOUBLE_WITHOUT_ENTRY_DIR ${CMAKE_BINARY_DIR}/no_verifier_entry)
set(doubles_source ${PROJECT_SOURCE_DIR}/tests/win32/doubles)

function(tamblorn_test_double target output_name suffix directory)
  add_library(${target} MODULE ${ARGN})
  set_target_properties(${target} PROPERTIES
    PREFIX "" OUTPUT_NAME ${output_name} SUFFIX ${suffix} LIBRARY_OUTPUT_DIRECTORY ${directory})
  target_include_directories(${target} PRIVATE ${doubles_source})
  # The .def files name the stdcall entries undecorated; let the 32-bit linker match them quietly.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup)
  endif()
  tamblorn_warnings(${target})
endfunction()

tamblorn_test_double(password_double PASSWORD .CPL ${TAMBLORN_DOUBLES_DIR}
  ${doubles_source}/password_double.cpp ${doubles_source}/password_double.def)
tamblorn_test_double(password_without_entry_double PASSWORD .CPL ${TAMBLORN_DOUBLE_WITHOUT_ENTRY_DIR}
  ${doubles_source}/password_without_entry.cpp ${doubles_source}/password_without_entry.def)
tamblorn_test_double(mpr_double MPR .DLL ${TAMBLORN_DOUBLES_DIR}
  ${doubles_source}/mpr_double.cpp ${doubles_source}/mpr_double.def)
set(TAMBLORN_TEST_DOUBLES password_double password_without_entry_double mpr_double)

# The test executables and their CTest entries are made after this file is read.
function(tamblorn_hook_up_doubles)
  file(GLOB test_sources ${PROJECT_SOURCE_DIR}/tests/win32/*_test.cpp)
  foreach(test_source ${test_sources})
    get_filename_component(test_name ${test_source} NAME_WE)
    if(TARGET ${test_name})
      add_dependencies(${test_name} ${TAMBLORN_TEST_DOUBLES})
    endif()
  endforeach()
endfunction()
cmake_language(DEFER CALL tamblorn_hook_up_doubles)
