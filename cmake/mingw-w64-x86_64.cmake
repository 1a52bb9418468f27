# Cross-compiling the Windows x86-64 module and host with Debian's mingw-w64 (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests and build-time tools of the Windows build run under wine.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env;WINEDEBUG=-all;WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;wine)
# GCC for Windows spills 256-bit registers (the transform kernel's eight-lane rows) with aligned moves to stack
# slots it takes to be 32-byte aligned, which the Windows stack does not promise; the assembler makes them unaligned
# moves, which cost the same on aligned addresses.
set(CMAKE_C_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
