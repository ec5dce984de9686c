# Shared body of the MinGW-w64 cross builds; cmake/mingw-<arch>.cmake sets TOLVANE_TRIPLE and
# TOLVANE_WINE, then includes this file.
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${TOLVANE_TRIPLE})
# The posix-thread variant: GoogleTest needs std::mutex, which the win32 variant lacks.
set(CMAKE_C_COMPILER ${TOLVANE_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLVANE_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLVANE_TRIPLE}-windres)
set(TOLVANE_WIDL ${TOLVANE_TRIPLE}-widl)
set(TOLVANE_STRIP ${TOLVANE_TRIPLE}-strip)
set(CMAKE_FIND_ROOT_PATH /usr/${TOLVANE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs run under Wine (ctest, and gtest discovery if ever used).
set(CMAKE_CROSSCOMPILING_EMULATOR ${TOLVANE_WINE})
