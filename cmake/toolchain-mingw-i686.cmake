# Cross-compile the product for 32-bit Windows with MinGW-w64.
set(RAVO_MINGW i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
