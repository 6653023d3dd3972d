// Operations that replace a user's files, run with each of their host file system calls
// failing in turn (a full disk): afterwards every file is whole, old or new, and a failure
// that left the old content reached the caller.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "foundation/whole_file.h"
#include "platform/prompt.h"
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

}  // namespace
