// Seam: closing the system's handles of each kind.
#pragma once

namespace win32 {

void CloseKernelHandle(void* handle);    // CloseHandle
void CloseFindHandle(void* handle);      // FindClose
void CloseInternetHandle(void* handle);  // InternetCloseHandle
// The error of the calling thread, and setting it.
unsigned long LastError();
void SetLastErrorCode(unsigned long error);

}  // namespace win32
