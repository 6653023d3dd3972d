// Operations that replace a user's files, run with each of their host file system calls
// failing in turn (a full disk): afterwards every file is whole, old or new, and a failure
// that left the old content reached the caller.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "foundation/whole_file.h"
#include "platform/image/image_registry.h"
#include "platform/prompt.h"
#include "regedit/registry_io.h"
#include "scan/hosts_file.h"
#include "support/fault_injection.h"
#include "support/temp_image.h"
#include "updater/install_list.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempImage;
using testing_support::WithEachCallFailing;

// The names of a host folder, to see that a failed run leaves nothing behind.
std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

std::string Read(TempImage& image, const std::string& path) {
  return foundation::ReadWholeFile(image.Files(), path).value_or("<missing>");
}

TEST(FaultInjectionTest, AReplacedFileIsWholeOldOrWholeNewAndAFailureIsReported) {
  TempImage image("xp");
  const std::string path = "C:\\Program Files\\data.txt";
  image.WriteFile(path, "old content");
  const std::set<std::string> before = Names(image.HostPath("Program Files"));
  bool replaced = false;
  const int faults = WithEachCallFailing(
      ENOSPC,
      [&] { ASSERT_TRUE(foundation::ReplaceWholeFile(image.Files(), path, "old content")); },
      [&] { replaced = foundation::ReplaceWholeFile(image.Files(), path, "new content"); },
      [&](int failing, bool hit) {
        const std::string now = Read(image, path);
        EXPECT_TRUE(now == "old content" || now == "new content") << failing << ": " << now;
        if (now == "old content") {
          EXPECT_FALSE(replaced) << "call " << failing;
        }
        if (!hit) {
          EXPECT_TRUE(replaced);
        }
        EXPECT_EQ(Names(image.HostPath("Program Files")), before) << "call " << failing;
      });
  EXPECT_GE(faults, 3);
  RecordProperty("faults", faults);
}

TEST(FaultInjectionTest, TheHostsFileIsRewrittenWholeOrKept) {
  TempImage image("xp");
  const std::string hosts = "C:\\WINDOWS\\system32\\drivers\\etc\\hosts";
  const std::string old = "127.0.0.1 localhost\r\n10.1.2.3 www.vexmarl.example\r\n";
  const std::string cleaned = "127.0.0.1 localhost\r\n";
  bool removed = false;
  const int faults = WithEachCallFailing(
      EIO, [&] { ASSERT_TRUE(foundation::ReplaceWholeFile(image.Files(), hosts, old)); },
      [&] {
        scan::HostsFiles files(image.Machine());
        files.BuildHostsFileSet();
        removed = files.RemoveHostsEntry("www.vexmarl.example");
      },
      [&](int failing, bool hit) {
        const std::string now = Read(image, hosts);
        EXPECT_TRUE(now == old || now == cleaned) << failing << ": " << now;
        if (hit && now == old) {
          EXPECT_FALSE(removed) << "call " << failing;
        }
        if (!hit) {
          EXPECT_EQ(now, cleaned);
        }
      });
  EXPECT_GE(faults, 3);
  RecordProperty("faults", faults);
}

TEST(FaultInjectionTest, TheInstallerReplacesAFileWholeOrLeavesTheOldOne) {
  TempImage image("xp");
  image.WriteHostFile("App/keep.dll", "");
  platform::ScriptedPrompt prompt;
  const std::string list =
      "1\r\nC:\\App\\Vexmarl.exe\r\n0\r\nC:\\Temp\\NEW\tlib.dll\tC:\\App\\\t0\t0\r\n";
  const int faults = WithEachCallFailing(
      ENOSPC,
      [&] {
        image.WriteHostFile("App/lib.dll", "old library");
        image.WriteHostFile("Temp/NEW", "new library");
      },
      [&] { updater::InstallFromList(image.Machine(), prompt, list); },
      [&](int failing, bool) {
        const std::string now = Read(image, "C:\\App\\lib.dll");
        EXPECT_TRUE(now == "old library" || now == "new library") << failing << ": " << now;
      });
  EXPECT_GE(faults, 1);  // the move is one rename
  RecordProperty("faults", faults);
}

// The registry's database calls fail in turn (SQLite's own reads and writes, through the
// same seam): an import is applied whole or not at all, says so, and the database stays whole.
TEST(FaultInjectionTest, ARegistryImportIsAppliedWholeOrNotAtAll) {
  using namespace platform;
  TempImage image("xp");
  const std::string database = image.Root() + "/registry.db";
  std::string text = "REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\r\n\r\n";
  for (int key = 0; key < 5; ++key) {
    text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Imported\\Key" + std::to_string(key) + "]\r\n";
    for (int value = 0; value < 10; ++value)
      text += "\"V" + std::to_string(value) + "\"=\"" + std::string(200, 'x') + "\"\r\n";
    text += "\r\n";
  }
  // What a fresh connection (another process) sees: 0 the old state, 1 the new, -1 a mix.
  auto state = [&] {
    auto registry = ImageRegistry::Open(database, 1252);
    if (!registry) return -2;
    HKEY key = nullptr;
    const bool old = registry->RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Old", 0, KEY_READ,
                                             &key) == ERROR_SUCCESS;
    if (old) registry->RegCloseKey(key);
    int values = 0;
    for (int k = 0; k < 5; ++k) {
      const std::string path = "SOFTWARE\\Imported\\Key" + std::to_string(k);
      if (registry->RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) !=
          ERROR_SUCCESS)
        continue;
      values += static_cast<int>(ReadKeyValues(*registry, key).size());
      registry->RegCloseKey(key);
    }
    if (old && values == 0) return 0;
    if (!old && values == 50) return 1;
    return -1;
  };
  bool imported = false;
  std::string error;
  const int faults = WithEachCallFailing(
      ENOSPC,
      [&] {
        auto registry = ImageRegistry::Open(database, 1252);
        ASSERT_TRUE(registry);
        registry->SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Imported");
        HKEY key = nullptr;
        ASSERT_EQ(registry->RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Old", 0, nullptr, 0,
                                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        registry->RegCloseKey(key);
      },
      [&] {
        // As the registry editor runs: its own connection for the import.
        auto registry = ImageRegistry::Open(database, 1252);
        imported = registry && regedit::ImportRegistryText(*registry, text, error);
      },
      [&](int failing, bool hit) {
        const int now = state();
        EXPECT_TRUE(now == 0 || now == 1) << "call " << failing << ": state " << now;
        if (now == 0) {
          EXPECT_FALSE(imported) << "call " << failing;
        }
        if (!hit) {
          EXPECT_EQ(now, 1);
          EXPECT_TRUE(imported);
        }
        EXPECT_EQ(testing_support::RegistryIntegrity(image.Root()), "ok") << "call " << failing;
      });
  EXPECT_GE(faults, 5);
  RecordProperty("faults", faults);
}

}  // namespace
