#include "platform/com.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/scheduler.h"

namespace platform {
namespace {

// How often CoInitialize ran on this thread without its CoUninitialize.
thread_local int initialisations = 0;

}  // namespace

bool operator==(const GUID& a, const GUID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

std::string GuidText(const GUID& guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1,
                guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

WCHAR* CoTaskMemAllocText(const std::u16string& text) {
  auto* copy = static_cast<WCHAR*>(std::malloc((text.size() + 1) * sizeof(WCHAR)));
  if (!copy) return nullptr;
  std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
  return copy;
}

void CoTaskMemFree(void* memory) {
  std::free(memory);
}

HRESULT Com::CoInitialize(void*) {
  return initialisations++ == 0 ? S_OK : S_FALSE;
}

void Com::CoUninitialize() {
  if (initialisations > 0) --initialisations;
}

HRESULT Com::CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, const IID& iid,
                              void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (initialisations == 0) return CO_E_NOTINITIALIZED;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  // A class is there when the machine registers its in-process server.
  const std::string server = "CLSID\\" + GuidText(clsid) + "\\InprocServer32";
  HKEY key = nullptr;
  if (!(clsid == CLSID_CTaskScheduler) ||
      registry_.RegOpenKeyExA(HKEY_CLASSES_ROOT, server.c_str(), 0, KEY_READ, &key) !=
          ERROR_SUCCESS)
    return REGDB_E_CLASSNOTREG;
  registry_.RegCloseKey(key);
  ITaskScheduler* scheduler = NewTaskScheduler(files_, registry_, system_);
  const HRESULT result = scheduler->QueryInterface(iid, object);
  scheduler->Release();
  return result;
}

}  // namespace platform
