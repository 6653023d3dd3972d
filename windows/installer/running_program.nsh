; Waits until no program of a version runs, by the program's own single-instance mutex
; ("APPNAME VERSION", which the first instance holds until it ends). While one runs, the user
; is asked to close it and try again; cancelling, or running silently, ends the setup program
; (or the uninstaller) with error level 2 and nothing changed.
;   Push VERSION
;   Call WaitForProgramClosed    (un.WaitForProgramClosed in the uninstaller)

!define SYNCHRONIZE 0x00100000

!macro WaitForProgramClosedFunction PREFIX
Function ${PREFIX}WaitForProgramClosed
  Exch $0
  Push $1
check:
  System::Call 'kernel32::OpenMutexA(i ${SYNCHRONIZE}, i 0, m "${APPNAME} $0") p .r1'
  StrCmp $1 0 closed
  System::Call 'kernel32::CloseHandle(p r1)'
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "${APPNAME} $0 is running. Close it, then click Retry to go on." /SD IDCANCEL IDRETRY check
  SetErrorLevel 2
  Quit
closed:
  Pop $1
  Pop $0
FunctionEnd
!macroend
