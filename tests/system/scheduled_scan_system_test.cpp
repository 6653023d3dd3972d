// Scheduled scans and the logs as real processes: vexmarl-cli sets the task's times, the
// machine's scheduler fires it at its minute, a running program scans when it fires, and the
// logs reach the file browser and the user's outbox.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/installed_program.h"

namespace {

using testing_support::InstallProgram;
using testing_support::ProgramInstance;
using testing_support::RunCommand;
using testing_support::SendToWindow;
using testing_support::TempImage;

constexpr const char* kReadyLine = "Vexmarl 4.23 - anti-spyware scanner and remover";

class ScheduledScanSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(InstallProgram(image_)); }
  std::string Vexmachine(const std::string& arguments, int* status = nullptr) {
    return RunCommand(std::string(VEXMACHINE_PROGRAM) + " " + arguments + " 2>&1", status);
  }
  std::string Cli(const std::string& arguments, int* status = nullptr) {
    return Vexmachine(
        "run '" + image_.Root() + "' 'C:\\Program Files\\Vexmarl\\vexmarl-cli.exe' " + arguments,
        status);
  }
  TempImage image_{"xp"};
};

TEST_F(ScheduledScanSystemTest, ADailyTaskFiresAtItsMinuteAndMakesTheRunningProgramScan) {
  int status = -1;
  EXPECT_EQ(Cli("schedule --daily 09:30", &status).substr(0, 21), "Vexmarl: daily 09:30 ");
  EXPECT_EQ(status, 0);
  const std::string listing = Vexmachine("tasks '" + image_.Root() + "'");
  EXPECT_NE(listing.find("  application: C:\\Program Files\\Vexmarl\\Vexmarl.exe\n"
                         "  parameters: -t\n"
                         "  working folder: C:\\Program Files\\Vexmarl\n"
                         "  account: User\n"),
            std::string::npos)
      << listing;

  ProgramInstance first(image_, "");
  ASSERT_TRUE(first.WaitFor(kReadyLine));
  // Not at another minute, nor before the task's first day.
  EXPECT_EQ(Vexmachine("tasks '" + image_.Root() + "' --due '2099-01-01 09:31'", &status), "");
  EXPECT_EQ(Vexmachine("tasks '" + image_.Root() + "' --due '2001-01-01 09:30'", &status), "");
  EXPECT_EQ(status, 0);
  // At its minute the task starts "Vexmarl.exe -t", which hands the scan to the running one.
  EXPECT_EQ(Vexmachine("tasks '" + image_.Root() + "' --due '2099-01-01 09:30'", &status),
            "started Vexmarl: \"C:\\Program Files\\Vexmarl\\Vexmarl.exe\" -t\n");
  EXPECT_EQ(first.Report(), "Scanning");
  EXPECT_TRUE(first.WaitFor("Scan finished"));
  EXPECT_EQ(SendToWindow(image_, "Vexmarl", 16), "0\n");

  // Times that cannot be understood change nothing.
  EXPECT_EQ(Cli("schedule --weekly Funday 10:00", &status),
            "vexmarl-cli: not a schedule: weekly Funday 10:00\n");
  EXPECT_NE(status, 0);
}

TEST_F(ScheduledScanSystemTest, TheLogsFolderOpensInTheFileBrowserAndTheNewestLogIsMailed) {
  int status = -1;
  Cli("scan", &status);
  const std::string logs = Cli("logs list");
  ASSERT_EQ(logs.rfind("C:\\Program Files\\Vexmarl\\Logs\\VexmarlLog ", 0), 0u) << logs;
  const std::string opened = Cli("logs open", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(opened.find(" Folder of C:\\Program Files\\Vexmarl\\Logs\n"), std::string::npos)
      << opened;
  EXPECT_NE(opened.find("1 File(s)"), std::string::npos) << opened;

  const std::string mailed = Cli("logs mail", &status);
  EXPECT_EQ(status, 0) << mailed;
  EXPECT_EQ(mailed.rfind("mailed C:\\Program Files\\Vexmarl\\Logs\\VexmarlLog ", 0), 0u) << mailed;
  const auto outbox = image_.Files().HostPathOf(
      "C:\\Documents and Settings\\User\\Local Settings\\Application Data\\Outbox");
  ASSERT_TRUE(outbox && std::filesystem::exists(*outbox));
  int mails = 0;
  for (const auto& entry : std::filesystem::directory_iterator(*outbox))
    mails += entry.path().extension() == ".eml";
  EXPECT_EQ(mails, 1);
  EXPECT_EQ(Cli("logs list"), logs) << "the archive was deleted once handed over";
  EXPECT_EQ(Cli("logs mail Missing.log", &status),
            "vexmarl-cli: no log C:\\Program Files\\Vexmarl\\Logs\\Missing.log\n");
}

}  // namespace
