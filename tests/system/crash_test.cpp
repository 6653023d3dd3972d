// Processes killed at random instants (SIGKILL, seeded and printed) while they replace a file
// or import registry text: afterwards the file is whole, old or new, and the registry opens
// and passes SQLite's integrity check.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "foundation/whole_file.h"
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

}  // namespace
