// Processes killed at random instants (SIGKILL, seeded and printed) while they replace a file,
// import registry text or fill quarantine archives: afterwards the file is whole, old or new,
// the registry opens and passes SQLite's integrity check, and every archive is complete or
// shows itself as never closed, which nothing restores.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <thread>

#include "foundation/whole_file.h"
#include "removal/quarantine_archive.h"
#include "support/helper_process.h"
#include "support/temp_image.h"

namespace {

using testing_support::TempImage;

constexpr int kKills = 40;

unsigned Seed() {
  const unsigned seed = std::random_device{}();
  std::printf("crash test seed %u\n", seed);
  return seed;
}

TEST(CrashTest, AFileReplacedWholeIsOldOrNewAfterAKillAtAnyInstant) {
  TempImage image("xp");
  const std::string path = "C:\\Program Files\\data.txt";
  image.WriteFile(path, std::string(40000, 'a') + "\r\n");
  std::mt19937 random(Seed());
  std::uniform_int_distribution<int> delay(0, 20000);  // microseconds
  for (int kill = 0; kill < kKills; ++kill) {
    testing_support::HelperProcess rewriter({VEXMARL_TEST_REWRITER, image.Root(), path});
    ASSERT_EQ(rewriter.Report(), "ready");
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    rewriter.Kill();
    const std::string now = foundation::ReadWholeFile(image.Files(), path).value_or("");
    const bool old = now == std::string(40000, 'a') + "\r\n",
               replaced = now == std::string(30000, 'b') + "\r\n";
    ASSERT_TRUE(old || replaced) << "kill " << kill << ": " << now.size() << " bytes";
  }
}

TEST(CrashTest, TheRegistryStaysWholeWhenAnImportIsKilled) {
  TempImage image("xp");
  std::string text = "REGEDIT4\r\n\r\n";
  for (int key = 0; key < 3000; ++key) {
    text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Crash\\Key" + std::to_string(key) + "]\r\n";
    text += "\"Value\"=\"" + std::string(64, 'v') + "\"\r\n\"Number\"=dword:00000001\r\n\r\n";
  }
  image.WriteFile("C:\\big.reg", text);
  std::mt19937 random(Seed());
  std::uniform_int_distribution<int> delay(0, 300000);  // microseconds
  for (int kill = 0; kill < 10; ++kill) {
    testing_support::HelperProcess import(
        {"/usr/bin/env", "VEXMARL_MACHINE=" + image.Root(), REGEDIT_PROGRAM, "/s", "C:\\big.reg"});
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    import.Kill();
    ASSERT_EQ(testing_support::RegistryIntegrity(image.Root()), "ok") << "kill " << kill;
  }
}

TEST(CrashTest, AQuarantineArchiveIsCompleteOrShowsItWasNeverClosed) {
  TempImage image("xp");
  std::vector<std::string> arguments = {VEXMARL_TEST_QUARANTINER, image.Root(),
                                        "C:\\Quarantine\\archive"};
  std::vector<std::string> contents;
  ASSERT_TRUE(image.Files().CreateDirectoryA("C:\\Source", nullptr));
  for (int file = 0; file < 12; ++file) {
    const std::string path = "C:\\Source\\file" + std::to_string(file) + ".bin";
    contents.push_back(std::string(8192 + file, static_cast<char>('a' + file)));
    image.WriteFile(path, contents.back());
    arguments.push_back(path);
  }
  const std::string folder = image.HostPath("Quarantine");
  std::mt19937 random(Seed());
  std::uniform_int_distribution<int> delay(0, 30000);  // microseconds
  int complete = 0, unclosed = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    testing_support::HelperProcess quarantiner(arguments);
    ASSERT_EQ(quarantiner.Report(), "ready");
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    quarantiner.Kill();
    if (!std::filesystem::exists(folder)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      const std::string archive = "C:\\Quarantine\\" + entry.path().filename().string();
      const std::uint32_t items = removal::ReadItemTotal(image.Files(), archive);
      ASSERT_TRUE(items == 12 || items == 0) << "kill " << kill << ": " << archive << " " << items;
      if (items == 0) {
        // Never closed: it restores nothing, and the files it was filled from are untouched.
        ++unclosed;
        EXPECT_FALSE(removal::RestoreArchive(image.Machine(), archive)) << "kill " << kill;
      } else if (complete++ % 8 == 0) {
        // Now and then a complete one is put back whole.
        ASSERT_TRUE(removal::RestoreArchive(image.Machine(), archive)) << "kill " << kill;
      }
      for (int file = 0; file < 12; ++file)
        ASSERT_EQ(image.ReadFile("C:\\Source\\file" + std::to_string(file) + ".bin"),
                  contents[file])
            << "kill " << kill;
    }
    std::filesystem::remove_all(folder);
  }
  RecordProperty("complete", complete);
  RecordProperty("unclosed", unclosed);
}

TEST(CrashTest, AnInstalledFileIsTheOldOrTheNewOneAfterAKill) {
  TempImage image("xp");
  image.WriteHostFile("App/lib.dll", std::string(50000, 'a'));
  image.WriteHostFile("Temp/keep", "");
  std::mt19937 random(Seed());
  std::uniform_int_distribution<int> delay(0, 20000);  // microseconds
  for (int kill = 0; kill < kKills; ++kill) {
    testing_support::HelperProcess installer({VEXMARL_TEST_INSTALLER, image.Root()});
    ASSERT_EQ(installer.Report(), "ready");
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    installer.Kill();
    const std::string now = image.ReadFile("C:\\App\\lib.dll");
    ASSERT_TRUE(now == std::string(50000, 'a') || now == std::string(70000, 'b'))
        << "kill " << kill << ": " << now.size() << " bytes";
  }
}

}  // namespace
