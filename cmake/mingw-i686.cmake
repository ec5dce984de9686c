# Cross build for 32-bit Windows: the module the VB6 IDE loads. It cannot run on this machine (no 32-bit kernel support), so it is built and inspected only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOLVANE_TRIPLE i686-w64-mingw32)
# The posix-thread variant: GoogleTest needs std::mutex, which the win32 variant lacks.
set(CMAKE_C_COMPILER ${TOLVANE_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLVANE_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLVANE_TRIPLE}-windres)
set(TOLVANE_WIDL ${TOLVANE_TRIPLE}-widl)
set(CMAKE_FIND_ROOT_PATH /usr/${TOLVANE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
