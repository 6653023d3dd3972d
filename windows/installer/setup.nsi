; The setup program of the Windows program. It installs the program folder of the Windows
; build into the folder the user picks (Program Files\APPNAME unless an earlier install chose
; another), with Start menu entries, an entry in the system's list of installed programs and
; the program's settings key, and writes the uninstaller. An upgrade installs over the old
; program and keeps the user's data: the quarantine, the logs, the ignore list and the
; settings. Neither runs while the program does.
;
; The build (build_setup.cmake) defines, from the brand in the program folder's settings.xml
; and the program's version: APPNAME, REGISTRYNAME, EXENAME, COMPANYNAME, URLPROD, URLSUPPORT,
; VERSION, VERSION_QUAD (four numbers), PROGRAM_DIR and OUTFILE.

; ANSI, as the program is: the setup program runs on Windows 95, 98 and ME as on NT.
Unicode false
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include MUI2.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APPNAME}"
!define SETTINGS_KEY "SOFTWARE\${REGISTRYNAME}"
!define RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALLER "Uninstall.exe"
!define MENU_FOLDER "$SMPROGRAMS\${APPNAME}"
!define DELETE_DATA_QUESTION "Delete the quarantined items, the session logs, the ignore list and the settings of ${APPNAME} as well?$\n$\nQuarantined items cannot be restored once they are deleted."

!include program_files.nsh
!include settings_defaults.nsh
!include running_program.nsh
!include scheduled_task.nsh

Name "${APPNAME}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${APPNAME}"
; An upgrade goes where the program is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APPNAME} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey ProductName "${APPNAME}"
VIAddVersionKey CompanyName "${COMPANYNAME}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "${APPNAME} ${VERSION} Setup"
VIAddVersionKey LegalCopyright "${COMPANYNAME}"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXENAME}"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

!insertmacro WaitForProgramClosedFunction ""
!insertmacro WaitForProgramClosedFunction "un."

; The programs of this version and of the installed one (its mutex carries its version).
Function WaitForProgramsClosed
  Push "${VERSION}"
  Call WaitForProgramClosed
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $0 != ""
  ${AndIf} $0 != "${VERSION}"
    Push $0
    Call WaitForProgramClosed
  ${EndIf}
FunctionEnd

; Both write to the machine's part of the registry and to Program Files.
!macro RefuseWithoutAdministrator
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "Only an administrator can install or remove ${APPNAME}." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RefuseWithoutAdministrator
  Call WaitForProgramsClosed
FunctionEnd

Section "Program"
  SetShellVarContext all
  ; The program may have been started while the pages were shown.
  Call WaitForProgramsClosed

  !insertmacro InstallProgramFiles
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\${APPNAME}.lnk" "$INSTDIR\${EXENAME}"
  CreateShortcut "${MENU_FOLDER}\Uninstall ${APPNAME}.lnk" "$INSTDIR\${UNINSTALLER}"
  ; The console front end is run from a command prompt: one opened in its folder (the
  ; shortcut's working folder is the output folder, the program folder).
  ReadEnvStr $0 COMSPEC
  CreateShortcut "${MENU_FOLDER}\${APPNAME} Command Prompt.lnk" "$0"

  !insertmacro WriteSettingsDefaults
  ; A start-up entry of an earlier install in another folder follows the program.
  ReadRegStr $0 HKLM "${RUN_KEY}" "${APPNAME}"
  ${If} $0 != ""
    WriteRegStr HKLM "${RUN_KEY}" "${APPNAME}" "$INSTDIR\${EXENAME} -s"
  ${EndIf}

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APPNAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANYNAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXENAME},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${URLPROD}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "HelpLink" "${URLSUPPORT}"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  !insertmacro RefuseWithoutAdministrator
  Push "${VERSION}"
  Call un.WaitForProgramClosed
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  ; The start-up entry under both names the program's options page removes.
  DeleteRegValue HKLM "${RUN_KEY}" "${APPNAME}"
  DeleteRegValue HKLM "${RUN_KEY}" "${REGISTRYNAME}"
  Call un.DeleteScheduledTask
  !insertmacro RemoveProgramFiles
  Delete "${MENU_FOLDER}\${APPNAME}.lnk"
  Delete "${MENU_FOLDER}\Uninstall ${APPNAME}.lnk"
  Delete "${MENU_FOLDER}\${APPNAME} Command Prompt.lnk"
  RMDir "${MENU_FOLDER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The user's data stays unless the user says otherwise; a silent uninstall keeps it.
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "${DELETE_DATA_QUESTION}" /SD IDNO IDYES delete_data
  ; Kept settings must not claim a start-up entry that is gone.
  ClearErrors
  ReadRegDWORD $0 HKLM "${SETTINGS_KEY}" "WindowsStartUp"
  ${IfNot} ${Errors}
    WriteRegDWORD HKLM "${SETTINGS_KEY}" "WindowsStartUp" 0
  ${EndIf}
  Goto data_done
delete_data:
  RMDir /r "$INSTDIR\Quarantine"
  RMDir /r "$INSTDIR\Logs"
  Delete "$INSTDIR\Ignorelist.txt"
  DeleteRegKey HKLM "${SETTINGS_KEY}"
data_done:

  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
SectionEnd
