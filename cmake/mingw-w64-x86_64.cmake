# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the -posix
# variant: the tests use std::thread, which the -win32 thread model of GCC 12
# lacks), running the programs under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages are looked for under the sysroot only: a GoogleTest built for
# Windows elsewhere is named by GTest_DIR.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: no libstdc++-6.dll, libgcc_s_seh-1.dll or
# libwinpthread-1.dll to carry along.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# add_test() and gtest_discover_tests() start the programs through wine; the
# runner keeps one wine server and its services up (`wineserver -k` ends them),
# with the wine prefix named by WINEPREFIX or else one in the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wine)
