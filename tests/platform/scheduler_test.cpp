// The task scheduler: task files as the format describes them, when triggers fire, and the
// component interfaces' results as a caller sees them.
#include "platform/scheduler.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_image.h"

namespace platform {
namespace {

using testing_support::TempImage;

// Reads the task file layout from its description (not from the writer): little-endian
// fields at fixed offsets, counted UTF-16 texts, then 48-byte triggers.
class LayoutReader {
 public:
  explicit LayoutReader(std::string bytes) : bytes_(std::move(bytes)) {}
  unsigned U16(std::size_t at) const {
    return static_cast<unsigned char>(bytes_.at(at)) | static_cast<unsigned char>(bytes_.at(at + 1))
                                                           << 8;
  }
  unsigned U32(std::size_t at) const { return U16(at) | U16(at + 2) << 16; }
  // The text at the offset, and the offset after it.
  std::string Text(std::size_t& at) const {
    const unsigned count = U16(at);
    std::string text;
    for (unsigned i = 0; i < count; ++i) {
      const unsigned unit = U16(at + 2 + 2 * i);
      if (i + 1 == count) {
        EXPECT_EQ(unit, 0u) << "a counted text ends with its zero";
      } else {
        text += static_cast<char>(unit);
      }
    }
    at += 2 + 2 * count;
    return text;
  }
  std::size_t Size() const { return bytes_.size(); }

 private:
  std::string bytes_;
};

class SchedulerTest : public ::testing::Test {
 protected:
  SchedulerTest() : image_("xp"), machine_(image_.Machine()) {
    machine_.com().CoInitialize(nullptr);
  }
  ~SchedulerTest() override { machine_.com().CoUninitialize(); }

  ITaskScheduler* Scheduler() {
    ITaskScheduler* scheduler = nullptr;
    EXPECT_EQ(
        machine_.com().CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_ITaskScheduler, reinterpret_cast<void**>(&scheduler)),
        S_OK);
    return scheduler;
  }

  TempImage image_;
  Machine& machine_;
};

TASK_TRIGGER Daily(WORD hour, WORD minute, WORD year = 2026, WORD month = 12, WORD day = 8) {
  TASK_TRIGGER trigger;
  trigger.wBeginYear = year;
  trigger.wBeginMonth = month;
  trigger.wBeginDay = day;
  trigger.wStartHour = hour;
  trigger.wStartMinute = minute;
  trigger.TriggerType = TASK_TIME_TRIGGER_DAILY;
  trigger.Type.Daily.DaysInterval = 1;
  return trigger;
}

SYSTEMTIME At(const char* text) {
  return ParseMinute(text).value();
}

TEST_F(SchedulerTest, ASavedTaskHasTheFileLayoutOfTheScheduler) {
  ITaskScheduler* scheduler = Scheduler();
  ITask* task = nullptr;
  ASSERT_EQ(scheduler->NewWorkItem(u"Vexmarl", CLSID_CTask, IID_ITask,
                                   reinterpret_cast<IUnknown**>(&task)),
            S_OK);
  task->SetApplicationName(u"C:\\Program Files\\Vexmarl\\Vexmarl.exe");
  task->SetParameters(u"-t");
  task->SetWorkingDirectory(u"C:\\Program Files\\Vexmarl");
  task->SetComment(u"Scan with Vexmarl");
  task->SetFlags(TASK_FLAG_RUN_ONLY_IF_LOGGED_ON);
  task->SetAccountInformation(u"User", nullptr);
  WORD index = 0;
  ITaskTrigger* trigger = nullptr;
  ASSERT_EQ(task->CreateTrigger(&index, &trigger), S_OK);
  const TASK_TRIGGER daily = Daily(9, 30);
  ASSERT_EQ(trigger->SetTrigger(&daily), S_OK);
  trigger->Release();
  IPersistFile* file = nullptr;
  ASSERT_EQ(task->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
  ASSERT_EQ(file->Save(nullptr, TRUE), S_OK);
  file->Release();
  task->Release();
  scheduler->Release();

  // The worked example's bytes, but for the random identity.
  const LayoutReader job(image_.ReadFile("C:\\WINDOWS\\Tasks\\Vexmarl.job"));
  ASSERT_EQ(job.Size(), 308u);
  EXPECT_EQ(job.U16(0x00), 0x0501u);
  EXPECT_EQ(job.U16(0x02), 1u);
  EXPECT_EQ(job.U16(0x14), 0x46u);
  EXPECT_EQ(job.U16(0x16), 0x102u);
  EXPECT_EQ(job.U16(0x18), 0u);
  EXPECT_EQ(job.U16(0x1A), 0u);
  EXPECT_EQ(job.U16(0x1C), 60u);
  EXPECT_EQ(job.U16(0x1E), 10u);
  EXPECT_EQ(job.U32(0x20), 0x20u);
  EXPECT_EQ(job.U32(0x24), 259200000u);
  EXPECT_EQ(job.U32(0x28), 0u);
  EXPECT_EQ(job.U32(0x2C), 0x00041303u);
  EXPECT_EQ(job.U32(0x30), 0x2000u);
  for (std::size_t at = 0x34; at < 0x44; at += 2) EXPECT_EQ(job.U16(at), 0u) << "last run";
  EXPECT_EQ(job.U16(0x44), 0u);
  std::size_t at = 0x46;
  EXPECT_EQ(job.Text(at), "C:\\Program Files\\Vexmarl\\Vexmarl.exe");
  EXPECT_EQ(job.Text(at), "-t");
  EXPECT_EQ(job.Text(at), "C:\\Program Files\\Vexmarl");
  EXPECT_EQ(at, 0xCEu);
  EXPECT_EQ(job.Text(at), "") << "author";
  EXPECT_EQ(job.Text(at), "Scan with Vexmarl");
  EXPECT_EQ(job.U16(at), 0u) << "user data";
  EXPECT_EQ(job.U16(at + 2), 8u) << "reserved data";
  EXPECT_EQ(job.U32(at + 4), 0u);
  EXPECT_EQ(job.U32(at + 8), 0u);
  at += 12;
  EXPECT_EQ(at, 0x102u);
  EXPECT_EQ(job.U16(at), 1u) << "one trigger";
  const std::size_t t = at + 2;
  EXPECT_EQ(job.U16(t), 0x30u);
  EXPECT_EQ(job.U16(t + 4), 2026u);
  EXPECT_EQ(job.U16(t + 6), 12u);
  EXPECT_EQ(job.U16(t + 8), 8u);
  EXPECT_EQ(job.U16(t + 0x10), 9u);
  EXPECT_EQ(job.U16(t + 0x12), 30u);
  EXPECT_EQ(job.U32(t + 0x14), 0u);
  EXPECT_EQ(job.U32(t + 0x18), 0u);
  EXPECT_EQ(job.U32(t + 0x1C), 0u);
  EXPECT_EQ(job.U32(t + 0x20), 1u) << "daily";
  EXPECT_EQ(job.U16(t + 0x24), 1u) << "every day";
  EXPECT_EQ(t + 0x30, job.Size());
  // The account is kept apart from the file.
  EXPECT_EQ(
      TaskStore(machine_.files(), machine_.registry(), machine_.system()).Account("Vexmarl.job"),
      "User");
}

TEST(JobFile, ReadsBackWhatItWritesAndRefusesWhatIsNoTask) {
  JobFile job;
  job.application = u"C:\\a.exe";
  job.parameters = u"-t";
  job.flags = TASK_FLAG_RUN_ONLY_IF_LOGGED_ON | TASK_APPLICATION_NAME;
  TASK_TRIGGER weekly = Daily(18, 5);
  weekly.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
  weekly.Type.Weekly = {2, 0x22};
  TASK_TRIGGER monthly = Daily(1, 0);
  monthly.TriggerType = TASK_TIME_TRIGGER_MONTHLYDATE;
  monthly.Type.MonthlyDate = {0x40000001, 0x801};
  job.triggers = {weekly, monthly};
  const std::string bytes = EncodeJobFile(job);
  auto back = DecodeJobFile(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->application, job.application);
  EXPECT_EQ(back->flags, job.flags);
  ASSERT_EQ(back->triggers.size(), 2u);
  EXPECT_EQ(back->triggers[0].Type.Weekly.WeeksInterval, 2);
  EXPECT_EQ(back->triggers[0].Type.Weekly.rgfDaysOfTheWeek, 0x22);
  EXPECT_EQ(back->triggers[1].Type.MonthlyDate.rgfDays, 0x40000001u);
  EXPECT_EQ(back->triggers[1].Type.MonthlyDate.rgfMonths, 0x801);
  // An optional signature of 68 bytes may follow; any other bytes left over may not.
  EXPECT_TRUE(DecodeJobFile(bytes + std::string(68, '\x01')));
  EXPECT_FALSE(DecodeJobFile(bytes + "x"));
  EXPECT_FALSE(DecodeJobFile(bytes.substr(0, bytes.size() - 1)));
  EXPECT_FALSE(DecodeJobFile(bytes.substr(0, 0x40)));
  // A trigger count that the file cannot hold, and a reserved size other than 0 or 8.
  std::string hostile = bytes;
  const unsigned triggersAt =
      static_cast<unsigned char>(bytes[0x16]) | static_cast<unsigned char>(bytes[0x17]) << 8;
  hostile[triggersAt] = '\xFF';
  hostile[triggersAt + 1] = '\xFF';
  EXPECT_FALSE(DecodeJobFile(hostile));
  std::string reserved = bytes;
  reserved[triggersAt - 10] = 4;
  EXPECT_FALSE(DecodeJobFile(reserved));
}

TEST(TaskTriggers, FireAtTheirMinutesOnly) {
  const TASK_TRIGGER daily = Daily(9, 30);
  EXPECT_TRUE(TriggerFiresAt(daily, At("2026-12-08 09:30")));
  EXPECT_TRUE(TriggerFiresAt(daily, At("2027-03-01 09:30")));
  EXPECT_FALSE(TriggerFiresAt(daily, At("2026-12-08 09:31")));
  EXPECT_FALSE(TriggerFiresAt(daily, At("2026-12-07 09:30"))) << "before its begin date";

  TASK_TRIGGER everyThird = daily;
  everyThird.Type.Daily.DaysInterval = 3;
  EXPECT_TRUE(TriggerFiresAt(everyThird, At("2026-12-11 09:30")));
  EXPECT_FALSE(TriggerFiresAt(everyThird, At("2026-12-10 09:30")));

  // Mondays and Fridays of every second week, counted from the begin date's week.
  TASK_TRIGGER weekly = daily;
  weekly.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
  weekly.Type.Weekly = {2, 0x22};
  EXPECT_TRUE(TriggerFiresAt(weekly, At("2026-12-11 09:30")));   // Friday, first week
  EXPECT_FALSE(TriggerFiresAt(weekly, At("2026-12-14 09:30")));  // Monday, second week
  EXPECT_TRUE(TriggerFiresAt(weekly, At("2026-12-21 09:30")));   // Monday, third week
  EXPECT_FALSE(TriggerFiresAt(weekly, At("2026-12-22 09:30")));  // Tuesday

  TASK_TRIGGER once = daily;
  once.TriggerType = TASK_TIME_TRIGGER_ONCE;
  EXPECT_TRUE(TriggerFiresAt(once, At("2026-12-08 09:30")));
  EXPECT_FALSE(TriggerFiresAt(once, At("2026-12-09 09:30")));

  // Repeated every 15 minutes for an hour, across midnight.
  TASK_TRIGGER repeated = Daily(23, 30);
  repeated.MinutesDuration = 60;
  repeated.MinutesInterval = 15;
  EXPECT_TRUE(TriggerFiresAt(repeated, At("2026-12-09 00:15")));
  EXPECT_TRUE(TriggerFiresAt(repeated, At("2026-12-09 00:30")));
  EXPECT_FALSE(TriggerFiresAt(repeated, At("2026-12-09 00:45")));
  EXPECT_FALSE(TriggerFiresAt(repeated, At("2026-12-09 00:20")));

  TASK_TRIGGER ended = daily;
  ended.rgFlags = TASK_TRIGGER_FLAG_HAS_END_DATE;
  ended.wEndYear = 2026, ended.wEndMonth = 12, ended.wEndDay = 9;
  EXPECT_TRUE(TriggerFiresAt(ended, At("2026-12-09 09:30")));
  EXPECT_FALSE(TriggerFiresAt(ended, At("2026-12-10 09:30")));

  TASK_TRIGGER lastFriday = daily;
  lastFriday.TriggerType = TASK_TIME_TRIGGER_MONTHLYDOW;
  lastFriday.Type.MonthlyDOW = {TASK_LAST_WEEK, 0x20, 0xFFF};
  EXPECT_TRUE(TriggerFiresAt(lastFriday, At("2026-12-25 09:30")));
  EXPECT_FALSE(TriggerFiresAt(lastFriday, At("2026-12-18 09:30")));

  TASK_TRIGGER disabled = daily;
  disabled.rgFlags = TASK_TRIGGER_FLAG_DISABLED;
  EXPECT_FALSE(TriggerFiresAt(disabled, At("2026-12-08 09:30")));

  EXPECT_EQ(MinuteText(NextFiring(daily, At("2026-12-08 09:30")).value()), "2026-12-09 09:30");
  EXPECT_EQ(MinuteText(NextFiring(weekly, At("2026-12-11 09:30")).value()), "2026-12-21 09:30");
  EXPECT_EQ(MinuteText(NextFiring(repeated, At("2026-12-09 00:05")).value()), "2026-12-09 00:15");
  EXPECT_FALSE(NextFiring(once, At("2026-12-08 09:30")));

  // A task file may ask for a repetition every minute for eight thousand years: it is taken
  // as a year, answered at once.
  TASK_TRIGGER endless = daily;
  endless.MinutesInterval = 1;
  endless.MinutesDuration = 0xFFFFFFFF;
  EXPECT_TRUE(TriggerFiresAt(endless, At("2027-06-01 03:07")));
  EXPECT_EQ(MinuteText(NextFiring(endless, At("2027-06-01 03:07")).value()), "2027-06-01 03:08");
}

TEST(TaskTriggers, ShortTextsParseAndDescribe) {
  const SYSTEMTIME today = At("2026-12-08 12:00");
  EXPECT_EQ(DescribeTrigger(ParseTrigger("daily 09:30", today).value()),
            "daily 09:30 from 2026-12-08");
  EXPECT_EQ(DescribeTrigger(ParseTrigger("weekly Friday,mon 18:00", today).value()),
            "weekly Mon,Fri 18:00 from 2026-12-08");
  EXPECT_EQ(DescribeTrigger(ParseTrigger("once 2026-12-24 18:00", today).value()),
            "once 2026-12-24 18:00");
  for (const char* bad : {"daily 24:00", "daily 9:30", "weekly 09:30", "weekly Mo 09:30",
                          "once 2026-02-30 10:00", "hourly 10:00", ""})
    EXPECT_FALSE(ParseTrigger(bad, today)) << bad;
}

TEST_F(SchedulerTest, ComponentsAnswerWithTheResultsACallerChecks) {
  // Without CoInitialize on the thread, nothing is made.
  machine_.com().CoUninitialize();
  void* object = nullptr;
  EXPECT_EQ(machine_.com().CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_ITaskScheduler, &object),
            CO_E_NOTINITIALIZED);
  machine_.com().CoInitialize(nullptr);
  EXPECT_EQ(machine_.com().CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_ITask, &object),
            E_NOINTERFACE);

  ITaskScheduler* scheduler = Scheduler();
  IUnknown* task = nullptr;
  EXPECT_EQ(scheduler->Activate(u"Missing", IID_ITask, &task),
            HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  ASSERT_EQ(scheduler->NewWorkItem(u"Made", CLSID_CTask, IID_ITask, &task), S_OK);
  IPersistFile* file = nullptr;
  ASSERT_EQ(task->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
  void* none = nullptr;
  EXPECT_EQ(task->QueryInterface(IID_ITaskScheduler, &none), E_NOINTERFACE);
  ASSERT_EQ(file->Save(nullptr, TRUE), S_OK);
  file->Release();
  task->Release();
  EXPECT_EQ(scheduler->NewWorkItem(u"made", CLSID_CTask, IID_ITask, &task),
            HRESULT_FROM_WIN32(ERROR_FILE_EXISTS));
  EXPECT_EQ(scheduler->NewWorkItem(u"a\\b", CLSID_CTask, IID_ITask, &task), E_INVALIDARG);
  image_.WriteFile("C:\\WINDOWS\\Tasks\\Broken.job", "not a task");
  EXPECT_EQ(scheduler->Activate(u"Broken", IID_ITask, &task), SCHED_E_INVALID_TASK);
  scheduler->Release();

  // A machine without the scheduler's registration has no such class.
  ASSERT_EQ(machine_.registry().SHDeleteKeyA(HKEY_CLASSES_ROOT,
                                             ("CLSID\\" + GuidText(CLSID_CTaskScheduler)).c_str()),
            ERROR_SUCCESS);
  EXPECT_EQ(machine_.com().CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_ITaskScheduler, &object),
            REGDB_E_CLASSNOTREG);
}

TEST_F(SchedulerTest, TheSchedulePageSavesTheTimesConfirmedAndNothingOnCancel) {
  ITaskScheduler* scheduler = Scheduler();
  ITask* task = nullptr;
  ASSERT_EQ(
      scheduler->NewWorkItem(u"Paged", CLSID_CTask, IID_ITask, reinterpret_cast<IUnknown**>(&task)),
      S_OK);
  task->SetApplicationName(u"C:\\x.exe");
  IProvideTaskPage* pages = nullptr;
  ASSERT_EQ(task->QueryInterface(IID_IProvideTaskPage, reinterpret_cast<void**>(&pages)), S_OK);
  HPROPSHEETPAGE page = nullptr;
  EXPECT_EQ(pages->GetPage(TASKPAGE_SETTINGS, TRUE, &page), E_NOTIMPL);
  ScriptedPrompt prompt;
  prompt.AnswerSchedule(std::nullopt);
  prompt.AnswerSchedule(std::vector{Daily(7, 0)});
  for (int expected : {0, 1}) {
    ASSERT_EQ(pages->GetPage(TASKPAGE_SCHEDULE, TRUE, &page), S_OK);
    PROPSHEETHEADERA header;
    header.dwFlags = PSH_NOAPPLYNOW;
    header.pszCaption = "Paged";
    header.nPages = 1;
    header.phpage = &page;
    EXPECT_EQ(PropertySheetA(&header, prompt), expected);
    EXPECT_EQ(image_.Files().PathFileExistsA("C:\\WINDOWS\\Tasks\\Paged.job"), expected == 1);
  }
  EXPECT_EQ(prompt.Asked(), (std::vector<std::string>{"schedule: Paged", "schedule: Paged"}));
  pages->Release();
  task->Release();
  IUnknown* again = nullptr;
  ASSERT_EQ(scheduler->Activate(u"Paged", IID_ITask, &again), S_OK);
  WORD count = 0;
  static_cast<ITask*>(again)->GetTriggerCount(&count);
  EXPECT_EQ(count, 1);
  again->Release();
  scheduler->Release();
  PROPSHEETHEADERA empty;
  EXPECT_EQ(PropertySheetA(&empty, prompt), -1);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace platform
