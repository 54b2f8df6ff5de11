# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads, so every C++20 library
# part is there). Usage: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DNIMBULA_GUI=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# One .exe with no runtime DLLs beside it: libstdc++, libgcc and winpthread linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Header-only libraries come from the build machine's Debian packages. Each is reached through a
# folder of its own, never through /usr/include itself, whose C headers are the wrong system's.
set(NIMBULA_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${NIMBULA_HOST_HEADERS})
if(NOT EXISTS ${NIMBULA_HOST_HEADERS}/nlohmann)
  file(CREATE_LINK /usr/include/nlohmann ${NIMBULA_HOST_HEADERS}/nlohmann SYMBOLIC)
endif()
include_directories(SYSTEM ${NIMBULA_HOST_HEADERS})
