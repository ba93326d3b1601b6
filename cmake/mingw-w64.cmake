# Cross-compiles for 64-bit Windows with MinGW-w64, the POSIX-threads
# flavour of Debian's g++-mingw-w64-x86-64-posix (the `windows` preset).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOVRAND_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOVRAND_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOVRAND_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOVRAND_MINGW_TRIPLE}-windres)

# Headers and libraries come from the MinGW-w64 tree only; programs run
# during the build come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TOVRAND_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
