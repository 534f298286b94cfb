# Installing Tactora (`cmake --install`) and packaging it as a .deb (`cpack -G DEB`).
#
# Layout under the prefix (/usr or /usr/local):
#   bin/tactora
#   lib/<multiarch>/tactora/            the libraries the program loads: its desktop part and the
#                                       multitouch providers
#   libexec/tactora/                    the permission helper (installed by Tactora/permissions)
#   lib/udev/rules.d/69-tactora.rules   access to the Magic Mouse and /dev/uinput
#   lib/systemd/user/tactora.service
#   share/applications, share/metainfo, share/icons/hicolor, share/polkit-1/actions,
#   share/tactora/gnome-shell/{gnome-42,gnome-45}, share/gnome-shell/extensions (a link to one),
#   share/doc/tactora, share/man/man1
#
# The .deb also holds usr/share/doc/tactora/copyright and changelog.Debian.gz, which only the
# package has (cmake/DebianPackageDocs.cmake).
#
# Files that name an installed path (the polkit action, the systemd unit) are written at install
# time from the prefix given then, so `cmake --install --prefix X` yields a consistent tree
# whatever prefix the build was configured with.
include(${CMAKE_CURRENT_LIST_DIR}/InstallLayout.cmake)

# The program looks for its providers in the private folder relative to its own folder.
file(RELATIVE_PATH tactora_private_libdir_from_bin /prefix/${CMAKE_INSTALL_BINDIR}
  /prefix/${TACTORA_PRIVATE_LIBDIR})
set_source_files_properties(${PROJECT_SOURCE_DIR}/Platform/PrivateLibrary.cpp PROPERTIES
  COMPILE_DEFINITIONS TACTORA_PRIVATE_LIBRARY_FOLDER_RELATIVE="${tactora_private_libdir_from_bin}")

set(tactora_data ${PROJECT_SOURCE_DIR}/data)
set(tactora_helper_install_relative ${CMAKE_INSTALL_LIBEXECDIR}/tactora/tactora-permission-helper)

# The program and the libraries it loads.
if(TARGET tactora)
  install(TARGETS tactora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
foreach(provider TactoraDesktop TactoraEvdevProvider TactoraSimProvider TactoraPlaybackProvider)
  if(TARGET ${provider})
    # Loaded, never run: 0644, as Debian wants its shared libraries on every distribution.
    install(TARGETS ${provider} LIBRARY DESTINATION ${TACTORA_PRIVATE_LIBDIR}
      PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
endforeach()

# Device access: numbered below 70-mouse.rules and 73-seat-late.rules (see the file).
install(FILES ${tactora_data}/udev/69-tactora.rules DESTINATION lib/udev/rules.d)

# The desktop entry, its metadata and icons.
install(FILES ${tactora_data}/com.vellumworks.Tactora.desktop
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${tactora_data}/com.vellumworks.Tactora.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${tactora_data}/icons/com.vellumworks.Tactora.svg
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
install(FILES ${tactora_data}/icons/tactora-gestures-enabled-symbolic.svg
  ${tactora_data}/icons/tactora-gestures-disabled-symbolic.svg
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/symbolic/apps)

# The GNOME Shell extension (the focused application, closing windows and the overlay on GNOME
# Wayland) in both of its generations: gnome-42 for GNOME Shell 42 to 44, gnome-45 for 45 and
# later. The shell loads the one the link share/gnome-shell/extensions/tactora@vellumworks.com
# names, chosen here for the GNOME Shell installed now (45 and later when there is none); the
# Debian package chooses again in its postinst, and again whenever gnome-shell changes (a trigger).
install(DIRECTORY ${tactora_data}/gnome-shell/gnome-42 ${tactora_data}/gnome-shell/gnome-45
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/tactora/gnome-shell)
install(CODE "
  set(generation gnome-45)
  execute_process(COMMAND gnome-shell --version OUTPUT_VARIABLE version ERROR_QUIET
    RESULT_VARIABLE status)
  if(status EQUAL 0 AND version MATCHES \"GNOME Shell ([0-9]+)\" AND CMAKE_MATCH_1 LESS 45)
    set(generation gnome-42)
  endif()
  set(extensions \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATAROOTDIR}/gnome-shell/extensions\")
  file(MAKE_DIRECTORY \"\${extensions}\")
  file(REMOVE_RECURSE \"\${extensions}/tactora@vellumworks.com\")
  file(CREATE_LINK ../../tactora/gnome-shell/\${generation}/tactora@vellumworks.com
    \"\${extensions}/tactora@vellumworks.com\" SYMBOLIC)
  message(STATUS \"Installing: \${extensions}/tactora@vellumworks.com -> \${generation}\")
")

# Documents: the permissions guide the permissions window opens, and the manual page (compressed,
# as man-db and Debian expect). The settings window installs its acknowledgements beside the guide.
install(FILES ${PROJECT_SOURCE_DIR}/docs/permissions.md
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tactora)
set(tactora_man_page ${CMAKE_BINARY_DIR}/tactora.1.gz)
add_custom_command(OUTPUT ${tactora_man_page}
  COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/docs/tactora.1 > ${tactora_man_page}
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/tactora.1
  COMMENT "Compressing the manual page")
add_custom_target(TactoraManPage ALL DEPENDS ${tactora_man_page})
install(FILES ${tactora_man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The polkit action (its exec.path must be the installed helper's exact path) and the systemd
# user unit (its ExecStart the installed program), filled in with the install-time prefix.
install(CODE "
  set(HELPER_PATH \"\${CMAKE_INSTALL_PREFIX}/${tactora_helper_install_relative}\")
  set(TACTORA_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tactora\")
  configure_file(\"${tactora_data}/com.vellumworks.Tactora.policy.in\"
    \"${CMAKE_BINARY_DIR}/install-generated/com.vellumworks.Tactora.policy\" @ONLY)
  configure_file(\"${tactora_data}/tactora.service.in\"
    \"${CMAKE_BINARY_DIR}/install-generated/tactora.service\" @ONLY)
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATAROOTDIR}/polkit-1/actions\"
    TYPE FILE FILES \"${CMAKE_BINARY_DIR}/install-generated/com.vellumworks.Tactora.policy\")
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/user\"
    TYPE FILE FILES \"${CMAKE_BINARY_DIR}/install-generated/tactora.service\")
")

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
