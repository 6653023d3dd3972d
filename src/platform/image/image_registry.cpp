#include "platform/image/image_registry.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/handles.h"
#include "platform/last_error.h"
#include "platform/windows_path.h"

namespace platform {

namespace {

constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE |
                                WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// Maps generic rights to the key rights they stand for.
REGSAM Normalize(REGSAM desired) {
  if (desired & GENERIC_ALL) desired |= KEY_ALL_ACCESS;
  if (desired & GENERIC_READ) desired |= KEY_READ;
  if (desired & GENERIC_WRITE) desired |= KEY_WRITE;
  if (desired & MAXIMUM_ALLOWED) desired |= KEY_ALL_ACCESS;
  return desired;
}

std::int64_t Now() {
  auto since = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100 +
         116444736000000000;
}

FILETIME AsFileTime(std::int64_t value) {
  return FILETIME{static_cast<DWORD>(value),
                  static_cast<DWORD>(static_cast<std::uint64_t>(value) >> 32)};
}

// Copies a name into a character buffer whose length counts the terminating zero.
LONG CopyName(const std::string& name, LPSTR buffer, DWORD* length) {
  if (!buffer || !length) return ERROR_INVALID_PARAMETER;
  if (name.size() + 1 > *length) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  *length = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

// The data part of a query: the size always, the bytes when they fit.
LONG CopyData(const std::string& bytes, BYTE* data, DWORD* dataSize) {
  if (data && !dataSize) return ERROR_INVALID_PARAMETER;
  if (!dataSize) return ERROR_SUCCESS;
  const DWORD room = *dataSize;
  *dataSize = static_cast<DWORD>(bytes.size());
  if (!data) return ERROR_SUCCESS;
  if (room < bytes.size()) return ERROR_MORE_DATA;
  if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  return ERROR_SUCCESS;
}

}  // namespace

struct ImageRegistry::OpenKey : KernelObject {
  // layers[0] holds the values and takes the writes; for HKEY_CLASSES_ROOT a key may also
  // have the machine's classes key beneath the user's, whose sub keys show as well.
  std::vector<KeyId> layers;
  bool emptyRoot = false;  // a root that holds nothing
  // For a root whose key is missing (a user's key not made yet): where creating under it
  // makes that key first.
  KeyId missingBase = 0;
  std::vector<std::string> missingPath;
  bool restricted = false;
  REGSAM access = KEY_ALL_ACCESS;
};

std::unique_ptr<ImageRegistry> ImageRegistry::Open(const std::string& databaseFile,
                                                   unsigned codePage, std::string* error) {
  auto store = RegistryStore::Open(databaseFile, codePage, error);
  if (!store) return nullptr;
  return std::unique_ptr<ImageRegistry>(new ImageRegistry(std::move(store)));
}

ImageRegistry::ImageRegistry(std::unique_ptr<RegistryStore> store)
    : store_(std::move(store)), codePage_(store_->CodePageNumber()) {}

ImageRegistry::Transaction::Transaction(ImageRegistry& registry)
    : registry_(registry), started_(registry.store_->Begin()) {}

ImageRegistry::Transaction::~Transaction() {
  if (started_ && !done_) registry_.store_->Rollback();
}

bool ImageRegistry::Transaction::Commit() {
  if (!started_ || done_) return false;
  done_ = true;
  return registry_.store_->Commit();
}

std::optional<KeyId> ImageRegistry::SystemKey() {
  auto system = store_->Child(kLocalMachineKey, "system");
  return system ? std::optional<KeyId>(system->id) : std::nullopt;
}

LONG ImageRegistry::WriteBack(KeyId key, const HiveChange& change) {
  if (!writeBack_) return ERROR_SUCCESS;
  std::vector<std::string> path;
  for (std::optional<KeyId> at = key; at && *at != 0; at = store_->Parent(*at)) {
    auto row = store_->Key(*at);
    if (!row) return ERROR_KEY_DELETED;
    path.insert(path.begin(), row->name);
  }
  return writeBack_->Change(path, change);
}

std::optional<KeyRow> ImageRegistry::ChildOf(KeyId parent, const std::string& name) {
  return store_->Child(parent, Lower(ActualName(parent, name)));
}

std::string ImageRegistry::ActualName(KeyId parent, const std::string& name) {
  if (codePage_.EqualNoCase(name, "currentcontrolset") && parent == SystemKey()) {
    // CurrentControlSet is the control set that SYSTEM\Select\Current names.
    DWORD current = 1;
    if (auto select = store_->Child(parent, "select")) {
      auto value = store_->Value(select->id, "current");
      if (value && value->type == REG_DWORD && value->data.size() >= 4)
        std::memcpy(&current, value->data.data(), 4);
    }
    char actual[32];
    std::snprintf(actual, sizeof actual, "ControlSet%03u", current);
    return actual;
  }
  return name;
}

std::vector<KeyId> ImageRegistry::RootLayers(HKEY key, bool& empty, KeyId& missingBase,
                                             std::vector<std::string>& missingPath) {
  empty = false;
  auto walk = [&](KeyId from, std::initializer_list<const char*> path) -> std::optional<KeyId> {
    for (const char* part : path) {
      auto child = ChildOf(from, part);
      if (!child) return std::nullopt;
      from = child->id;
    }
    return from;
  };
  if (key == HKEY_LOCAL_MACHINE) return {kLocalMachineKey};
  if (key == HKEY_USERS) return {kUsersKey};
  if (key == HKEY_CURRENT_USER) {
    auto user = store_->Child(kUsersKey, Lower(CurrentUserKeyName()));
    if (user) return {user->id};
    empty = true;
    missingBase = kUsersKey;
    missingPath = {CurrentUserKeyName()};
    return {};
  }
  if (key == HKEY_CLASSES_ROOT) {
    std::vector<KeyId> layers;
    if (auto user = store_->Child(kUsersKey, Lower(CurrentUserKeyName()))) {
      if (auto classes = walk(user->id, {"Software", "Classes"})) layers.push_back(*classes);
    }
    if (auto classes = walk(kLocalMachineKey, {"SOFTWARE", "Classes"})) layers.push_back(*classes);
    empty = layers.empty();
    if (empty) {
      missingBase = kLocalMachineKey;
      missingPath = {"SOFTWARE", "Classes"};
    }
    return layers;
  }
  if (key == HKEY_CURRENT_CONFIG) {
    if (auto config =
            walk(kLocalMachineKey, {"SYSTEM", "CurrentControlSet", "Hardware Profiles", "Current"}))
      return {*config};
  }
  empty = true;  // HKEY_PERFORMANCE_DATA and HKEY_DYN_DATA hold nothing here
  return {};
}

std::shared_ptr<ImageRegistry::OpenKey> ImageRegistry::Resolve(HKEY key, LONG& status) {
  status = ERROR_SUCCESS;
  if (IsPredefinedKey(key)) {
    auto root = std::make_shared<OpenKey>();
    root->layers = RootLayers(key, root->emptyRoot, root->missingBase, root->missingPath);
    if (!root->layers.empty()) {
      auto row = store_->Key(root->layers[0]);
      root->restricted = row && row->restricted;
    }
    return root;
  }
  auto open = LookUpHandleAs<OpenKey>(reinterpret_cast<HANDLE>(key));
  if (!open) status = ERROR_INVALID_HANDLE;
  return open;
}

HKEY ImageRegistry::AddKeyHandle(std::shared_ptr<OpenKey> key) {
  return reinterpret_cast<HKEY>(AddHandle(std::move(key)));
}

LONG ImageRegistry::Walk(const OpenKey& from, LPCSTR subKey, bool create, OpenKey& target,
                         bool& created) {
  created = false;
  target.layers = from.layers;
  target.emptyRoot = from.emptyRoot;
  target.restricted = from.restricted;
  std::string path = subKey ? subKey : "";
  if (!path.empty() && path[0] == '\\') return ERROR_BAD_PATHNAME;
  std::vector<std::string> parts = SplitAtBackslashes(codePage_, path);
  if (from.layers.empty()) {
    if (parts.empty()) return ERROR_SUCCESS;
    if (!create) return ERROR_FILE_NOT_FOUND;
    if (from.missingBase == 0) return ERROR_ACCESS_DENIED;
    // Make the root's own key first, then go on below it.
    target.layers = {from.missingBase};
    std::vector<std::string> path = from.missingPath;
    parts.insert(parts.begin(), path.begin(), path.end());
  }

  for (const std::string& name : parts) {
    std::vector<KeyId> next;
    bool restricted = false;
    for (KeyId layer : target.layers) {
      if (auto child = ChildOf(layer, name)) {
        if (next.empty()) restricted = child->restricted;
        next.push_back(child->id);
      }
    }
    if (next.empty()) {
      if (!create) return ERROR_FILE_NOT_FOUND;
      if (target.restricted) return ERROR_ACCESS_DENIED;
      if (name.size() > 255) return ERROR_INVALID_PARAMETER;
      std::string actual = ActualName(target.layers[0], name);
      auto id = store_->AddChild(target.layers[0], actual, Lower(actual), Now());
      if (!id) return ERROR_ACCESS_DENIED;
      store_->Touch(target.layers[0], Now());
      next.push_back(*id);
      created = true;
    }
    target.layers = std::move(next);
    target.restricted = restricted;
    target.emptyRoot = false;
  }
  return ERROR_SUCCESS;
}

LONG ImageRegistry::RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM desired, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  // One look at the store for the root's layers and every step below it.
  RegistryStore::ReadSnapshot snapshot(*store_);
  LONG status;
  auto from = Resolve(key, status);
  if (!from) return status;
  auto target = std::make_shared<OpenKey>();
  bool created;
  if (LONG error = Walk(*from, subKey, false, *target, created)) return error;
  target->access = Normalize(desired);
  if (target->restricted && (target->access & kWriteRights) && !(desired & MAXIMUM_ALLOWED))
    return ERROR_ACCESS_DENIED;
  if (target->restricted) target->access &= ~kWriteRights;
  *result = AddKeyHandle(std::move(target));
  return ERROR_SUCCESS;
}

LONG ImageRegistry::RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM desired,
                                    const void*, PHKEY result, DWORD* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  LONG status;
  auto from = Resolve(key, status);
  if (!from) return status;
  auto target = std::make_shared<OpenKey>();
  Transaction transaction(*this);
  if (!transaction.Started()) return ERROR_ACCESS_DENIED;
  bool created = false;
  if (LONG error = Walk(*from, subKey, true, *target, created)) return error;
  if (created && !(from->access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
  target->access = Normalize(desired);
  if (target->restricted && (target->access & kWriteRights)) return ERROR_ACCESS_DENIED;
  if (created) {
    if (LONG error = WriteBack(target->layers[0], HiveChange{HiveChange::Kind::CreateKey}))
      return error;
  }
  if (!transaction.Commit()) return ERROR_ACCESS_DENIED;
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = AddKeyHandle(std::move(target));
  return ERROR_SUCCESS;
}

LONG ImageRegistry::RegCloseKey(HKEY key) {
  if (IsPredefinedKey(key)) return ERROR_SUCCESS;
  if (!LookUpHandleAs<OpenKey>(reinterpret_cast<HANDLE>(key))) return ERROR_INVALID_HANDLE;
  CloseHandle(reinterpret_cast<HANDLE>(key));
  return ERROR_SUCCESS;
}

LONG ImageRegistry::RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD*, DWORD* type, BYTE* data,
                                     DWORD* dataSize) {
  LONG status;
  auto open = Resolve(key, status);
  if (!open) return status;
  if (!(open->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  if (open->layers.empty()) return ERROR_FILE_NOT_FOUND;
  auto value = store_->Value(open->layers[0], Lower(valueName ? valueName : ""));
  if (!value) return ERROR_FILE_NOT_FOUND;
  if (type) *type = value->type;
  return CopyData(value->data, data, dataSize);
}

LONG ImageRegistry::RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data,
                                   DWORD dataSize) {
  LONG status;
  auto open = Resolve(key, status);
  if (!open) return status;
  if (!(open->access & KEY_SET_VALUE) || open->restricted) return ERROR_ACCESS_DENIED;
  if (open->layers.empty()) return ERROR_ACCESS_DENIED;
  if (!data && dataSize) return ERROR_INVALID_PARAMETER;
  std::string name = valueName ? valueName : "";
  std::string bytes = data ? std::string(reinterpret_cast<const char*>(data), dataSize) : "";
  Transaction transaction(*this);
  if (!transaction.Started()) return ERROR_ACCESS_DENIED;
  if (!store_->Key(open->layers[0])) return ERROR_KEY_DELETED;
  if (!store_->SetValue(open->layers[0], name, Lower(name), type, bytes) ||
      !store_->Touch(open->layers[0], Now()))
    return ERROR_ACCESS_DENIED;
  if (LONG error =
          WriteBack(open->layers[0], HiveChange{HiveChange::Kind::SetValue, name, type, bytes}))
    return error;
  if (!transaction.Commit()) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

LONG ImageRegistry::RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD* nameLength, DWORD*,
                                  LPSTR keyClass, DWORD* classLength, FILETIME* lastWriteTime) {
  LONG status;
  auto open = Resolve(key, status);
  if (!open) return status;
  if (!(open->access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  std::optional<KeyRow> row;
  if (open->layers.size() == 1) {
    row = store_->ChildAt(open->layers[0], index);
  } else if (!open->layers.empty()) {
    // The merged view lists each name once, the upper layer's spelling first.
    std::vector<std::pair<std::string, KeyRow>> merged;
    for (KeyId layer : open->layers) {
      for (KeyRow& child : store_->Children(layer)) {
        std::string lower = Lower(child.name);
        bool seen = std::any_of(merged.begin(), merged.end(),
                                [&](const auto& entry) { return entry.first == lower; });
        if (!seen) merged.emplace_back(std::move(lower), std::move(child));
      }
    }
    std::sort(merged.begin(), merged.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    if (index < merged.size()) row = merged[index].second;
  }
  if (!row) return ERROR_NO_MORE_ITEMS;
  if (LONG error = CopyName(row->name, name, nameLength)) return error;
  if (classLength) {
    if (keyClass && *classLength > 0) keyClass[0] = '\0';
    *classLength = 0;
  }
  if (lastWriteTime) *lastWriteTime = AsFileTime(row->written);
  return ERROR_SUCCESS;
}

LONG ImageRegistry::RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize) {
  return RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
}

LONG ImageRegistry::RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, DWORD* valueNameLength,
                                  DWORD*, DWORD* type, BYTE* data, DWORD* dataSize) {
  LONG status;
  auto open = Resolve(key, status);
  if (!open) return status;
  if (!(open->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  if (open->layers.empty()) return ERROR_NO_MORE_ITEMS;
  auto value = store_->ValueAt(open->layers[0], index);
  if (!value) return ERROR_NO_MORE_ITEMS;
  if (LONG error = CopyName(value->name, valueName, valueNameLength)) return error;
  if (type) *type = value->type;
  return CopyData(value->data, data, dataSize);
}

LONG ImageRegistry::RegQueryInfoKeyA(HKEY key, LPSTR keyClass, DWORD* classLength, DWORD*,
                                     DWORD* subKeys, DWORD* maxSubKeyLength, DWORD* maxClassLength,
                                     DWORD* values, DWORD* maxValueNameLength,
                                     DWORD* maxValueLength, DWORD* securityDescriptorSize,
                                     FILETIME* lastWriteTime) {
  LONG status;
  auto open = Resolve(key, status);
  if (!open) return status;
  if (!(open->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  RegistryStore::Sizes sizes;
  std::int64_t written = 0;
  std::lock_guard guard(store_->Lock());
  if (!open->layers.empty()) {
    sizes = store_->Measure(open->layers[0]);
    if (auto row = store_->Key(open->layers[0])) written = row->written;
    if (open->layers.size() > 1) {
      std::vector<std::string> names;
      for (KeyId layer : open->layers) {
        for (const KeyRow& child : store_->Children(layer)) names.push_back(Lower(child.name));
      }
      std::sort(names.begin(), names.end());
      names.erase(std::unique(names.begin(), names.end()), names.end());
      sizes.subKeys = static_cast<std::int64_t>(names.size());
      for (const std::string& name : names)
        sizes.longestSubKey = std::max<std::int64_t>(sizes.longestSubKey, name.size());
    }
  }
  if (classLength) {
    if (keyClass && *classLength > 0) keyClass[0] = '\0';
    *classLength = 0;
  }
  if (subKeys) *subKeys = static_cast<DWORD>(sizes.subKeys);
  if (maxSubKeyLength) *maxSubKeyLength = static_cast<DWORD>(sizes.longestSubKey);
  if (maxClassLength) *maxClassLength = 0;
  if (values) *values = static_cast<DWORD>(sizes.values);
  if (maxValueNameLength) *maxValueNameLength = static_cast<DWORD>(sizes.longestValueName);
  if (maxValueLength) *maxValueLength = static_cast<DWORD>(sizes.longestData);
  if (securityDescriptorSize) *securityDescriptorSize = 0;
  if (lastWriteTime) *lastWriteTime = AsFileTime(written);
  return ERROR_SUCCESS;
}

LONG ImageRegistry::FindDeletable(HKEY key, LPCSTR subKey, KeyId& found) {
  LONG status;
  auto from = Resolve(key, status);
  if (!from) return status;
  OpenKey target;
  bool created;
  if (LONG error = Walk(*from, subKey, false, target, created)) return error;
  // The stored roots themselves cannot go.
  if (target.layers.empty() || target.layers[0] == kLocalMachineKey ||
      target.layers[0] == kUsersKey || target.restricted)
    return ERROR_ACCESS_DENIED;
  found = target.layers[0];
  return ERROR_SUCCESS;
}

LONG ImageRegistry::RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  Transaction transaction(*this);
  if (!transaction.Started()) return ERROR_ACCESS_DENIED;
  KeyId target;
  if (LONG error = FindDeletable(key, subKey, target)) return error;
  if (store_->ChildCount(target) > 0) return ERROR_ACCESS_DENIED;
  if (LONG error = WriteBack(target, HiveChange{HiveChange::Kind::DeleteKey})) return error;
  if (!store_->RemoveKey(target) || !transaction.Commit()) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

LONG ImageRegistry::SHDeleteKeyA(HKEY key, LPCSTR subKey) {
  Transaction transaction(*this);
  if (!transaction.Started()) return ERROR_ACCESS_DENIED;
  KeyId target;
  if (LONG error = FindDeletable(key, subKey, target)) return error;
  // Collect the tree first, so that a restricted key anywhere leaves all of it in place.
  std::vector<KeyId> tree{target};
  for (std::size_t i = 0; i < tree.size(); ++i) {
    auto row = store_->Key(tree[i]);
    if (!row || row->restricted) return ERROR_ACCESS_DENIED;
    for (const KeyRow& child : store_->Children(tree[i])) tree.push_back(child.id);
  }
  if (LONG error = WriteBack(target, HiveChange{HiveChange::Kind::DeleteKey})) return error;
  for (auto id = tree.rbegin(); id != tree.rend(); ++id) {
    if (!store_->RemoveKey(*id)) return ERROR_ACCESS_DENIED;
  }
  if (!transaction.Commit()) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

LONG ImageRegistry::RegDeleteValueA(HKEY key, LPCSTR valueName) {
  LONG status;
  auto open = Resolve(key, status);
  if (!open) return status;
  if (!(open->access & KEY_SET_VALUE) || open->restricted) return ERROR_ACCESS_DENIED;
  if (open->layers.empty()) return ERROR_FILE_NOT_FOUND;
  std::lock_guard guard(store_->Lock());
  const std::string name = valueName ? valueName : "";
  if (writeBack_) {
    if (!store_->Value(open->layers[0], Lower(name))) return ERROR_FILE_NOT_FOUND;
    if (LONG error = WriteBack(open->layers[0], HiveChange{HiveChange::Kind::DeleteValue, name}))
      return error;
  }
  if (!store_->RemoveValue(open->layers[0], Lower(name))) return ERROR_FILE_NOT_FOUND;
  store_->Touch(open->layers[0], Now());
  return ERROR_SUCCESS;
}

LONG ImageRegistry::SetKeyRestriction(HKEY key, LPCSTR subKey, bool restricted) {
  LONG status;
  auto from = Resolve(key, status);
  if (!from) return status;
  OpenKey target;
  bool created;
  std::lock_guard guard(store_->Lock());
  if (LONG error = Walk(*from, subKey, false, target, created)) return error;
  if (target.layers.empty()) return ERROR_FILE_NOT_FOUND;
  return store_->SetRestricted(target.layers[0], restricted) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

void ImageRegistry::RefreshCurrentUser() {
  std::lock_guard guard(userLock_);
  currentUser_.reset();
}

std::string ImageRegistry::CurrentUserKeyName() {
  std::lock_guard guard(userLock_);
  if (currentUser_) return *currentUser_;
  auto text = [&](KeyId from, std::initializer_list<const char*> path,
                  const char* value) -> std::optional<std::string> {
    for (const char* part : path) {
      auto child = ChildOf(from, part);
      if (!child) return std::nullopt;
      from = child->id;
    }
    auto row = store_->Value(from, Lower(value));
    if (!row || (row->type != REG_SZ && row->type != REG_EXPAND_SZ)) return std::nullopt;
    return row->data.substr(0, row->data.find('\0'));
  };
  std::string found = ".DEFAULT";
  // Windows NT: the logged-on user's profile names the key (its security identifier).
  if (auto user = text(kLocalMachineKey,
                       {"SOFTWARE", "Microsoft", "Windows NT", "CurrentVersion", "Winlogon"},
                       "DefaultUserName")) {
    if (auto list = store_->Child(kLocalMachineKey, "software")) {
      std::optional<KeyId> profiles = list->id;
      for (const char* part : {"Microsoft", "Windows NT", "CurrentVersion", "ProfileList"}) {
        auto child = profiles ? ChildOf(*profiles, part) : std::nullopt;
        profiles = child ? std::optional<KeyId>(child->id) : std::nullopt;
      }
      for (const KeyRow& sid : profiles ? store_->Children(*profiles) : std::vector<KeyRow>()) {
        auto path = text(sid.id, {}, "ProfileImagePath");
        if (!path) continue;
        std::string leaf = path->substr(path->rfind('\\') + 1);
        if (codePage_.EqualNoCase(leaf, *user) && store_->Child(kUsersKey, Lower(sid.name))) {
          found = sid.name;
          break;
        }
      }
    }
  } else if (auto user = text(kLocalMachineKey, {"System", "CurrentControlSet", "Control"},
                              "Current User")) {
    // Windows 9x: the user's own key, when user profiles are on.
    if (store_->Child(kUsersKey, Lower(*user))) found = *user;
  }
  currentUser_ = found;
  return found;
}

}  // namespace platform
