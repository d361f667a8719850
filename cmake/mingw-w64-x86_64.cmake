# Cross-builds the Windows executables on Linux with MinGW-w64 (Debian:
# g++-mingw-w64-x86-64-posix). The posix thread model gives std::thread and
# <mutex>; -static puts libstdc++, libgcc and winpthread into each .exe so
# that it runs on a bare Windows.
#   cmake -S . -B build-windows \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DTRULVEX_BUILD_GUI=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRULVEX_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${TRULVEX_MINGW_PREFIX}-g++-posix
                                      ${TRULVEX_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${TRULVEX_MINGW_PREFIX}-gcc-posix
                                    ${TRULVEX_MINGW_PREFIX}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${TRULVEX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRULVEX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
