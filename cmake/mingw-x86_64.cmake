# Cross build for 64-bit Windows; the result runs under wine64 for the Windows tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOLVANE_TRIPLE x86_64-w64-mingw32)
# The posix-thread variant: GoogleTest needs std::mutex, which the win32 variant lacks.
set(CMAKE_C_COMPILER ${TOLVANE_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLVANE_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLVANE_TRIPLE}-windres)
set(TOLVANE_WIDL ${TOLVANE_TRIPLE}-widl)
set(CMAKE_FIND_ROOT_PATH /usr/${TOLVANE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
