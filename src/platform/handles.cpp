#include "platform/handles.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "platform/last_error.h"

namespace platform {

namespace {

struct HandleTable {
  std::mutex lock;  // guards entries and nextValue
  std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> entries;
  std::uintptr_t nextValue = 4;
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

}  // namespace

HANDLE AddHandle(std::shared_ptr<KernelObject> object) {
  HandleTable& table = Table();
  std::lock_guard guard(table.lock);
  std::uintptr_t value = table.nextValue;
  table.nextValue += 4;  // handle values are multiples of four, as on Windows
  table.entries.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookUpHandle(HANDLE handle) {
  HandleTable& table = Table();
  std::lock_guard guard(table.lock);
  auto found = table.entries.find(reinterpret_cast<std::uintptr_t>(handle));
  if (found == table.entries.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return found->second;
}

BOOL CloseHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> object;  // released outside the lock
  HandleTable& table = Table();
  std::lock_guard guard(table.lock);
  auto found = table.entries.find(reinterpret_cast<std::uintptr_t>(handle));
  if (found == table.entries.end()) return Fail(ERROR_INVALID_HANDLE, FALSE);
  object = std::move(found->second);
  table.entries.erase(found);
  return TRUE;
}

}  // namespace platform
