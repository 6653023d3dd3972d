// The registry of an image through its Win32-shaped calls.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/registry_reading.h"
#include "support/temp_image.h"

namespace platform {
namespace {

using testing_support::TempImage;

class RegistryTest : public ::testing::Test {
 protected:
  ImageRegistry& registry() { return image_.Machine().registry(); }

  HKEY Create(HKEY root, const char* path, REGSAM access = KEY_ALL_ACCESS) {
    HKEY key = nullptr;
    EXPECT_EQ(registry().RegCreateKeyExA(root, path, 0, nullptr, 0, access, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << path;
    return key;
  }

  void SetText(HKEY key, const char* name, const std::string& text) {
    ASSERT_EQ(
        registry().RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>(text.size() + 1)),
        ERROR_SUCCESS);
  }

  std::string Text(HKEY root, const char* path, const char* name) {
    return testing_support::RegistryText(registry(), root, path, name);
  }

  std::vector<std::string> SubKeys(HKEY root, const char* path) {
    return testing_support::SubKeyNames(registry(), root, path);
  }

  TempImage image_;
};

using Names = std::vector<std::string>;

TEST_F(RegistryTest, NamesIgnoreCaseKeepTheirSpellingAndEnumerateInOrder) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor");
  DWORD disposition = 0;
  HKEY again = nullptr;
  ASSERT_EQ(registry().RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\VENDOR", 0, nullptr, 0,
                                       KEY_READ, nullptr, &again, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  registry().RegCloseKey(again);
  for (const char* name : {"beta", "Alpha", "gamma", "ALPHA2"})
    registry().RegCloseKey(Create(key, name));
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor"),
            (Names{"Alpha", "ALPHA2", "beta", "gamma"}));

  SetText(key, "Zed", "1");
  SetText(key, "apple", "2");
  SetText(key, "ZED", "3");  // overwrites "Zed" in place
  char name[32];
  DWORD nameLength = sizeof name;
  ASSERT_EQ(registry().RegEnumValueA(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_STREQ(name, "ZED");
  EXPECT_EQ(nameLength, 3u);
  nameLength = sizeof name;
  ASSERT_EQ(registry().RegEnumValueA(key, 1, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_STREQ(name, "apple");
  nameLength = sizeof name;
  EXPECT_EQ(registry().RegEnumValueA(key, 2, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, "Software\\vendor", "zed"), "3");
  registry().RegCloseKey(key);
}

TEST_F(RegistryTest, ShortBuffersGetMoreData) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Sizes");
  SetText(key, "LongValueName", "twelve chars");
  BYTE data[4];
  DWORD size = sizeof data, type = 0;
  EXPECT_EQ(registry().RegQueryValueExA(key, "LongValueName", nullptr, &type, data, &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 13u);
  size = 0;
  EXPECT_EQ(registry().RegQueryValueExA(key, "longvaluename", nullptr, &type, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 13u);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(registry().RegQueryValueExA(key, "missing", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);

  char name[5];
  DWORD nameLength = sizeof name;
  EXPECT_EQ(registry().RegEnumValueA(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  char longName[64];
  nameLength = sizeof longName;
  size = 2;
  EXPECT_EQ(registry().RegEnumValueA(key, 0, longName, &nameLength, nullptr, &type, data, &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 13u);
  registry().RegCloseKey(Create(key, "SubKeyWithLongName"));
  EXPECT_EQ(registry().RegEnumKeyA(key, 0, name, sizeof name), ERROR_MORE_DATA);

  DWORD subKeys, longestSubKey, values, longestName, longestData;
  ASSERT_EQ(
      registry().RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, &longestSubKey, nullptr,
                                  &values, &longestName, &longestData, nullptr, nullptr),
      ERROR_SUCCESS);
  EXPECT_EQ(subKeys, 1u);
  EXPECT_EQ(longestSubKey, 18u);
  EXPECT_EQ(values, 1u);
  EXPECT_EQ(longestName, 13u);
  EXPECT_EQ(longestData, 13u);
  registry().RegCloseKey(key);
}

TEST_F(RegistryTest, DeletingKeysAndValues) {
  HKEY key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Gone\\Child\\Grandchild");
  SetText(key, "v", "x");
  registry().RegCloseKey(key);
  EXPECT_EQ(registry().RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Gone"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(registry().RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Gone\\Child\\Grandchild"),
            ERROR_SUCCESS);
  EXPECT_EQ(registry().RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Gone\\Child\\Grandchild"),
            ERROR_FILE_NOT_FOUND);
  registry().RegCloseKey(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Gone\\Child\\Again"));
  EXPECT_EQ(registry().SHDeleteKeyA(HKEY_LOCAL_MACHINE, "software\\gone"), ERROR_SUCCESS);
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "SOFTWARE"), Names{});

  key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Values");
  SetText(key, "", "default");
  SetText(key, "other", "o");
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Values", nullptr), "default");
  EXPECT_EQ(registry().RegDeleteValueA(key, "OTHER"), ERROR_SUCCESS);
  EXPECT_EQ(registry().RegDeleteValueA(key, "other"), ERROR_FILE_NOT_FOUND);
  registry().RegCloseKey(key);
  // A handle to a deleted key cannot write.
  key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Values");
  ASSERT_EQ(registry().SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Values"), ERROR_SUCCESS);
  EXPECT_EQ(registry().RegSetValueExA(key, "x", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1),
            ERROR_KEY_DELETED);
  registry().RegCloseKey(key);
}

TEST_F(RegistryTest, AccessRightsAndRestrictedKeys) {
  registry().RegCloseKey(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked\\Inside"));
  ASSERT_EQ(registry().SetKeyRestriction(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", true),
            ERROR_SUCCESS);
  HKEY key = nullptr;
  EXPECT_EQ(
      registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", 0, KEY_ALL_ACCESS, &key),
      ERROR_ACCESS_DENIED);
  EXPECT_EQ(registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", 0, 0x2001F, &key),
            ERROR_ACCESS_DENIED);
  ASSERT_EQ(registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(registry().RegSetValueExA(key, "x", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1),
            ERROR_ACCESS_DENIED);
  registry().RegCloseKey(key);
  HKEY created = nullptr;
  EXPECT_EQ(registry().RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked\\New", 0, nullptr, 0,
                                       KEY_READ, nullptr, &created, nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(registry().SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked"), Names{"Inside"});

  // Rights are those the handle was opened with.
  ASSERT_EQ(registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(registry().RegSetValueExA(key, "x", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1),
            ERROR_ACCESS_DENIED);
  registry().RegCloseKey(key);
  EXPECT_EQ(registry().RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(registry().RegQueryValueExA(key, "x", nullptr, nullptr, nullptr, nullptr),
            ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, ClassesRootReadsTheUsersClassesFirst) {
  registry().RegCloseKey(Create(HKEY_USERS, ".DEFAULT\\Software\\Classes"));
  HKEY machine = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\.txt");
  SetText(machine, "", "txtfile");
  registry().RegCloseKey(machine);
  registry().RegCloseKey(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\CLSID"));
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, ".txt", ""), "txtfile");
  HKEY user = Create(HKEY_CURRENT_USER, "Software\\Classes\\.TXT");
  SetText(user, "", "userfile");
  registry().RegCloseKey(user);
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, ".txt", ""), "userfile");
  EXPECT_EQ(SubKeys(HKEY_CLASSES_ROOT, ""), (Names{".TXT", "CLSID"}));
  // The current user is .DEFAULT on an image without a logged-on user.
  EXPECT_EQ(registry().CurrentUserKeyName(), ".DEFAULT");
}

TEST_F(RegistryTest, CurrentControlSetFollowsSelectCurrent) {
  registry().RegCloseKey(Create(HKEY_LOCAL_MACHINE, "SYSTEM\\ControlSet001\\Services\\One"));
  registry().RegCloseKey(Create(HKEY_LOCAL_MACHINE, "SYSTEM\\ControlSet002\\Services\\Two"));
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services"), Names{"One"});
  HKEY select = Create(HKEY_LOCAL_MACHINE, "SYSTEM\\Select");
  DWORD two = 2;
  ASSERT_EQ(registry().RegSetValueExA(select, "Current", 0, REG_DWORD,
                                      reinterpret_cast<const BYTE*>(&two), 4),
            ERROR_SUCCESS);
  registry().RegCloseKey(select);
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "SYSTEM\\currentcontrolset\\Services"), Names{"Two"});
}

TEST_F(RegistryTest, EveryPredefinedRootIsAccepted) {
  for (std::uintptr_t root = 0x80000000; root <= 0x80000006; ++root) {
    HKEY key = reinterpret_cast<HKEY>(root);
    DWORD subKeys = 99;
    EXPECT_EQ(registry().RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr,
                                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS)
        << RootKeyName(key);
  }
  HKEY key;
  EXPECT_EQ(registry().RegOpenKeyExA(HKEY_DYN_DATA, "Anything", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RootKeyFromName("HKEY_USERS"), HKEY_USERS);
  EXPECT_EQ(RootKeyFromName("hkey_users"), nullptr);  // root names are exact
}

TEST_F(RegistryTest, TransactionsStoreAllOrNothing) {
  {
    ImageRegistry::Transaction transaction(registry());
    ASSERT_TRUE(transaction.Started());
    registry().RegCloseKey(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Abandoned"));
  }
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "SOFTWARE"), Names{});
  {
    ImageRegistry::Transaction transaction(registry());
    registry().RegCloseKey(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kept"));
    EXPECT_TRUE(transaction.Commit());
  }
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "SOFTWARE"), Names{"Kept"});
}

}  // namespace
}  // namespace platform
