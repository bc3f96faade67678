# Cross-build drosk for 32-bit x86 Linux with Debian's i686 cross compilers.
#
#   cmake --preset i686
#
# Needs the Debian packages g++-i686-linux-gnu (compilers, and the target's C library under
# /usr/i686-linux-gnu) and qemu-user: the tests run the programs through qemu-i386, since not every
# x86_64 kernel runs 32-bit programs (a kernel without IA-32 emulation refuses them).

set(CMAKE_SYSTEM_PROCESSOR i686)
set(_triple i686-linux-gnu)
set(_qemu qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
