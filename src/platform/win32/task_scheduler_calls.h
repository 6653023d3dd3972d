// Seam: the system's Task Scheduler 1.0 (mstask.h) in plain types — the scheduler, its tasks
// and their triggers, saving a task, the schedule page the system makes for a task and the
// common controls' property sheet that shows such pages. Interface pointers travel as void*,
// each one reference of the caller's, given back with ReleaseObject; texts are UTF-16 units;
// results are the system's HRESULTs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace win32 {

// CoCreateInstance(CLSID_CTaskScheduler) for IID_ITaskScheduler in the given class context.
long CreateTaskScheduler(unsigned long context, void** scheduler);
void ReleaseObject(void* object);  // IUnknown::Release

// ITaskScheduler::Activate and NewWorkItem (CLSID_CTask) for IID_ITask, and Delete.
long ActivateTask(void* scheduler, const char16_t* name, void** task);
long NewTask(void* scheduler, const char16_t* name, void** task);
long DeleteTask(void* scheduler, const char16_t* name);

// A TASK_TRIGGER record byte for byte: the system's and the platform's share its layout.
using TriggerRecord = std::array<unsigned char, 48>;

// ITask's triggers, and ITaskTrigger's record and text.
long CreateTaskTrigger(void* task, std::uint16_t* index, void** trigger);
long DeleteTaskTrigger(void* task, std::uint16_t index);
long CountTaskTriggers(void* task, std::uint16_t* count);
long GetTaskTrigger(void* task, std::uint16_t index, void** trigger);
long SetTriggerRecord(void* trigger, const TriggerRecord& record);
long GetTriggerRecord(void* trigger, TriggerRecord& record);
long GetTriggerText(void* trigger, std::u16string& text);

// SYSTEMTIME's fields.
struct TaskTime {
  std::uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0, hour = 0, minute = 0, second = 0,
                milliseconds = 0;
};

// ITask's times, status and flags.
long GetNextRunTime(void* task, TaskTime& next);
long GetTaskStatus(void* task, long& status);
long SetTaskFlags(void* task, std::uint32_t flags);
long GetTaskFlags(void* task, std::uint32_t& flags);

// ITask's texts: Set... takes null as the system does, Get... copies the system's text (and
// frees it with the system's CoTaskMemFree).
enum class TaskText { Comment, ApplicationName, Parameters, WorkingDirectory };
long SetTaskText(void* task, TaskText which, const char16_t* text);
long GetTaskText(void* task, TaskText which, std::u16string& text);
// SetAccountInformation and GetAccountInformation. A null password with
// TASK_FLAG_RUN_ONLY_IF_LOGGED_ON set is the account of the person logged on, which needs none.
long SetTaskAccount(void* task, const char16_t* account, const char16_t* password);
long GetTaskAccount(void* task, std::u16string& account);

// IPersistFile::Save of the task (QueryInterface, Save, Release); null: its own file.
long SaveTask(void* task, const char16_t* fileName, bool remember);
// IProvideTaskPage::GetPage(TASKPAGE_SCHEDULE) of the task: the system's HPROPSHEETPAGE.
// E_NOINTERFACE when the system's tasks give no pages.
long GetSchedulePage(void* task, bool persistChanges, void** page);

// PropertySheetA of the common controls over the system's pages, which it destroys: above 0
// when the person confirmed, 0 when cancelled, -1 with the last error set when it could not
// be shown. The caption and the "apply now" button are the only settings of the header.
long ShowPropertySheet(void* owner, const char* caption, bool noApplyNow, unsigned startPage,
                       const std::vector<void*>& pages);
bool DestroySheetPage(void* page);  // DestroyPropertySheetPage

}  // namespace win32
