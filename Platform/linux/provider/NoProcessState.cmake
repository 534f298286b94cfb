# Run after a provider library is linked: fails when LIBRARY holds its own copy of the platform's
# process-wide state, the log with its sinks and the installed platform (Platform/Log.cpp and
# Platform/Platform.cpp). A provider reaches the log only through the handler the platform installs;
# a second copy would be a second log, writing where the program's does not.
execute_process(COMMAND ${NM} -C --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot list the symbols of ${LIBRARY} with ${NM}")
endif()
string(REGEX MATCHALL
  "[^\n]*tactora::platform::(Log::|Platform::|\\(anonymous namespace\\)::(state\\(\\)|installedPlatform|keptAlive))[^\n]*"
  copies "${symbols}")
if(copies)
  list(JOIN copies "\n  " lines)
  message(FATAL_ERROR "${LIBRARY} carries its own copy of the platform's process-wide state; a "
    "provider must log through its log handler and link no library that holds it:\n  ${lines}")
endif()
