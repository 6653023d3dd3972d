// The component object model as a caller of the task scheduler sees it: identities,
// result codes, reference-counted interfaces, per-thread initialisation and the creation of
// the classes this machine serves.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system.h"
#include "platform/win32_types.h"

namespace platform {

struct GUID {
  DWORD Data1;
  WORD Data2, Data3;
  BYTE Data4[8];
};
using CLSID = GUID;
using IID = GUID;
bool operator==(const GUID& a, const GUID& b);
// "{148BD52A-A2AB-11CE-B11F-00AA00530503}".
std::string GuidText(const GUID& guid);

using WCHAR = char16_t;
using LPCWSTR = const WCHAR*;
using LPWSTR = WCHAR*;

constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0);
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;

constexpr HRESULT HRESULT_FROM_WIN32(DWORD error) {
  return error == 0 ? S_OK : static_cast<HRESULT>((error & 0xFFFF) | 0x80070000u);
}
constexpr bool SUCCEEDED(HRESULT result) {
  return result >= 0;
}
constexpr bool FAILED(HRESULT result) {
  return result < 0;
}

inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class IUnknown {
 public:
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

// Texts handed out by components are the caller's to free.
WCHAR* CoTaskMemAllocText(const std::u16string& text);
void CoTaskMemFree(void* memory);

// The components of one machine. Initialisation is counted per thread, as the system does.
class Com {
 public:
  virtual ~Com() = default;

  virtual HRESULT CoInitialize(void* reserved) = 0;
  virtual void CoUninitialize() = 0;
  // The classes the machine serves in process, when their registration under
  // HKEY_CLASSES_ROOT\CLSID is present.
  virtual HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context,
                                   const IID& iid, void** object) = 0;
};

}  // namespace platform
