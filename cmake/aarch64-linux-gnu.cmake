# Cross-building for 64-bit ARM Linux with Debian's cross compiler (package g++-aarch64-linux-gnu)
# against Debian's arm64 libraries installed beside the machine's own (dpkg --add-architecture
# arm64: freeglut3-dev:arm64, libglu1-mesa-dev:arm64, libgtest-dev:arm64).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# Libraries, and CMake's package files, from the arm64 folders (/usr/lib/aarch64-linux-gnu), never
# the machine's own.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)

# The unit tests run here under qemu-user, which finds the arm64 C library and loader where
# multiarch put them.
find_program(GAUGEPLOT_QEMU_AARCH64 qemu-aarch64)
if(GAUGEPLOT_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${GAUGEPLOT_QEMU_AARCH64})
endif()

# dpkg-shlibdeps (the package's dependencies) reads the arm64 libraries' symbols files.
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
