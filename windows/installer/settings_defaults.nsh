; The program's settings key, HKLM\SOFTWARE\<REGISTRYNAME>, with the defaults of the settings
; the program keeps there. The program's own number writes never create the key, so a fresh
; system needs it before the program first saves an option. A value that is already there is
; the user's and stays: an upgrade keeps the settings. The scan switches take the default the
; scan-settings page shows (on), so that the first scan covers what the page says it does.
; Texts are left out: their default is the empty text, which a missing value reads as.

; Writes the number unless a value of that name is there; one that is there but is no number
; reads as the default in the program anyway, except an empty text, which is replaced.
!macro DefaultNumber NAME VALUE
  ClearErrors
  ReadRegDWORD $0 HKLM "${SETTINGS_KEY}" "${NAME}"
  ${If} ${Errors}
  ${AndIf} $0 == ""
    WriteRegDWORD HKLM "${SETTINGS_KEY}" "${NAME}" ${VALUE}
  ${EndIf}
!macroend

!macro WriteSettingsDefaults
  ; Options.
  !insertmacro DefaultNumber WindowsStartUp 0
  !insertmacro DefaultNumber ScanMode 0
  !insertmacro DefaultNumber MoveDeleted2RecycleBin 0
  !insertmacro DefaultNumber AutoProgramUpdate 1
  !insertmacro DefaultNumber AutoDatabaseUpdate 1
  !insertmacro DefaultNumber AutomaticRemoval 0
  !insertmacro DefaultNumber ExitWhenFinished 0
  !insertmacro DefaultNumber Corvane 1
  ; Scan selections.
  !insertmacro DefaultNumber Cust_Scan_Drives 1
  !insertmacro DefaultNumber Cust_Scan_NonExe 1
  !insertmacro DefaultNumber Cust_Scan_Active 1
  !insertmacro DefaultNumber Cust_Scan_Registry 1
  !insertmacro DefaultNumber Cust_Scan_Hosts 1
  !insertmacro DefaultNumber Cust_Scan_IEFAV 1
  !insertmacro DefaultNumber Cust_Scan_AdvSpyware 1
  !insertmacro DefaultNumber ScanHostFiles 1
  !insertmacro DefaultNumber Cust_Scan_Drives_Num 0
  !insertmacro DefaultNumber Scan_Drives_NUM 0
  ; Statistics and hand-over values.
  !insertmacro DefaultNumber TotalScans 0
  !insertmacro DefaultNumber TotalDeletedItems 0
  !insertmacro DefaultNumber ObjectsIgnored 0
  !insertmacro DefaultNumber QuarantineFiles 0
  !insertmacro DefaultNumber QuarantinedTotalItems 0
  !insertmacro DefaultNumber StartUpDeleteCount 0
  !insertmacro DefaultNumber DownloadComplete 0
!macroend
