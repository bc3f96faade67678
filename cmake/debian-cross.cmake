# What Debian's cross toolchains for Linux share: the compilers named by their target triple, the
# target's C library under /usr/<triple>, and qemu-user to run the programs. Included by a
# toolchain file per target, which sets _triple, CMAKE_SYSTEM_PROCESSOR and _qemu first.

set(CMAKE_SYSTEM_NAME Linux)
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
find_program(DROSK_QEMU NAMES ${_qemu} ${_qemu}-static)
if(DROSK_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${DROSK_QEMU};-L;${_sysroot}")
endif()
