# Cross-build drosk for 64-bit Windows with Debian's MinGW-w64 compilers.
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# Needs the Debian packages g++-mingw-w64-x86-64 (compilers) and, to run the
# results here, wine64.  Every .exe is linked fully static, so it needs no DLL
# beyond the ones Windows itself ships (KERNEL32, msvcrt, ...).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)

# The "-posix" compilers use the POSIX thread model (winpthreads, linked
# statically below); they give the full <thread>/<mutex> of GCC 12, which the
# default "-win32" ones lack.  Fall back to the unsuffixed names elsewhere.
# A compiler given with -DCMAKE_<LANG>_COMPILER=... is taken as it is.
if(NOT CMAKE_C_COMPILER)
  find_program(CMAKE_C_COMPILER NAMES ${_mingw}-gcc-posix ${_mingw}-gcc REQUIRED)
endif()
if(NOT CMAKE_CXX_COMPILER)
  find_program(CMAKE_CXX_COMPILER NAMES ${_mingw}-g++-posix ${_mingw}-g++ REQUIRED)
endif()
find_program(CMAKE_RC_COMPILER NAMES ${_mingw}-windres)
find_program(CMAKE_AR NAMES ${_mingw}-ar)
find_program(CMAKE_RANLIB NAMES ${_mingw}-ranlib)

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libgcc_s_seh-1.dll, libstdc++-6.dll or libwinpthread-1.dll next to the
# programs: everything from the compiler goes into the .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Lets ctest (and gtest_discover_tests) run the .exe files through Wine.
# Debian keeps the 64-bit loader out of PATH; the caller sets WINEPREFIX and
# WINEDEBUG=-all in the environment.
find_program(DROSK_WINE_LOADER NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT DROSK_WINE_LOADER)
  find_program(DROSK_WINE_LOADER NAMES wine64 wine)
endif()
if(DROSK_WINE_LOADER)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${DROSK_WINE_LOADER}")
endif()
