# The native front ends on the core: the X11 program of the XScreenSaver
# family and the renderer, their shared set-up (FreeType text, the built-in
# logs picture, the settings file's place), and the Debian package.
find_package(X11 REQUIRED)
find_package(Freetype REQUIRED)
find_package(Fontconfig REQUIRED)
find_path(TAMBLORN_STB_DIR stb_image_write.h PATH_SUFFIXES stb)

file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/generated)
set(logs_data ${CMAKE_BINARY_DIR}/generated/logs_bitmap_data.cpp)
add_custom_command(OUTPUT ${logs_data}
                   COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/resources/logs.bmp -DOUTPUT=${logs_data}
                           -DNAME=LOGS_BITMAP -P ${PROJECT_SOURCE_DIR}/cmake/embed-file.cmake
                   DEPENDS ${PROJECT_SOURCE_DIR}/resources/logs.bmp ${PROJECT_SOURCE_DIR}/cmake/embed-file.cmake)

file(GLOB unix_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/engine/unix/*.cpp)
add_library(tamblorn_unix STATIC ${unix_sources} ${logs_data})
target_include_directories(tamblorn_unix PUBLIC ${PROJECT_SOURCE_DIR}/engine/unix)
target_link_libraries(tamblorn_unix PUBLIC tamblorn_engine_core Freetype::Freetype Fontconfig::Fontconfig)
tamblorn_warnings(tamblorn_unix)

# The one version number, from the file VERSION, for -version and the package.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/VERSION)
file(STRINGS ${PROJECT_SOURCE_DIR}/VERSION tamblorn_version LIMIT_COUNT 1)
# The version the native programs answer -version with.
target_compile_definitions(tamblorn_unix PRIVATE TAMBLORN_VERSION="${tamblorn_version}")

file(GLOB x11_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/x11/*.cpp)
set(x11_libraries tamblorn_unix X11::X11 X11::Xext X11::Xrandr X11::Xinerama)
add_library(tamblorn_x11_objects OBJECT ${x11_sources})
target_link_libraries(tamblorn_x11_objects PRIVATE ${x11_libraries})
tamblorn_warnings(tamblorn_x11_objects)
add_executable(tamblorn $<TARGET_OBJECTS:tamblorn_x11_objects>)
target_link_libraries(tamblorn PRIVATE ${x11_libraries})
if(TAMBLORN_PACKAGE_ONLY)
  # Debian's usual hardening for the packaged program.
  target_compile_options(tamblorn_x11_objects PRIVATE -D_FORTIFY_SOURCE=2 -fstack-protector-strong)
  target_link_options(tamblorn PRIVATE -Wl,-z,relro,-z,now)
endif()

# The Wayland program: the xdg-shell glue is generated from the protocol file
# that the system's wayland-protocols ships.
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
pkg_get_variable(wayland_protocols_dir wayland-protocols pkgdatadir)
pkg_get_variable(wayland_scanner wayland-scanner wayland_scanner)
set(xdg_shell_xml ${wayland_protocols_dir}/stable/xdg-shell/xdg-shell.xml)
set(wayland_glue ${CMAKE_BINARY_DIR}/generated/wayland)
file(MAKE_DIRECTORY ${wayland_glue})
add_custom_command(OUTPUT ${wayland_glue}/xdg-shell-client-protocol.h ${wayland_glue}/xdg-shell-protocol.c
                   COMMAND ${wayland_scanner} client-header ${xdg_shell_xml} ${wayland_glue}/xdg-shell-client-protocol.h
                   COMMAND ${wayland_scanner} private-code ${xdg_shell_xml} ${wayland_glue}/xdg-shell-protocol.c
                   DEPENDS ${xdg_shell_xml} VERBATIM)
file(GLOB wayland_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/wayland/*.cpp)
add_executable(tamblorn-wayland ${wayland_sources} ${wayland_glue}/xdg-shell-protocol.c
                                ${wayland_glue}/xdg-shell-client-protocol.h)
target_include_directories(tamblorn-wayland PRIVATE ${wayland_glue})
target_link_libraries(tamblorn-wayland PRIVATE tamblorn_unix PkgConfig::WAYLAND_CLIENT)
tamblorn_warnings(tamblorn-wayland)
if(TAMBLORN_PACKAGE_ONLY)
  target_compile_options(tamblorn-wayland PRIVATE -D_FORTIFY_SOURCE=2 -fstack-protector-strong)
  target_link_options(tamblorn-wayland PRIVATE -Wl,-z,relro,-z,now)
endif()

set(render_sources tools/tamblorn_render.cpp tools/render_setup_unix.cpp)
if(TAMBLORN_STB_DIR)
  add_executable(tamblorn-render ${render_sources})
  target_include_directories(tamblorn-render SYSTEM PRIVATE ${TAMBLORN_STB_DIR})
  target_link_libraries(tamblorn-render PRIVATE tamblorn_unix)
  tamblorn_warnings(tamblorn-render)
endif()

# The settings description and the manual page take the sizes and strengths of the settings table.
set(package_dir ${PROJECT_SOURCE_DIR}/x11/package)
add_executable(tamblorn-describe tools/describe_settings.cpp)
target_link_libraries(tamblorn-describe PRIVATE tamblorn_engine_core)
target_include_directories(tamblorn-describe PRIVATE ${PROJECT_SOURCE_DIR}/engine/unix)
tamblorn_warnings(tamblorn-describe)
set(description ${CMAKE_BINARY_DIR}/generated/tamblorn.xml)
set(manual ${CMAKE_BINARY_DIR}/generated/tamblorn.6)
set(wayland_manual_template ${PROJECT_SOURCE_DIR}/wayland/package/tamblorn-wayland.6.in)
set(wayland_manual ${CMAKE_BINARY_DIR}/generated/tamblorn-wayland.6)
add_custom_command(OUTPUT ${description} ${manual} ${wayland_manual}
                   COMMAND tamblorn-describe ${package_dir}/tamblorn.xml.in ${description}
                           ${package_dir}/tamblorn.6.in ${manual} ${wayland_manual_template} ${wayland_manual}
                   DEPENDS tamblorn-describe ${package_dir}/tamblorn.xml.in ${package_dir}/tamblorn.6.in
                           ${wayland_manual_template} VERBATIM)

# The package: `make deb` builds it from a release tree without sanitizers.
set(man_page ${CMAKE_BINARY_DIR}/generated/tamblorn.6.gz)
set(changelog ${CMAKE_BINARY_DIR}/generated/changelog.gz)
set(wayland_man_page ${CMAKE_BINARY_DIR}/generated/tamblorn-wayland.6.gz)
add_custom_command(OUTPUT ${man_page} ${changelog}
                   COMMAND sh -c "gzip -9nc '${manual}' > '${man_page}' && gzip -9nc '${package_dir}/changelog' > '${changelog}'"
                   DEPENDS ${manual} ${package_dir}/changelog VERBATIM)
add_custom_command(OUTPUT ${wayland_man_page} COMMAND sh -c "gzip -9nc '${wayland_manual}' > '${wayland_man_page}'"
                   DEPENDS ${wayland_manual} VERBATIM)
add_custom_target(package_documents ALL DEPENDS ${man_page} ${changelog} ${description} ${wayland_man_page})

install(TARGETS tamblorn RUNTIME DESTINATION libexec/xscreensaver COMPONENT saver)
# On the path, for the Wayland desktops' idle tools.
install(TARGETS tamblorn-wayland RUNTIME DESTINATION bin COMPONENT saver)
install(FILES ${wayland_man_page} DESTINATION share/man/man6 COMPONENT saver)
install(FILES ${description} DESTINATION share/xscreensaver/config COMPONENT saver)
install(FILES ${package_dir}/tamblorn.desktop DESTINATION share/applications/screensavers COMPONENT saver)
install(FILES ${man_page} DESTINATION share/man/man6 COMPONENT saver)
install(FILES ${package_dir}/copyright ${changelog} DESTINATION share/doc/tamblorn COMPONENT saver)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamblorn)
set(CPACK_PACKAGE_VERSION ${tamblorn_version})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL saver)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_PACKAGE_CONTACT "Tamblorn developers <dev@tamblorn.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "burning text and bonfire screen saver for the XScreenSaver family")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A line of text, Japanese or not, burns in heat-diffusion flames that rise,\n"
    "cool as they climb and grow in steps. Every ten seconds the text jumps to\n"
    "another place inside one monitor. A second mode burns a small bonfire.\n"
    "It reads the settings file of the Windows program in its own format.\n"
    "tamblorn-wayland burns the same fire on Wayland desktops, started by\n"
    "their idle tools (swayidle).")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-mincho")
set(CPACK_DEBIAN_PACKAGE_ENHANCES "xscreensaver")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
