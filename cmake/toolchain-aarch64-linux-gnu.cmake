# SPDX-License-Identifier: MIT
# Cross build for 64-bit ARM Linux on an x86-64 Debian machine, with Debian's
# cross compiler and the arm64 builds of the dependencies (multiarch). The
# programs it makes run under qemu's user-mode emulator.
#   cmake -S . -B build/aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VELMORO_CROSS_TRIPLE aarch64-linux-gnu)

set(CMAKE_C_COMPILER ${VELMORO_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VELMORO_CROSS_TRIPLE}-g++)
# Libraries and package files of the arm64 packages live in /usr/lib/aarch64-linux-gnu.
set(CMAKE_LIBRARY_ARCHITECTURE ${VELMORO_CROSS_TRIPLE})
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${VELMORO_CROSS_TRIPLE}/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# Tests and tools run under the emulator, with the arm64 C library of the
# multiarch packages (libc6:arm64 puts its loader at /lib/ld-linux-aarch64.so.1).
# Not with -L /usr/aarch64-linux-gnu: qemu 7.2 then hangs in every forked child,
# and the tests fork to run the velmoro program.
find_program(VELMORO_QEMU_AARCH64 NAMES qemu-aarch64 qemu-aarch64-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELMORO_QEMU_AARCH64})
