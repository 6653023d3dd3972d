# Toolchain for the Windows build: Debian's mingw-w64 for 32-bit Windows with the posix thread
# model (the win32 model of GCC 12 has no std::thread). Programs and tests run under Wine.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

# Headers and libraries from the mingw tree only; programs (wine, windres) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# add_test(NAME x COMMAND target) runs the target's .exe through Wine.
find_program(VEXMARL_WINE wine NO_CMAKE_FIND_ROOT_PATH)
if(VEXMARL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VEXMARL_WINE})
endif()

# The C and C++ runtime (libgcc, libstdc++, winpthread) linked into each program, so that the
# program folder needs nothing but the system's DLLs. zlib from libz.a for the same reason.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)
set(ZLIB_USE_STATIC_LIBS ON)
