# Builds (with the cpack program CPACK) the .deb of the build in BUILD_DIR into the empty folder OUTPUT_DIR. Compressed with gzip
# at its fastest: the test looks at the contents, not the size.
# SOURCE_DATE_EPOCH, when given, dates the package's changelog, so the test knows the date to
# expect.
file(REMOVE_RECURSE ${OUTPUT_DIR})
if(DEFINED SOURCE_DATE_EPOCH)
  set(ENV{SOURCE_DATE_EPOCH} ${SOURCE_DATE_EPOCH})
endif()
execute_process(COMMAND ${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${OUTPUT_DIR}
  -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack -G DEB failed: ${status}\n${output}")
endif()
