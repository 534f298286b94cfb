# Where an installation puts the program's private libraries, relative to the prefix. The program
# finds them relative to itself, so the folder is the same for every prefix: lib/<multiarch>/tactora
# (Debian's multiarch layout), or lib/tactora where the compiler names no multiarch tuple.
include(GNUInstallDirs)
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(TACTORA_PRIVATE_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/tactora)
else()
  set(TACTORA_PRIVATE_LIBDIR lib/tactora)
endif()
