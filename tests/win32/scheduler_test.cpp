// The system's task scheduler through the layer: the scheduled scan's task, made as the
// program makes it, reads back from its file in the Tasks folder with the program's own task
// file reader; the schedule page, answered by the prompt, replaces the task's times only when
// confirmed; and a task saved a moment ago can be deleted by the same process. Every task has
// a name of the test's own and is deleted at the end.
#include "platform/win32/win32_machine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "app/scheduled_scan.h"
#include "platform/scheduler.h"

namespace platform {
namespace {

constexpr const char* kProgramFolder = "C:\\Program Files\\Vexmarl\\";

TASK_TRIGGER Trigger(const std::string& text) {
  return ParseTrigger(text, LocalTimeNow()).value();
}

// The times as the console names them, and the trigger flags the texts leave out.
std::vector<std::string> Times(const std::vector<TASK_TRIGGER>& triggers) {
  std::vector<std::string> times;
  for (const TASK_TRIGGER& trigger : triggers)
    times.push_back(DescribeTrigger(trigger) + " flags " + std::to_string(trigger.rgFlags));
  return times;
}

class Win32SchedulerTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(machine_.com().CoInitialize(nullptr)));
    name_ =
        "VexmarlTest" +
        std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000000);
    wideName_ = machine_.Code().ToUtf16(name_);
    ASSERT_EQ(
        machine_.com().CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_ITaskScheduler, reinterpret_cast<void**>(&scheduler_)),
        S_OK);
  }

  void TearDown() override {
    if (scheduler_) {
      scheduler_->Delete(wideName_.c_str());
      EXPECT_EQ(scheduler_->Release(), 0u);
    }
    EXPECT_FALSE(machine_.files().PathFileExistsA(Path().c_str())) << "the task is left";
    machine_.com().CoUninitialize();
  }

  std::string Path() { return store_.PathOf(name_); }
  JobFile Job() {
    JobFile job;
    EXPECT_EQ(store_.Read(Path(), job), ERROR_SUCCESS) << Path();
    return job;
  }
  std::string Text(const std::u16string& text) { return machine_.Code().FromUtf16(text); }

  // The schedule page of the task shown as the program shows it.
  int ShowSchedulePage(IProvideTaskPage* pages, Prompt& prompt) {
    HPROPSHEETPAGE page = nullptr;
    EXPECT_EQ(pages->GetPage(TASKPAGE_SCHEDULE, TRUE, &page), S_OK);
    PROPSHEETHEADERA header;
    header.dwFlags = PSH_NOAPPLYNOW;
    header.nPages = 1;
    header.phpage = &page;
    return PropertySheetA(&header, prompt);
  }

  Win32Machine machine_;
  TaskStore store_{machine_.files(), machine_.registry(), machine_.system()};
  std::string name_;
  std::u16string wideName_;
  ITaskScheduler* scheduler_ = nullptr;
};

TEST_F(Win32SchedulerTest, TheScheduledScansTaskReadsBackFromItsFile) {
  app::BrandingSettings branding;
  branding.APPNAME = name_;
  branding.EXENAME = "Vexmarl.exe";
  app::Resources resources;
  ScriptedPrompt prompt;
  const TASK_TRIGGER daily = Trigger("daily 10:00");
  prompt.AnswerSchedule(std::vector{daily});
  std::ostringstream out, error;
  app::ScheduleScan(machine_, prompt, branding, resources, kProgramFolder, nullptr, {out, error});
  EXPECT_EQ(out.str() + error.str(), "");
  EXPECT_EQ(prompt.Asked(), std::vector<std::string>{"schedule: " + name_});

  const JobFile job = Job();
  EXPECT_EQ(Text(job.application), "C:\\Program Files\\Vexmarl\\Vexmarl.exe");
  EXPECT_EQ(Text(job.parameters), "-t");
  EXPECT_EQ(Text(job.workingDirectory), "C:\\Program Files\\Vexmarl");
  EXPECT_EQ(job.flags & TASK_FLAG_RUN_ONLY_IF_LOGGED_ON, TASK_FLAG_RUN_ONLY_IF_LOGGED_ON);
  EXPECT_EQ(Times(job.triggers), Times({daily}));

  // Deleted by the process that saved it a moment ago.
  EXPECT_EQ(scheduler_->Delete(wideName_.c_str()), S_OK);
  EXPECT_FALSE(machine_.files().PathFileExistsA(Path().c_str()));
}

TEST_F(Win32SchedulerTest, TheSchedulePageReplacesTheTimesOnlyWhenConfirmed) {
  ITask* task = nullptr;
  ASSERT_EQ(scheduler_->NewWorkItem(wideName_.c_str(), CLSID_CTask, IID_ITask,
                                    reinterpret_cast<IUnknown**>(&task)),
            S_OK);
  EXPECT_EQ(task->SetApplicationName(u"C:\\Program Files\\Vexmarl\\Vexmarl.exe"), S_OK);
  WORD index = 0;
  ITaskTrigger* trigger = nullptr;
  ASSERT_EQ(task->CreateTrigger(&index, &trigger), S_OK);
  const TASK_TRIGGER daily = Trigger("daily 10:00");
  EXPECT_EQ(trigger->SetTrigger(&daily), S_OK);
  EXPECT_EQ(trigger->Release(), 0u);
  IPersistFile* file = nullptr;
  ASSERT_EQ(task->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
  ASSERT_EQ(file->Save(nullptr, TRUE), S_OK);
  EXPECT_EQ(file->Release(), 1u) << "the task's own reference is left";
  EXPECT_EQ(Times(Job().triggers), Times({daily}));

  IProvideTaskPage* pages = nullptr;
  ASSERT_EQ(task->QueryInterface(IID_IProvideTaskPage, reinterpret_cast<void**>(&pages)), S_OK);
  HPROPSHEETPAGE other = nullptr;
  EXPECT_EQ(pages->GetPage(TASKPAGE_SETTINGS, TRUE, &other), E_NOTIMPL);
  ScriptedPrompt prompt;
  const std::vector<TASK_TRIGGER> twice = {Trigger("weekly Mon,Fri 18:00"),
                                           Trigger("once 2031-01-02 08:15")};
  prompt.AnswerSchedule(twice);
  prompt.AnswerSchedule(std::nullopt);
  EXPECT_EQ(ShowSchedulePage(pages, prompt), 1);
  EXPECT_EQ(Times(Job().triggers), Times(twice));
  WORD count = 0;
  EXPECT_EQ(task->GetTriggerCount(&count), S_OK);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(ShowSchedulePage(pages, prompt), 0) << "cancelled";
  EXPECT_EQ(Times(Job().triggers), Times(twice));
  EXPECT_EQ(prompt.Asked(), std::vector<std::string>(2, "schedule: " + name_));
  EXPECT_TRUE(prompt.Unexpected().empty());
  PROPSHEETHEADERA empty;
  EXPECT_EQ(PropertySheetA(&empty, prompt), -1);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(pages->Release(), 1u) << "the pages shown hold the task no more";
  EXPECT_EQ(task->Release(), 0u);

  // What was saved is what the scheduler reads back.
  IUnknown* again = nullptr;
  ASSERT_EQ(scheduler_->Activate(wideName_.c_str(), IID_ITask, &again), S_OK);
  EXPECT_EQ(static_cast<ITask*>(again)->GetTriggerCount(&count), S_OK);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(again->Release(), 0u);
  EXPECT_EQ(scheduler_->Delete(wideName_.c_str()), S_OK);
  EXPECT_EQ(scheduler_->Activate(wideName_.c_str(), IID_ITask, &again),
            HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
}

TEST_F(Win32SchedulerTest, OnlyTheSchedulerIsMadeAndOnlyAsItsOwnInterface) {
  void* object = &object;
  EXPECT_EQ(machine_.com().CoCreateInstance(CLSID_CTask, nullptr, CLSCTX_INPROC_SERVER, IID_ITask,
                                            &object),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  object = &object;
  EXPECT_EQ(machine_.com().CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_ITask, &object),
            E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  IUnknown* task = nullptr;
  EXPECT_EQ(scheduler_->NewWorkItem(wideName_.c_str(), CLSID_CTaskScheduler, IID_ITask, &task),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(scheduler_->Activate(wideName_.c_str(), IID_ITask, &task),
            HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(task, nullptr);
}

}  // namespace
}  // namespace platform
