// The registry of a machine image, stored in its SQLite database (RegistryStore), which every
// process of the image shares. HKEY_CURRENT_USER is the current user's key under HKEY_USERS,
// HKEY_CLASSES_ROOT merges the user's classes over the machine's, and CurrentControlSet
// follows HKLM\SYSTEM\Select.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/image/hive_write_back.h"
#include "platform/image/registry_store.h"
#include "platform/registry.h"

namespace platform {

class ImageRegistry : public Registry {
 public:
  // Opens the registry database of an image (creating it when missing). Null, with a
  // message in error, when it cannot be opened.
  static std::unique_ptr<ImageRegistry> Open(const std::string& databaseFile, unsigned codePage,
                                             std::string* error = nullptr);

  LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result) override;
  LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                       REGSAM desired, const void* security, PHKEY result,
                       DWORD* disposition) override;
  LONG RegCloseKey(HKEY key) override;
  LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type, BYTE* data,
                        DWORD* dataSize) override;
  LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                      DWORD dataSize) override;
  LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize) override;
  LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD* nameLength, DWORD* reserved,
                     LPSTR keyClass, DWORD* classLength, FILETIME* lastWriteTime) override;
  LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, DWORD* valueNameLength,
                     DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize) override;
  LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, DWORD* classLength, DWORD* reserved,
                        DWORD* subKeys, DWORD* maxSubKeyLength, DWORD* maxClassLength,
                        DWORD* values, DWORD* maxValueNameLength, DWORD* maxValueLength,
                        DWORD* securityDescriptorSize, FILETIME* lastWriteTime) override;
  LONG RegDeleteKeyA(HKEY key, LPCSTR subKey) override;
  LONG RegDeleteValueA(HKEY key, LPCSTR valueName) override;
  LONG SHDeleteKeyA(HKEY key, LPCSTR subKey) override;

  const CodePage& Code() const override { return codePage_; }

  // For an image of a real Windows installation: each change goes to its hive first (the
  // write back outlives the registry).
  void SetWriteBack(HiveWriteBack* writeBack) { writeBack_ = writeBack; }

  // Makes a key refuse every write right while read access still works (or lifts that).
  LONG SetKeyRestriction(HKEY key, LPCSTR subKey, bool restricted);

  // Runs several changes as one: either all of them are stored or none.
  class Transaction {
   public:
    explicit Transaction(ImageRegistry& registry);
    ~Transaction();  // rolls back unless committed
    bool Started() const { return started_; }
    bool Commit();

   private:
    ImageRegistry& registry_;
    bool started_ = false;
    bool done_ = false;
  };

  // Several reads of this thread as one: they see one state of the registry, and the other
  // threads of the process wait for the registry until it ends.
  class Snapshot {
   public:
    explicit Snapshot(ImageRegistry& registry) : snapshot_(*registry.store_) {}

   private:
    RegistryStore::ReadSnapshot snapshot_;
  };

  // The name of the current user's key under HKEY_USERS; found again after changes to the
  // identity keys with RefreshCurrentUser.
  std::string CurrentUserKeyName();
  void RefreshCurrentUser();

 private:
  struct OpenKey;
  explicit ImageRegistry(std::unique_ptr<RegistryStore> store);

  std::shared_ptr<OpenKey> Resolve(HKEY key, LONG& status);
  std::vector<KeyId> RootLayers(HKEY key, bool& empty, KeyId& missingBase,
                                std::vector<std::string>& missingPath);
  std::optional<KeyRow> ChildOf(KeyId parent, const std::string& name);
  // The stored name a key name stands for: CurrentControlSet is the control set in use.
  std::string ActualName(KeyId parent, const std::string& name);
  LONG Walk(const OpenKey& from, LPCSTR subKey, bool create, OpenKey& target, bool& created);
  HKEY AddKeyHandle(std::shared_ptr<OpenKey> key);
  // The key that a delete names, when it may be deleted.
  LONG FindDeletable(HKEY key, LPCSTR subKey, KeyId& found);
  std::string Lower(const std::string& text) const { return codePage_.Lower(text); }
  std::optional<KeyId> SystemKey();
  // The change made in the hive that holds the key, where there is one; ERROR_SUCCESS when
  // the store may take it.
  LONG WriteBack(KeyId key, const HiveChange& change);

  std::unique_ptr<RegistryStore> store_;
  CodePage codePage_;
  std::mutex userLock_;  // guards currentUser_
  std::optional<std::string> currentUser_;
  HiveWriteBack* writeBack_ = nullptr;
};

}  // namespace platform
