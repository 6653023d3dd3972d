// The registry of the Windows system through the layer: names keep the case they were made
// with, enumerations and short buffers end with the system's codes, and RegDeleteKeyA refuses
// a key with sub keys while SHDeleteKeyA takes the whole tree. Every key is made under a key
// of the test's own, deleted at the end.
#include "platform/win32/win32_registry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace platform {
namespace {

using Names = std::vector<std::string>;

constexpr const char* kTestsKey = "Software\\VexmarlTest";

class Win32RegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    path_ = std::string(kTestsKey) + "\\registry-" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    ASSERT_EQ(registry_.RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0,
                                        KEY_ALL_ACCESS, nullptr, &root_, nullptr),
              ERROR_SUCCESS);
  }

  void TearDown() override {
    registry_.RegCloseKey(root_);
    EXPECT_EQ(registry_.SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str()), ERROR_SUCCESS);
    // The shared parent goes once no test of any run is left under it.
    registry_.RegDeleteKeyA(HKEY_CURRENT_USER, kTestsKey);
  }

  HKEY Create(const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(registry_.RegCreateKeyExA(root_, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                        nullptr),
              ERROR_SUCCESS)
        << path;
    return key;
  }

  void SetText(HKEY key, const char* name, const std::string& text) {
    ASSERT_EQ(
        registry_.RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)),
        ERROR_SUCCESS);
  }

  LONG Open(const char* path) {
    HKEY key = nullptr;
    const LONG status = registry_.RegOpenKeyExA(root_, path, 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS) registry_.RegCloseKey(key);
    return status;
  }

  Names SubKeys(HKEY key) {
    Names names;
    char name[256];
    for (DWORD index = 0;; ++index) {
      DWORD length = sizeof name;
      const LONG status =
          registry_.RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (status != ERROR_SUCCESS) {
        EXPECT_EQ(status, ERROR_NO_MORE_ITEMS);
        break;
      }
      EXPECT_EQ(length, std::strlen(name));
      names.push_back(name);
    }
    return names;
  }

  Win32Registry registry_;
  std::string path_;
  HKEY root_ = nullptr;
};

TEST_F(Win32RegistryTest, NamesAreFoundWithoutRegardToCaseAndKeepTheirCase) {
  HKEY made = Create("MixedCase\\Inner");
  SetText(made, "ValueName", "text");
  registry_.RegCloseKey(made);

  HKEY again = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(registry_.RegCreateKeyExA(root_, "MIXEDCASE\\inner", 0, nullptr, 0, KEY_READ, nullptr,
                                      &again, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  char data[16];
  DWORD type = 0, size = sizeof data;
  EXPECT_EQ(registry_.RegQueryValueExA(again, "VALUENAME", nullptr, &type,
                                       reinterpret_cast<BYTE*>(data), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(std::string(data, size), std::string("text", 5));
  char name[32];
  DWORD nameLength = sizeof name;
  size = sizeof data;
  ASSERT_EQ(registry_.RegEnumValueA(again, 0, name, &nameLength, nullptr, &type,
                                    reinterpret_cast<BYTE*>(data), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(name, nameLength), "ValueName");
  registry_.RegCloseKey(again);
  EXPECT_EQ(SubKeys(root_), Names{"MixedCase"});
}

TEST_F(Win32RegistryTest, SubKeysEnumerateInNameOrderToTheEnd) {
  for (const char* name : {"beta", "Alpha", "gamma"}) registry_.RegCloseKey(Create(name));
  EXPECT_EQ(SubKeys(root_), (Names{"Alpha", "beta", "gamma"}));

  char name[8];
  EXPECT_EQ(registry_.RegEnumKeyA(root_, 2, name, sizeof name), ERROR_SUCCESS);
  EXPECT_STREQ(name, "gamma");
  EXPECT_EQ(registry_.RegEnumKeyA(root_, 3, name, sizeof name), ERROR_NO_MORE_ITEMS);
  DWORD length = 3;  // too short for "Alpha"
  EXPECT_EQ(registry_.RegEnumKeyExA(root_, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);

  DWORD subKeys = 0, longest = 0, values = 99;
  FILETIME written;
  ASSERT_EQ(registry_.RegQueryInfoKeyA(root_, nullptr, nullptr, nullptr, &subKeys, &longest,
                                       nullptr, &values, nullptr, nullptr, nullptr, &written),
            ERROR_SUCCESS);
  EXPECT_EQ(subKeys, 3u);
  EXPECT_EQ(longest, 5u);
  EXPECT_EQ(values, 0u);
  EXPECT_NE(written.dwHighDateTime, 0u);
  DWORD nameLength = sizeof name;
  EXPECT_EQ(
      registry_.RegEnumValueA(root_, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
      ERROR_NO_MORE_ITEMS);
}

TEST_F(Win32RegistryTest, MissingKeysAndValuesAreNotFound) {
  HKEY key = reinterpret_cast<HKEY>(std::uintptr_t{1});
  EXPECT_EQ(registry_.RegOpenKeyExA(root_, "Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  DWORD size = 0;
  EXPECT_EQ(registry_.RegQueryValueExA(root_, "Missing", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(registry_.RegDeleteValueA(root_, "Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(registry_.RegDeleteKeyA(root_, "Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(registry_.SHDeleteKeyA(root_, "Missing\\Deeper"), ERROR_FILE_NOT_FOUND);
}

TEST_F(Win32RegistryTest, AShortDataBufferTellsTheSizeNeeded) {
  SetText(root_, "Digits", "0123456789");
  const BYTE binary[] = {1, 0, 2, 0, 0};
  ASSERT_EQ(registry_.RegSetValueExA(root_, "Binary", 0, REG_BINARY, binary, sizeof binary),
            ERROR_SUCCESS);

  BYTE data[16];
  DWORD type = 0, size = 4;
  EXPECT_EQ(registry_.RegQueryValueExA(root_, "Digits", nullptr, &type, data, &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 11u);
  size = 0;
  EXPECT_EQ(registry_.RegQueryValueExA(root_, "Digits", nullptr, nullptr, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 11u);
  size = sizeof data;
  ASSERT_EQ(registry_.RegQueryValueExA(root_, "Binary", nullptr, &type, data, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size),
            std::string(reinterpret_cast<const char*>(binary), sizeof binary));

  char name[16];
  DWORD nameLength = sizeof name;
  size = 4;
  // Whichever value the system lists first, neither fits in four bytes.
  EXPECT_EQ(registry_.RegEnumValueA(root_, 0, name, &nameLength, nullptr, &type, data, &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, std::string(name) == "Digits" ? 11u : 5u);
}

TEST_F(Win32RegistryTest, DeleteKeyRefusesATreeThatTreeDeleteRemoves) {
  registry_.RegCloseKey(Create("Tree\\Branch\\Leaf"));
  EXPECT_EQ(registry_.RegDeleteKeyA(root_, "Tree"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(registry_.RegDeleteKeyA(root_, "Tree\\Branch"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Open("Tree\\Branch\\Leaf"), ERROR_SUCCESS);

  EXPECT_EQ(registry_.RegDeleteKeyA(root_, "tree\\branch\\LEAF"), ERROR_SUCCESS);
  EXPECT_EQ(Open("Tree\\Branch\\Leaf"), ERROR_FILE_NOT_FOUND);
  registry_.RegCloseKey(Create("Tree\\Branch\\Leaf"));
  EXPECT_EQ(registry_.SHDeleteKeyA(root_, "Tree"), ERROR_SUCCESS);
  EXPECT_EQ(Open("Tree"), ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace platform
