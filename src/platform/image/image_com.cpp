#include "platform/image/image_com.h"
#include "platform/image/task_scheduler.h"

namespace platform {
namespace {

// How often CoInitialize ran on this thread without its CoUninitialize.
thread_local int initialisations = 0;

}  // namespace

HRESULT ImageCom::CoInitialize(void*) {
  return initialisations++ == 0 ? S_OK : S_FALSE;
}

void ImageCom::CoUninitialize() {
  if (initialisations > 0) --initialisations;
}

HRESULT ImageCom::CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context,
                                   const IID& iid, void** object) {
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
