; The files of the program folder that the setup program installs and the uninstaller removes,
; named once here so that the two cannot drift apart. The program file takes the brand's
; EXENAME, the name under which the program registers its start-up entry and its task.

!macro InstallProgramFiles
  SetOutPath "$INSTDIR"
  File "/oname=${EXENAME}" "${PROGRAM_DIR}/Vexmarl.exe"
  File "${PROGRAM_DIR}/vexmarl-cli.exe"
  File "${PROGRAM_DIR}/Corvane.dll"
  File "${PROGRAM_DIR}/resources.dll"
  File "${PROGRAM_DIR}/settings.xml"
  File "${PROGRAM_DIR}/database.db"
  SetOutPath "$INSTDIR\images"
  File "${PROGRAM_DIR}/images/*.bmp"
  SetOutPath "$INSTDIR"
!macroend

; Also what the program makes beside itself while it runs: the updater's copy of its library
; and install list, the registry backup of a quarantine step, the installed cleaning scripts,
; and whatever an update unpacked into images. The user's data is left to the caller.
!macro RemoveProgramFiles
  Delete "$INSTDIR\${EXENAME}"
  Delete "$INSTDIR\vexmarl-cli.exe"
  Delete "$INSTDIR\Corvane.dll"
  Delete "$INSTDIR\resources.dll"
  Delete "$INSTDIR\settings.xml"
  Delete "$INSTDIR\database.db"
  RMDir /r "$INSTDIR\images"
  Delete "$INSTDIR\xCorvane.dll"
  Delete "$INSTDIR\Corvane.dat"
  Delete "$INSTDIR\regbackup.reg"
  RMDir /r "$INSTDIR\Scripts"
!macroend
