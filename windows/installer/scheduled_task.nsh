; Deletes the program's scheduled scan: the task named APPNAME that the program makes in the
; system's task scheduler. The scheduler is asked first (ITaskScheduler::Delete, the eighth
; entry of its table after IUnknown's three and SetTargetComputer, GetTargetComputer, Enum and
; Activate); the task's file in the Tasks folder, where the scheduler keeps its tasks, goes as
; well, for a system whose scheduler does not answer.

!define CLSID_CTaskScheduler "{148BD52A-A2AB-11CE-B11F-00AA00530503}"
!define IID_ITaskScheduler "{148BD527-A2AB-11CE-B11F-00AA00530503}"
!define CLSCTX_INPROC_SERVER 1

Function un.DeleteScheduledTask
  Push $0
  Push $1
  Push $2
  System::Call 'ole32::CoInitialize(p 0) i .r2'
  System::Call 'ole32::CoCreateInstance(g "${CLSID_CTaskScheduler}", p 0, \
    i ${CLSCTX_INPROC_SERVER}, g "${IID_ITaskScheduler}", *p .r0) i .r1'
  ${If} $1 = 0
    System::Call '$0->7(w "${APPNAME}")'
    System::Call '$0->2()'
  ${EndIf}
  ; S_OK or S_FALSE: this call initialised the library, or counted once more.
  ${If} $2 >= 0
    System::Call 'ole32::CoUninitialize()'
  ${EndIf}
  Delete "$WINDIR\Tasks\${APPNAME}.job"
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
