// Where the registry of an image that stands for a real Windows installation is written back:
// the image's store holds a copy of the system's hives, and a change to a key of a hive is
// made in the hive file first and stored only once that worked.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32_types.h"

namespace platform {

struct HiveChange {
  enum class Kind { CreateKey, SetValue, DeleteValue, DeleteKey };
  explicit HiveChange(Kind kind, std::string valueName = {}, std::uint32_t type = 0,
                      std::string data = {})
      : kind(kind), valueName(std::move(valueName)), type(type), data(std::move(data)) {}

  Kind kind;
  std::string valueName;
  std::uint32_t type;
  std::string data;  // as the image's store holds it
};

class HiveWriteBack {
 public:
  virtual ~HiveWriteBack() = default;
  // keyPath starts with the stored root's name (HKEY_LOCAL_MACHINE or HKEY_USERS). Returns
  // ERROR_SUCCESS when the hive now holds the change, or the key belongs to no hive and the
  // change is the image's alone; else the error that leaves the change unmade everywhere.
  virtual LONG Change(const std::vector<std::string>& keyPath, const HiveChange& change) = 0;
};

}  // namespace platform
