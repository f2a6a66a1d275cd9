# Cross-compile for 64-bit Windows with MinGW-w64: the same sources as the
# product, for running the tests under wine64 where the kernel runs no
# 32-bit code.
set(RAVO_MINGW x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
