# Build drosk for x86_64 Linux with musl, linked statically, by Zig's C++ cross compiler: the
# program then runs on any Linux distribution.
#
#   cmake --preset musl -DDROSK_ZIG=$(scripts/install_zig.sh)
#
# Zig 0.11 brings musl and libc++ and builds them for the target on first use (kept in Zig's own
# cache); scripts/install_zig.sh installs it. The programs run here as they are.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DROSK_ZIG "" CACHE FILEPATH "The zig program")
if(NOT DROSK_ZIG)
  find_program(DROSK_ZIG NAMES zig REQUIRED)
endif()
set(CMAKE_CXX_COMPILER "${DROSK_ZIG}" c++)
set(CMAKE_CXX_COMPILER_TARGET x86_64-linux-musl)
# GoogleTest's project names C as well; nothing is compiled in it.
set(CMAKE_C_COMPILER "${DROSK_ZIG}" cc)
set(CMAKE_C_COMPILER_TARGET x86_64-linux-musl)
# x86_64 objects: the build machine's archiver takes them.
find_program(CMAKE_AR NAMES ar)
find_program(CMAKE_RANLIB NAMES ranlib)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
