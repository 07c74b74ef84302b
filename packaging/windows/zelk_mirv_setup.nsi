; The saver's installer and uninstaller. The build passes:
;   VERSION       the version, "1.1"
;   VERSION_QUAD  the same in four numbers, "1.1.0.0"
;   SCR           the saver to install (zelk_mirv.scr)
;   OUTFILE       the installer to write
;   BITS          64 (a 64-bit installer with the 64-bit saver) or 32
;   ICON          the icon of the installer and the uninstaller
;
; Run by an administrator it installs for all users: the saver into the
; system directory, where the screen-saver settings list it, the uninstaller
; into the program files. Run by a standard user (or with /CURRENTUSER) it
; installs for that user, both into %LOCALAPPDATA%\Programs\Zelk Mirv\.
; /S installs silently, /D= picks the program folder. The saver's own files
; (zelk_mirv.ini, Zelk_Mirv.par) beside it or in %LOCALAPPDATA%\Zelk Mirv\
; belong to the user: neither installing over an older version nor
; uninstalling ever touches them.

!if ${BITS} == 64
  Target amd64-unicode
!else
  Target x86-unicode
!endif
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel highest

!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include MUI2.nsh

!define PRODUCT "Zelk Mirv"
!define PUBLISHER "The Zelk Mirv project"
!define SCR_NAME "zelk_mirv.scr"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZelkMirv"
; Per user: the saver that was current before ours, for the uninstaller.
!define USER_KEY "Software\Zelk Mirv\Installer"
!define DESKTOP_KEY "Control Panel\Desktop"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

; 1 when the install is (or is for) all users: HKLM, the system directory.
Var AllUsers
; Where the saver lies: the system directory or the program folder.
Var ScrFolder

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
; For all users the saver goes into the system directory: no folder to pick
; (/D= still moves the uninstaller).
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipFolderForAllUsers
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The file and registry views of the saver's own width: a 64-bit saver goes
; into the 64-bit system directory and registry.
!macro NativeViews
  !if ${BITS} == 64
    ${DisableX64FSRedirection}
    SetRegView 64
  !endif
!macroend

!macro ChooseContext
  ${If} $AllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
!macroend

; The entry in the system's list of programs, under ROOT (HKLM or HKCU).
; SIZE_KB: the size of the installed files.
!macro WriteUninstallEntry ROOT SIZE_KB
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "DisplayIcon" "$ScrFolder\${SCR_NAME},0"
  WriteRegDWORD ${ROOT} "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD ${ROOT} "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD ${ROOT} "${UNINSTALL_KEY}" "NoRepair" 1
  ; Where the saver lies, for the uninstaller.
  WriteRegStr ${ROOT} "${UNINSTALL_KEY}" "ScreenSaver" "$ScrFolder\${SCR_NAME}"
!macroend

; Whether the path on the stack names our saver (long or short form);
; pushes 1 or 0. The system keeps SCRNSAVE.EXE in the short form.
!macro IS_OUR_SAVER UN
Function ${UN}IsOurSaver
  Exch $0
  Push $1
  GetFullPathName /SHORT $1 "$ScrFolder\${SCR_NAME}"
  ${If} $0 == ""
    StrCpy $0 0
  ${ElseIf} $0 == "$ScrFolder\${SCR_NAME}"
  ${OrIf} $0 == $1
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro IS_OUR_SAVER ""
!insertmacro IS_OUR_SAVER "un."

; Tells the running programs that the desktop's settings changed.
!macro AnnounceDesktopChange
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:${DESKTOP_KEY}" /TIMEOUT=2000
!macroend

Function SkipFolderForAllUsers
  ${If} $AllUsers == 1
    Abort
  ${EndIf}
FunctionEnd

Function .onInit
  !insertmacro NativeViews
  StrCpy $AllUsers 0
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $AllUsers 1
  ${EndIf}
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/CURRENTUSER" $2
  ${IfNot} ${Errors}
    StrCpy $AllUsers 0
  ${EndIf}
  !insertmacro ChooseContext
  ; /D= has set the folder before this runs; otherwise the folder of an
  ; earlier install, else the usual place.
  ${If} $INSTDIR == ""
    ${If} $AllUsers == 1
      ReadRegStr $INSTDIR HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${Else}
      ReadRegStr $INSTDIR HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${EndIf}
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} $AllUsers == 1
      !if ${BITS} == 64
        StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
      !else
        StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
      !endif
    ${Else}
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "!${PRODUCT} screen saver" SecSaver
  SectionIn RO
  ${If} $AllUsers == 1
    StrCpy $ScrFolder $SYSDIR
  ${Else}
    StrCpy $ScrFolder $INSTDIR
  ${EndIf}
  ; Over an older version only the saver and the uninstaller are replaced:
  ; the user's files beside them stay as they are.
  SetOutPath $ScrFolder
  File "/oname=${SCR_NAME}" "${SCR}"
  SetOutPath $INSTDIR
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  SectionGetSize ${SecSaver} $0
  ${If} $AllUsers == 1
    !insertmacro WriteUninstallEntry HKLM $0
  ${Else}
    !insertmacro WriteUninstallEntry HKCU $0
  ${EndIf}
SectionEnd

; Makes it the current user's saver. The saver that was current before is
; kept for the uninstaller, unless ours already was (an install over an
; older version).
Section "Make it my screen saver" SecCurrent
  ClearErrors
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} ${Errors}
    StrCpy $1 0
  ${Else}
    StrCpy $1 1
  ${EndIf}
  Push $0
  Call IsOurSaver
  Pop $2
  ${If} $2 == 0
    WriteRegDWORD HKCU "${USER_KEY}" "PreviousSaverSet" $1
    WriteRegStr HKCU "${USER_KEY}" "PreviousSaver" $0
    ClearErrors
    ReadRegStr $3 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${IfNot} ${Errors}
      WriteRegStr HKCU "${USER_KEY}" "PreviousActive" $3
    ${EndIf}
  ${EndIf}
  GetFullPathName /SHORT $4 "$ScrFolder\${SCR_NAME}"
  ${If} $4 == ""
    StrCpy $4 "$ScrFolder\${SCR_NAME}"
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $4
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  !insertmacro AnnounceDesktopChange
SectionEnd

Function .onInstSuccess
  ; The screen-saver settings, to look at it (not in a silent run).
  ${IfNot} ${Silent}
    Exec '"$SYSDIR\rundll32.exe" shell32.dll,Control_RunDLL desk.cpl,,1'
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro NativeViews
  ; The install this uninstaller belongs to: the one whose folder it lies in.
  StrCpy $AllUsers 0
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 == $INSTDIR
    StrCpy $AllUsers 1
  ${EndIf}
  !insertmacro ChooseContext
  ${If} $AllUsers == 1
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "ScreenSaver"
  ${Else}
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "ScreenSaver"
  ${EndIf}
  ${If} $1 == ""
    StrCpy $1 "$INSTDIR\${SCR_NAME}"
  ${EndIf}
  ${GetParent} $1 $ScrFolder
FunctionEnd

Section "Uninstall"
  ; Puts the previous saver back if ours is the current one.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  Push $0
  Call un.IsOurSaver
  Pop $1
  ${If} $1 == 1
    ReadRegDWORD $2 HKCU "${USER_KEY}" "PreviousSaverSet"
    ${If} $2 == 1
      ReadRegStr $3 HKCU "${USER_KEY}" "PreviousSaver"
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $3
    ${Else}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
    ClearErrors
    ReadRegStr $4 HKCU "${USER_KEY}" "PreviousActive"
    ${If} ${Errors}
      StrCpy $4 0
    ${EndIf}
    WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" $4
    !insertmacro AnnounceDesktopChange
  ${EndIf}
  DeleteRegKey HKCU "${USER_KEY}"
  DeleteRegKey /ifempty HKCU "Software\${PRODUCT}"

  ; The program files only: the user's settings and pattern state
  ; (zelk_mirv.ini, Zelk_Mirv.par) stay, and with them their folder.
  Delete "$ScrFolder\${SCR_NAME}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir $INSTDIR
  ${If} $AllUsers == 1
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${Else}
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
