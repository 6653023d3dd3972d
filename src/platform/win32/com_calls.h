// Seam: the system's component library's per-thread initialisation.
#pragma once

namespace win32 {

long InitializeCom();    // CoInitialize(nullptr): S_OK, S_FALSE or a failure
void UninitializeCom();  // CoUninitialize

}  // namespace win32
