# Cross-compiling for Windows with MinGW-w64; the toolchain files name the
# target triple (RAVO_MINGW) and processor, then include this.
set(CMAKE_SYSTEM_NAME Windows)
# The posix threading flavour: GoogleTest needs std::mutex; all of it is
# linked statically.
set(CMAKE_CXX_COMPILER ${RAVO_MINGW}-g++-posix)
set(CMAKE_C_COMPILER ${RAVO_MINGW}-gcc-posix)
set(CMAKE_RC_COMPILER ${RAVO_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${RAVO_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# No MinGW runtime DLLs next to the exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
