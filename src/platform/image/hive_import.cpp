#include "platform/image/hive_import.h"

#include <unordered_set>
#include <utility>
#include <vector>

namespace platform {

HiveImportResult ImportHive(const HiveFile& hive, RegistryStore& store, KeyId mount) {
  HiveImportResult result;
  const CodePage& code = hive.Code();
  // Walked with a list of its own, not by recursion: a damaged hive may nest without end.
  std::vector<std::pair<HiveFile::Node, KeyId>> pending{{hive.Root(), mount}};
  std::unordered_set<HiveFile::Node> seen;
  while (!pending.empty()) {
    auto [node, key] = pending.back();
    pending.pop_back();
    if (!seen.insert(node).second) {
      result.error = "a key of the hive leads back to another";
      return result;
    }
    auto values = hive.Values(node);
    auto children = hive.Children(node);
    if (!values || !children) {
      result.error = "a key's values or sub keys cannot be read";
      return result;
    }
    for (const HiveFile::Value& value : *values) {
      if (!store.SetValue(key, value.name, code.Lower(value.name), value.type,
                          StoredData(code, value.type, value.data))) {
        result.error = "the image's registry refused a value: " + store.LastError();
        return result;
      }
    }
    for (HiveFile::Node child : *children) {
      auto name = hive.Name(child);
      if (!name) {
        result.error = "a key's name cannot be read";
        return result;
      }
      const std::string lower = code.Lower(*name);
      if (name->empty() || store.Child(key, lower)) {
        ++result.keysLeftOut;
        continue;
      }
      auto id = store.AddChild(key, *name, lower, hive.Written(child));
      if (!id) {
        result.error = "the image's registry refused a key: " + store.LastError();
        return result;
      }
      pending.emplace_back(child, *id);
    }
    store.Touch(key, hive.Written(node));
  }
  result.ok = true;
  return result;
}

}  // namespace platform
