# Cross build for 64-bit Windows with mingw-w64 (posix threads). The test
# binaries run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZM_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

find_program(ZM_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(ZM_WINE64 NAMES wine64 wine)
if(ZM_WINE64)
  # A Wine prefix of the build's own, quiet, and without desktop menu entries.
  set(CMAKE_CROSSCOMPILING_EMULATOR
      env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all
      WINEDLLOVERRIDES=winemenubuilder.exe=d ${ZM_WINE64})
endif()
