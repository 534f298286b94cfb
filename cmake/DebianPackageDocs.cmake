# Run by CPack (CPACK_INSTALL_SCRIPTS) while it stages the .deb, never by `cmake --install`: adds
# the two files Debian requires of every package in usr/share/doc/<package>, which belong to the
# package rather than to the program. A distribution that packages Tactora around
# `cmake --install` writes its own.
#   copyright            the licences, in Debian's machine-readable format (data/debian/copyright)
#   changelog.Debian.gz  the package's changelog, from data/debian/changelog.Debian.in
#
# The changelog's date is the build's reference time, so that building the same commit twice
# gives the same package: SOURCE_DATE_EPOCH when set (as reproducible builds set it), else the
# time of the source tree's last commit.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

set(source_dir ${CPACK_TACTORA_SOURCE_DIR})
# CPack stages a .deb through DESTDIR, which file(INSTALL) puts before the absolute folder below.
# Without it these files would go into the running system.
if("$ENV{DESTDIR}" STREQUAL "")
  message(FATAL_ERROR "DebianPackageDocs.cmake runs inside `cpack -G DEB`, which sets DESTDIR")
endif()
set(doc_dir ${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/${CPACK_PACKAGE_NAME})
set(work_dir ${CPACK_TOPLEVEL_DIRECTORY}/debian-docs)
file(MAKE_DIRECTORY ${work_dir})

if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${source_dir} log -1 --format=%ct
    RESULT_VARIABLE git_status OUTPUT_VARIABLE epoch ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT git_status EQUAL 0 OR NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "Cannot date the package's changelog: SOURCE_DATE_EPOCH is not set and "
      "${source_dir} is not a git checkout with a commit. Set SOURCE_DATE_EPOCH to the release's "
      "time in seconds since 1970.")
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is not a number of seconds: '${epoch}'")
endif()
# string(TIMESTAMP) reads the time from SOURCE_DATE_EPOCH when it is set.
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
string(TIMESTAMP TACTORA_DEBIAN_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

# The package's version as CPack writes it in the control file: [epoch:]version[-revision].
if(CPACK_DEBIAN_PACKAGE_VERSION)
  set(TACTORA_DEBIAN_VERSION ${CPACK_DEBIAN_PACKAGE_VERSION})
else()
  set(TACTORA_DEBIAN_VERSION ${CPACK_PACKAGE_VERSION})
endif()
if(CPACK_DEBIAN_PACKAGE_RELEASE)
  string(APPEND TACTORA_DEBIAN_VERSION "-${CPACK_DEBIAN_PACKAGE_RELEASE}")
endif()
if(CPACK_DEBIAN_PACKAGE_EPOCH)
  string(PREPEND TACTORA_DEBIAN_VERSION "${CPACK_DEBIAN_PACKAGE_EPOCH}:")
endif()
set(TACTORA_DEBIAN_MAINTAINER ${CPACK_DEBIAN_PACKAGE_MAINTAINER})
configure_file(${source_dir}/data/debian/changelog.Debian.in ${work_dir}/changelog.Debian @ONLY)
# -n: no name or time in the gzip header, which would differ from build to build.
execute_process(COMMAND gzip -9 -n -c ${work_dir}/changelog.Debian
  OUTPUT_FILE ${work_dir}/changelog.Debian.gz RESULT_VARIABLE gzip_status)
if(NOT gzip_status EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${work_dir}/changelog.Debian: ${gzip_status}")
endif()

file(INSTALL DESTINATION ${doc_dir} TYPE FILE
  FILES ${source_dir}/data/debian/copyright ${work_dir}/changelog.Debian.gz)
