// The components a machine image serves in process: the task scheduler, when the image
// registers it under HKEY_CLASSES_ROOT\CLSID.
#pragma once

#include "platform/com.h"
#include "platform/files.h"

namespace platform {

class ImageCom : public Com {
 public:
  ImageCom(Files& files, Registry& registry, System& system)
      : files_(files), registry_(registry), system_(system) {}

  HRESULT CoInitialize(void* reserved) override;
  void CoUninitialize() override;
  HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, const IID& iid,
                           void** object) override;

 private:
  Files& files_;
  Registry& registry_;
  System& system_;
};

}  // namespace platform
