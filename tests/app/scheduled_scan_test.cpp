// The schedule command: the task made once with the program's properties, its page opened
// each time, and every failure told only on the standard streams.
#include "app/scheduled_scan.h"

#include <gtest/gtest.h>

#include <sstream>

#include "main_window_fixture.h"
#include "platform/scheduler.h"

namespace app {
namespace {

using namespace platform;
using window_test::MainWindowTest;

constexpr const char* kTaskFile = "C:\\WINDOWS\\Tasks\\Vexmarl.job";

TASK_TRIGGER DailyAt(WORD hour) {
  return ParseTrigger("daily " + std::string(hour < 10 ? "0" : "") + std::to_string(hour) + ":00",
                      LocalTimeNow())
      .value();
}

class ScheduleScanTest : public MainWindowTest {
 protected:
  // The command as the window runs it; what it wrote to each stream.
  void Schedule() {
    out_.str("");
    error_.str("");
    ScheduleScan(image_.Machine(), prompt_, branding_, resources_, window_test::kProgramFolder,
                 nullptr, {out_, error_});
  }
  JobFile Task() {
    JobFile job;
    EXPECT_EQ(Store().Read(kTaskFile, job), ERROR_SUCCESS);
    return job;
  }
  TaskStore Store() {
    return TaskStore(image_.Files(), image_.Machine().registry(), image_.Machine().system());
  }
  void ExpectProgramProperties(const JobFile& job) {
    const CodePage& code = image_.Machine().Code();
    EXPECT_EQ(code.FromUtf16(job.application), "C:\\Program Files\\Vexmarl\\Vexmarl.exe");
    EXPECT_EQ(code.FromUtf16(job.parameters), "-t");
    EXPECT_EQ(code.FromUtf16(job.workingDirectory), "C:\\Program Files\\Vexmarl");
    EXPECT_EQ(code.FromUtf16(job.comment), "Vexmarl scheduled scan");
    EXPECT_EQ(job.flags, TASK_FLAG_RUN_ONLY_IF_LOGGED_ON);
    EXPECT_EQ(Store().Account("Vexmarl.job"), image_.Machine().system().UserName());
  }

  ScriptedPrompt prompt_;
  std::ostringstream out_, error_;
};

TEST_F(ScheduleScanTest, TheTaskIsMadeOnceAndItsPageOpenedEachTime) {
  prompt_.AnswerSchedule(std::vector{DailyAt(9)});
  Schedule();
  const JobFile first = Task();
  ExpectProgramProperties(first);
  ASSERT_EQ(first.triggers.size(), 1u);
  EXPECT_EQ(first.triggers[0].wStartHour, 9);

  // The second command finds the task: the same one, with the new times from its page.
  prompt_.AnswerSchedule(std::vector{DailyAt(9), DailyAt(21)});
  Schedule();
  const JobFile second = Task();
  EXPECT_EQ(second.uuid, first.uuid);
  EXPECT_EQ(second.triggers.size(), 2u);
  EXPECT_EQ(Store().Names(), std::vector<std::string>{"Vexmarl"});

  // Cancelled: the times stay, and nothing is reported.
  prompt_.AnswerSchedule(std::nullopt);
  Schedule();
  EXPECT_EQ(Task().triggers.size(), 2u);
  EXPECT_EQ(out_.str() + error_.str(), "");
  EXPECT_EQ(prompt_.Asked(), (std::vector<std::string>(3, "schedule: Vexmarl")));
  EXPECT_TRUE(prompt_.Unexpected().empty());
}

TEST_F(ScheduleScanTest, ATaskDeletedOutsideTheProgramIsMadeAgainWhole) {
  prompt_.AnswerSchedule(std::vector{DailyAt(9)});
  Schedule();
  // Someone deletes the task and leaves a stale account behind.
  ASSERT_TRUE(image_.Files().DeleteFileA(kTaskFile));
  Store().SetAccount("Vexmarl.job", "Somebody");
  prompt_.AnswerSchedule(std::vector{DailyAt(10)});
  Schedule();
  const JobFile again = Task();
  ExpectProgramProperties(again);
  ASSERT_EQ(again.triggers.size(), 1u);
  EXPECT_EQ(again.triggers[0].wStartHour, 10);
}

TEST_F(ScheduleScanTest, FailuresAreWrittenWithTheirResultsToTheirStreamsOnly) {
  // The scheduler's class is not there.
  ImageRegistry& registry = image_.Machine().registry();
  ASSERT_EQ(registry.SHDeleteKeyA(
                HKEY_LOCAL_MACHINE,
                ("SOFTWARE\\Classes\\CLSID\\" + GuidText(CLSID_CTaskScheduler)).c_str()),
            ERROR_SUCCESS);
  Schedule();
  EXPECT_EQ(error_.str(),
            "Failed calling NewWorkItem, error = 0x80040154\n"
            "Failed calling Editing, error = 0x80040154\n");
  EXPECT_EQ(out_.str(), "");
  const std::string classKey =
      "SOFTWARE\\Classes\\CLSID\\" + GuidText(CLSID_CTaskScheduler) + "\\InprocServer32";
  HKEY key = nullptr;
  ASSERT_EQ(registry.RegCreateKeyExA(HKEY_LOCAL_MACHINE, classKey.c_str(), 0, nullptr, 0, KEY_WRITE,
                                     nullptr, &key, nullptr),
            ERROR_SUCCESS);
  registry.RegCloseKey(key);

  // The task cannot be saved: the Tasks folder is gone.
  ASSERT_TRUE(image_.Files().RemoveDirectoryA("C:\\WINDOWS\\Tasks"));
  Schedule();
  EXPECT_EQ(error_.str(),
            "Failed calling Save, error = 0x80070003\n"
            "Failed calling Editing, error = 0x80070003\n");
  ASSERT_TRUE(image_.Files().CreateDirectoryA("C:\\WINDOWS\\Tasks", nullptr));

  // A task file of that name that is no task: it cannot be made new nor edited.
  image_.WriteFile(kTaskFile, "damaged");
  Schedule();
  EXPECT_EQ(error_.str(),
            "Failed calling NewWorkItem, error = 0x80070050\n"
            "Failed calling Editing, error = 0x8004130e\n");
  EXPECT_EQ(out_.str(), "");
  ASSERT_TRUE(image_.Files().DeleteFileA(kTaskFile));

  // The page cannot save what the person confirmed: the task file is read-only.
  prompt_.AnswerSchedule(std::vector{DailyAt(9)});
  Schedule();
  ASSERT_TRUE(image_.Files().SetFileAttributesA(kTaskFile, FILE_ATTRIBUTE_READONLY));
  prompt_.AnswerSchedule(std::vector{DailyAt(11)});
  Schedule();
  EXPECT_EQ(out_.str(), "Failed to create the property page: 0x5\n");
  EXPECT_EQ(error_.str(), "");
  EXPECT_EQ(Task().triggers.at(0).wStartHour, 9) << "the task kept its times";
  EXPECT_TRUE(prompt_.Unexpected().empty()) << "no message box";
}

TEST_F(ScheduleScanTest, TheWindowsScheduleCommandOpensThePageOnItsPrompt) {
  Start();
  view_.prompt_.AnswerSchedule(std::vector{DailyAt(8)});
  Command(command::kSchedule);
  EXPECT_EQ(Task().triggers.at(0).wStartHour, 8);
  ExpectProgramProperties(Task());
}

}  // namespace
}  // namespace app
