# Cross build for 32-bit Windows: the module the VB6 IDE loads. Its programs run under 32-bit
# Wine (wine32:i386), in a 64-bit prefix as a 32-bit IDE runs on 64-bit Windows.
set(TOLVANE_TRIPLE i686-w64-mingw32)
set(TOLVANE_WINE /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
