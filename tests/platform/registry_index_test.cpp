// Reads served from the in-process index after another connection to the same registry (as
// another process would) changed it: every read sees the change, never what the index held.
#include <gtest/gtest.h>

#include <cctype>

#include "platform/image/image_machine.h"
#include "platform/registry.h"
#include "support/registry_reading.h"
#include "support/temp_image.h"

namespace platform {
namespace {

using testing_support::TempImage;
using Names = std::vector<std::string>;

class RegistryIndexTest : public ::testing::Test {
 protected:
  ImageRegistry& reader() { return image_.Machine().registry(); }
  ImageRegistry& writer() { return other_->registry(); }

  static HKEY Create(Registry& registry, HKEY root, const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(
        registry.RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS)
        << path;
    return key;
  }
  static void SetText(Registry& registry, HKEY root, const char* path, const char* name,
                      const std::string& text) {
    HKEY key = Create(registry, root, path);
    EXPECT_EQ(
        registry.RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                static_cast<DWORD>(text.size() + 1)),
        ERROR_SUCCESS);
    registry.RegCloseKey(key);
  }
  std::string Text(HKEY root, const char* path, const char* name) {
    return testing_support::RegistryText(reader(), root, path, name);
  }
  std::string Text(HKEY key, const char* name) {
    return testing_support::RegistryText(reader(), key, name);
  }
  Names SubKeys(HKEY root, const char* path) {
    return testing_support::SubKeyNames(reader(), root, path);
  }
  Names ValueNames(HKEY key) {
    Names names;
    char name[256];
    DWORD length = sizeof name;
    for (DWORD index = 0; reader().RegEnumValueA(key, index, name, &length, nullptr, nullptr,
                                                 nullptr, nullptr) == ERROR_SUCCESS;
         ++index, length = sizeof name)
      names.push_back(name);
    return names;
  }
  DWORD CountOf(HKEY key, bool values) {
    DWORD subKeys = 0, valueCount = 0;
    EXPECT_EQ(reader().RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                                        &valueCount, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    return values ? valueCount : subKeys;
  }

  TempImage image_;
  std::unique_ptr<ImageMachine> other_ = ImageMachine::Open(image_.Root());
};

TEST_F(RegistryIndexTest, KeysAndValuesWrittenElsewhereShowInOpenKeysAndEnumerations) {
  SetText(reader(), HKEY_LOCAL_MACHINE, "SOFTWARE\\Shared", "first", "1");
  HKEY open = nullptr;
  ASSERT_EQ(reader().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Shared", 0, KEY_READ, &open),
            ERROR_SUCCESS);
  // Everything read once, so that the index holds it, absent names included.
  EXPECT_EQ(ValueNames(open), Names{"first"});
  EXPECT_EQ(Text(open, "second"), "<error 2>");
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "SOFTWARE\\Shared"), Names{});
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Shared\\Sub", "x"), "<no key>");

  SetText(writer(), HKEY_LOCAL_MACHINE, "SOFTWARE\\Shared", "second", "2");
  SetText(writer(), HKEY_LOCAL_MACHINE, "SOFTWARE\\Shared", "first", "changed");
  SetText(writer(), HKEY_LOCAL_MACHINE, "SOFTWARE\\Shared\\Sub", "x", "new key");
  EXPECT_EQ(Text(open, "second"), "2");
  EXPECT_EQ(Text(open, "first"), "changed");
  EXPECT_EQ(ValueNames(open), (Names{"first", "second"}));
  EXPECT_EQ(CountOf(open, true), 2u);
  EXPECT_EQ(CountOf(open, false), 1u);
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "SOFTWARE\\Shared"), Names{"Sub"});
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Shared\\Sub", "x"), "new key");
  reader().RegCloseKey(open);
}

TEST_F(RegistryIndexTest, DeletionsAndNamesWhoseCaseChangedReadAsStored) {
  SetText(reader(), HKEY_LOCAL_MACHINE, "SOFTWARE\\Gone\\Child", "v", "here");
  SetText(reader(), HKEY_LOCAL_MACHINE, "SOFTWARE\\Case\\lower", "Name", "old spelling");
  HKEY open = nullptr;
  ASSERT_EQ(reader().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Gone\\Child", 0, KEY_READ, &open),
            ERROR_SUCCESS);
  EXPECT_EQ(Text(open, "v"), "here");
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "SOFTWARE\\Case"), Names{"lower"});

  ASSERT_EQ(writer().SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Gone"), ERROR_SUCCESS);
  ASSERT_EQ(writer().SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Case\\lower"), ERROR_SUCCESS);
  SetText(writer(), HKEY_LOCAL_MACHINE, "SOFTWARE\\Case\\LOWER", "NAME", "new spelling");

  EXPECT_EQ(Text(open, "v"), "<error 2>");  // the key was deleted under the handle
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Gone\\Child", "v"), "<no key>");
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "SOFTWARE"), (Names{"Case"}));
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "SOFTWARE\\Case"), Names{"LOWER"});
  HKEY renamed = nullptr;
  ASSERT_EQ(
      reader().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\case\\Lower", 0, KEY_READ, &renamed),
      ERROR_SUCCESS);
  EXPECT_EQ(ValueNames(renamed), Names{"NAME"});
  EXPECT_EQ(Text(renamed, "name"), "new spelling");
  reader().RegCloseKey(renamed);
  reader().RegCloseKey(open);
}

TEST_F(RegistryIndexTest, ClassesRootAndCurrentControlSetFollowChangesMadeElsewhere) {
  Create(reader(), HKEY_USERS, ".DEFAULT\\Software\\Classes");
  SetText(reader(), HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\.txt", "", "txtfile");
  SetText(reader(), HKEY_LOCAL_MACHINE, "SYSTEM\\ControlSet001\\Services\\One", "Start", "1");
  SetText(reader(), HKEY_LOCAL_MACHINE, "SYSTEM\\ControlSet002\\Services\\Two", "Start", "2");
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, ".txt", ""), "txtfile");
  EXPECT_EQ(SubKeys(HKEY_CLASSES_ROOT, ""), Names{".txt"});
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services"), Names{"One"});

  SetText(writer(), HKEY_CURRENT_USER, "Software\\Classes\\.TXT", "", "userfile");
  SetText(writer(), HKEY_CURRENT_USER, "Software\\Classes\\.new", "", "newfile");
  HKEY select = Create(writer(), HKEY_LOCAL_MACHINE, "SYSTEM\\Select");
  DWORD two = 2;
  ASSERT_EQ(writer().RegSetValueExA(select, "Current", 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&two), 4),
            ERROR_SUCCESS);
  writer().RegCloseKey(select);

  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, ".txt", ""), "userfile");
  EXPECT_EQ(SubKeys(HKEY_CLASSES_ROOT, ""), (Names{".new", ".TXT"}));
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services"), Names{"Two"});
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Two", "Start"), "2");
}

// Lists long enough to be searched by name rather than one by one: every name is found in any
// case, each value with its own data, and names between or past them are absent.
TEST_F(RegistryIndexTest, LongListsFindEveryNameInAnyCase) {
  const std::vector<std::string> names = {"zeta",  "Alpha",   "mid", "Beta",  "omega", "Gamma",
                                          "delta", "EPSILON", "eta", "Theta", "iota",  "kappa"};
  for (const std::string& name : names) {
    SetText(reader(), HKEY_LOCAL_MACHINE, "SOFTWARE\\Many", name.c_str(), "data " + name);
    Create(reader(), HKEY_LOCAL_MACHINE, ("SOFTWARE\\Many\\" + name).c_str());
  }
  for (const std::string& name : names) {
    std::string upper = name, lower = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Many", upper.c_str()), "data " + name);
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Many", lower.c_str()), "data " + name);
    HKEY sub = nullptr;
    EXPECT_EQ(reader().RegOpenKeyExA(HKEY_LOCAL_MACHINE, ("SOFTWARE\\Many\\" + upper).c_str(), 0,
                                     KEY_READ, &sub),
              ERROR_SUCCESS)
        << upper;
    reader().RegCloseKey(sub);
  }
  for (const char* absent : {"a", "alphab", "beta ", "zz", "lambda"}) {
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Many", absent), "<error 2>") << absent;
    HKEY sub = nullptr;
    EXPECT_EQ(reader().RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                                     (std::string("SOFTWARE\\Many\\") + absent).c_str(), 0,
                                     KEY_READ, &sub),
              ERROR_FILE_NOT_FOUND)
        << absent;
  }
  HKEY many = nullptr;
  ASSERT_EQ(reader().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Many", 0, KEY_READ, &many),
            ERROR_SUCCESS);
  EXPECT_EQ(ValueNames(many), names);  // in the order they were made
  reader().RegCloseKey(many);
}

// This connection's own writes inside a transaction are read back before and after it commits,
// and a rolled-back transaction leaves what was read before.
TEST_F(RegistryIndexTest, OwnWritesAndRollbacksReadAsStored) {
  SetText(reader(), HKEY_LOCAL_MACHINE, "SOFTWARE\\Own", "v", "before");
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Own", "v"), "before");
  {
    ImageRegistry::Transaction transaction(reader());
    SetText(reader(), HKEY_LOCAL_MACHINE, "SOFTWARE\\Own", "v", "inside");
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Own", "v"), "inside");
  }
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Own", "v"), "before");
  {
    ImageRegistry::Transaction transaction(reader());
    SetText(reader(), HKEY_LOCAL_MACHINE, "SOFTWARE\\Own\\Sub", "w", "made");
    ASSERT_TRUE(transaction.Commit());
  }
  EXPECT_EQ(SubKeys(HKEY_LOCAL_MACHINE, "SOFTWARE\\Own"), Names{"Sub"});
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Own\\Sub", "w"), "made");
}

}  // namespace
}  // namespace platform
