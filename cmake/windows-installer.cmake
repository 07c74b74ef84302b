# The Windows installer (NSIS): zelk-mirv-setup-<version>.exe with the 64-bit
# saver, zelk-mirv-setup-<version>-32bit.exe with the 32-bit one. Built with
# the saver when makensis is there.
find_program(ZM_MAKENSIS makensis)
if(NOT ZM_MAKENSIS)
  message(STATUS "makensis not found: the installer is not built")
  return()
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(zm_bits 64)
  set(ZM_INSTALLER ${PROJECT_BINARY_DIR}/zelk-mirv-setup-${ZM_VERSION_TEXT}.exe)
else()
  set(zm_bits 32)
  set(ZM_INSTALLER ${PROJECT_BINARY_DIR}/zelk-mirv-setup-${ZM_VERSION_TEXT}-32bit.exe)
endif()
set(zm_script ${PROJECT_SOURCE_DIR}/packaging/windows/zelk_mirv_setup.nsi)
set(zm_icon ${PROJECT_SOURCE_DIR}/src/platform/win32/art/zelk_mirv.ico)
add_custom_command(
  OUTPUT ${ZM_INSTALLER}
  COMMAND ${ZM_MAKENSIS} -V2 -NOCD
          -DVERSION=${ZM_VERSION_TEXT}
          -DVERSION_QUAD=${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${ZM_VERSION_PATCH}.0
          -DBITS=${zm_bits} -DSCR=$<TARGET_FILE:zelk_mirv> -DICON=${zm_icon}
          -DOUTFILE=${ZM_INSTALLER} ${zm_script}
  DEPENDS zelk_mirv ${zm_script} ${zm_icon}
  VERBATIM)
add_custom_target(installer ALL DEPENDS ${ZM_INSTALLER})
