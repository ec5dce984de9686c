# Cross build for 64-bit Windows; its programs run under wine64.
set(TOLVANE_TRIPLE x86_64-w64-mingw32)
set(TOLVANE_WINE /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
