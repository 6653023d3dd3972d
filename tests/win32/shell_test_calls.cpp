#include "shell_test_calls.h"

#include "platform/win32/windows_door.h"

// After <windows.h>: the shell's declarations need its types.
#include <objbase.h>
#include <shlobj.h>

namespace win32 {

bool SaveShortcut(const std::string& link, const std::string& target) {
  const HRESULT initialised = ::CoInitialize(nullptr);
  bool saved = false;
  IShellLinkA* shortcut = nullptr;
  if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&shortcut)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shortcut->SetPath(target.c_str())) &&
        SUCCEEDED(shortcut->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      wchar_t wide[MAX_PATH];
      saved = ::MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH) > 0 &&
              SUCCEEDED(file->Save(wide, TRUE));
      file->Release();
    }
    shortcut->Release();
  }
  if (SUCCEEDED(initialised)) ::CoUninitialize();
  return saved;
}

}  // namespace win32
