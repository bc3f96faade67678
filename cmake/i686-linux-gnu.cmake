# Cross-build drosk for 32-bit x86 Linux with Debian's i686 cross compilers.
#
#   cmake --preset i686
#
# Needs the Debian packages g++-i686-linux-gnu (compilers, and the target's C library under
# /usr/i686-linux-gnu) and qemu-user: the tests run the programs through qemu-i386, since not every
# x86_64 kernel runs 32-bit programs (a kernel without IA-32 emulation refuses them).

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(_triple i686-linux-gnu)
set(_sysroot /usr/${_triple})

# GoogleTest's project names C as well; nothing is compiled in it.
if(NOT CMAKE_C_COMPILER)
  find_program(CMAKE_C_COMPILER NAMES ${_triple}-gcc ${_triple}-gcc-12 REQUIRED)
endif()
if(NOT CMAKE_CXX_COMPILER)
  find_program(CMAKE_CXX_COMPILER NAMES ${_triple}-g++ ${_triple}-g++-12 REQUIRED)
endif()
find_program(CMAKE_AR NAMES ${_triple}-ar)
find_program(CMAKE_RANLIB NAMES ${_triple}-ranlib)

set(CMAKE_FIND_ROOT_PATH ${_sysroot})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the unit tests through it; the end-to-end tests get it as DROSK_EMULATOR.
find_program(DROSK_QEMU NAMES qemu-i386 qemu-i386-static)
if(DROSK_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${DROSK_QEMU};-L;${_sysroot}")
endif()
