#include "registry_io.h"

#include <vector>

#include "registry_text.h"

namespace regedit {

using namespace platform;

namespace {

std::string Describe(const RegistryChange& change, LONG status) {
  return "line " + std::to_string(change.line) + ": " + RootKeyName(change.root) + "\\" +
         change.keyPath + ": error " + std::to_string(status);
}

LONG Apply(Registry& registry, const RegistryChange& change) {
  HKEY key = nullptr;
  LONG status = ERROR_SUCCESS;
  switch (change.kind) {
    case RegistryChange::Kind::CreateKey:
      status = registry.RegCreateKeyExA(change.root, change.keyPath.c_str(), 0, nullptr, 0,
                                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
      break;
    case RegistryChange::Kind::DeleteKey:
      status = registry.SHDeleteKeyA(change.root, change.keyPath.c_str());
      return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    case RegistryChange::Kind::SetValue:
      status = registry.RegCreateKeyExA(change.root, change.keyPath.c_str(), 0, nullptr, 0,
                                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
      if (status == ERROR_SUCCESS)
        status = registry.RegSetValueExA(key, change.valueName.c_str(), 0, change.type,
                                         reinterpret_cast<const BYTE*>(change.data.data()),
                                         static_cast<DWORD>(change.data.size()));
      break;
    case RegistryChange::Kind::DeleteValue:
      status = registry.RegOpenKeyExA(change.root, change.keyPath.c_str(), 0, KEY_ALL_ACCESS, &key);
      if (status == ERROR_SUCCESS) status = registry.RegDeleteValueA(key, change.valueName.c_str());
      if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;  // nothing to delete
      break;
  }
  if (key) registry.RegCloseKey(key);
  return status;
}

void ExportTree(Registry& registry, HKEY key, const std::string& path, bool unicode,
                std::string& text) {
  text += "\r\n[" + path + "]\r\n";
  for (const RegistryValue& value : ReadKeyValues(registry, key))
    text +=
        FormatValueLine(value.name, value.type, value.data, unicode ? &registry.Code() : nullptr) +
        "\r\n";
  for (DWORD index = 0;; ++index) {
    char name[1024];
    if (registry.RegEnumKeyA(key, index, name, sizeof name) != ERROR_SUCCESS) break;
    HKEY child;
    if (registry.RegOpenKeyExA(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
    ExportTree(registry, child, path + "\\" + name, unicode, text);
    registry.RegCloseKey(child);
  }
}

}  // namespace

bool ImportRegistryText(ImageRegistry& registry, const std::string& text, std::string& error) {
  std::vector<RegistryChange> changes;
  if (!ParseRegistryText(text, changes, error, registry.Code())) return false;
  ImageRegistry::Transaction transaction(registry);
  if (!transaction.Started()) {
    error = "the registry is busy";
    return false;
  }
  for (const RegistryChange& change : changes) {
    if (LONG status = Apply(registry, change)) {
      error = Describe(change, status);
      return false;  // the transaction is rolled back
    }
  }
  if (!transaction.Commit()) {
    error = "the changes could not be stored";
    return false;
  }
  return true;
}

bool ExportRegistryText(Registry& registry, const std::string& keyName, bool banner4,
                        std::string& text, std::string& error) {
  text = banner4 ? "REGEDIT4\r\n" : "Windows Registry Editor Version 5.00\r\n";
  std::vector<std::string> trees;
  if (keyName.empty()) {
    trees = {"HKEY_LOCAL_MACHINE", "HKEY_USERS"};
  } else {
    trees = {keyName};
  }
  for (const std::string& tree : trees) {
    // The key is named as in a "[...]" line of a file, and written with the root's own name.
    HKEY root;
    std::string path;
    if (!ReadKeyName(tree, root, path)) {
      error = "unknown root key: " + tree;
      return false;
    }
    HKEY key;
    if (LONG status = registry.RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key)) {
      error = tree + ": error " + std::to_string(status);
      return false;
    }
    const std::string header = std::string(RootKeyName(root)) + (path.empty() ? "" : "\\" + path);
    ExportTree(registry, key, header, !banner4, text);
    registry.RegCloseKey(key);
  }
  text += "\r\n";
  // The system's editor writes version 5.00 files as UTF-16 with a byte-order mark.
  if (!banner4) {
    text = "\xFF\xFE" + registry.Code().ToUtf16Bytes(text);
  }
  return true;
}

}  // namespace regedit
