# Cross build for 32-bit Windows with mingw-w64 (posix threads). Built and
# linked only: this machine's kernel cannot run 32-bit code, so no emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZM_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/i686-sse2-math.cmake)
