#include "platform/win32/system_handles.h"

#include <memory>

#include "platform/last_error.h"
#include "platform/win32/system_handle_calls.h"

namespace platform {

SystemHandle::~SystemHandle() {
  if (!handle_) return;
  switch (kind_) {
    case SystemHandleKind::Find:
      win32::CloseFindHandle(handle_);
      break;
    case SystemHandleKind::Internet:
      win32::CloseInternetHandle(handle_);
      break;
    default:
      win32::CloseKernelHandle(handle_);
      break;
  }
}

HANDLE AddSystemHandle(void* handle, SystemHandleKind kind) {
  return AddHandle(std::make_shared<SystemHandle>(handle, kind));
}

void* SystemHandleOf(HANDLE handle, SystemHandleKind kind) {
  auto object = LookUpHandleAs<SystemHandle>(handle);
  if (!object || object->Kind() != kind) return Fail(ERROR_INVALID_HANDLE, nullptr);
  return object->Handle();
}

}  // namespace platform
