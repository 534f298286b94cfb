# The Debian package: `cpack -G DEB` in a build tree (scripts/package builds one for release).
#
# CPack rather than a debian/ directory: the package is made from the same install rules as
# `cmake --install`, so the two cannot drift apart, and it builds from any build tree without
# debhelper or a source-package layout. A distribution that packages Tactora itself uses its own
# debian/ directory around `cmake --install`.
set(CPACK_PACKAGE_NAME tactora)
set(CPACK_PACKAGE_VENDOR "Vellum Works")
set(CPACK_PACKAGE_CONTACT "Vellum Works <tactora@vellumworks.com>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gestures for the Magic Mouse")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The Debian revision of the packaging (version 0.1.0-1): Tactora is packaged from its own release,
# not a native Debian program, so its changelog is changelog.Debian.gz. Raise it for a new package
# of the same program version.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://vellumworks.com/tactora)
# The extended description; CPack puts the summary above it as the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tactora turns touches on the Magic Mouse into gestures
(taps, swipes, pinches, tap-and-drag) and runs an action for each: clicks,
workspaces, window actions, keyboard shortcuts or shell commands, per
application and held modifiers. It lives in the system tray. Its udev rule
gives the user at the seat access to the Magic Mouse and to /dev/uinput, and
nothing else.")
# What the program loads or runs without linking it: Qt's SVG support for its icons, Qt's platform
# plugins, and pkexec for the permission helper. The linked libraries come from dpkg-shlibdeps,
# with the versions the build needs; without it they are listed by name.
set(tactora_runtime_depends "libqt6svg6, qt6-qpa-plugins, pkexec | policykit-1")
find_program(TACTORA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TACTORA_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The providers live in a private folder, where dpkg-shlibdeps would not look for them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS /usr/${TACTORA_PRIVATE_LIBDIR})
  set(CPACK_DEBIAN_PACKAGE_DEPENDS ${tactora_runtime_depends})
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libevdev2, libudev1, libsystemd0, libx11-6, libwayland-client0, \
libglib2.0-0, libqt6widgets6, libqt6dbus6, libqt6network6, ${tactora_runtime_depends}")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/data/debian/postinst
  ${PROJECT_SOURCE_DIR}/data/debian/postrm ${PROJECT_SOURCE_DIR}/data/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})

# The copyright file and changelog Debian wants in usr/share/doc/tactora: added only to the package
# (see the script).
set(CPACK_TACTORA_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_INSTALL_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianPackageDocs.cmake)

include(CPack)
