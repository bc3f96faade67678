# Cross-build drosk for 64-bit Arm Linux with Debian's aarch64 cross compilers, its tests run
# through qemu-user.
#
#   cmake --preset aarch64
#
# Needs the Debian packages g++-aarch64-linux-gnu (compilers, and the target's C library under
# /usr/aarch64-linux-gnu) and qemu-user.

set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(_triple aarch64-linux-gnu)
set(_qemu qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
