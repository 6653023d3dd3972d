#include "platform/win32/task_scheduler_calls.h"

#include <cstddef>

#include "platform/win32/windows_door.h"

// After <windows.h>: COM's, the scheduler's and the property sheet's declarations need its
// types.
#include <mstask.h>
#include <objbase.h>
#include <prsht.h>

#include <cstring>

namespace win32 {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the system's wide texts are UTF-16 units");
// The size the records say they are (cbTriggerSize): the same on both sides.
static_assert(sizeof(TASK_TRIGGER) == 48, "TASK_TRIGGER is the 48-byte record of the job file");

ITaskScheduler* Scheduler(void* scheduler) {
  return static_cast<ITaskScheduler*>(scheduler);
}
ITask* Task(void* task) {
  return static_cast<ITask*>(task);
}
ITaskTrigger* Trigger(void* trigger) {
  return static_cast<ITaskTrigger*>(trigger);
}

// A text of the platform as the system's wide text, null staying null.
class WideText {
 public:
  explicit WideText(const char16_t* text) : present_(text != nullptr) {
    for (; text && *text; ++text) text_.push_back(static_cast<wchar_t>(*text));
  }
  const wchar_t* get() const { return present_ ? text_.c_str() : nullptr; }

 private:
  bool present_;
  std::wstring text_;
};

// Copies a text the system handed out, then frees it as the system allocated it.
void TakeText(LPWSTR text, std::u16string& out) {
  out.clear();
  for (const wchar_t* unit = text; unit && *unit; ++unit)
    out.push_back(static_cast<char16_t>(*unit));
  ::CoTaskMemFree(text);
}

static_assert(sizeof(TASK_TRIGGER) == std::tuple_size_v<TriggerRecord>);
static_assert(offsetof(TASK_TRIGGER, TriggerType) == 32 && offsetof(TASK_TRIGGER, Type) == 36 &&
              offsetof(TASK_TRIGGER, Reserved2) == 44);

}  // namespace

long CreateTaskScheduler(unsigned long context, void** scheduler) {
  *scheduler = nullptr;
  ITaskScheduler* made = nullptr;
  const HRESULT result = ::CoCreateInstance(CLSID_CTaskScheduler, nullptr, context,
                                            IID_ITaskScheduler, reinterpret_cast<void**>(&made));
  if (SUCCEEDED(result)) *scheduler = made;
  return result;
}

void ReleaseObject(void* object) {
  static_cast<IUnknown*>(object)->Release();
}

long ActivateTask(void* scheduler, const char16_t* name, void** task) {
  *task = nullptr;
  IUnknown* found = nullptr;
  const HRESULT result = Scheduler(scheduler)->Activate(WideText(name).get(), IID_ITask, &found);
  if (SUCCEEDED(result)) *task = static_cast<ITask*>(found);
  return result;
}

long NewTask(void* scheduler, const char16_t* name, void** task) {
  *task = nullptr;
  IUnknown* made = nullptr;
  const HRESULT result =
      Scheduler(scheduler)->NewWorkItem(WideText(name).get(), CLSID_CTask, IID_ITask, &made);
  if (SUCCEEDED(result)) *task = static_cast<ITask*>(made);
  return result;
}

long DeleteTask(void* scheduler, const char16_t* name) {
  return Scheduler(scheduler)->Delete(WideText(name).get());
}

long CreateTaskTrigger(void* task, std::uint16_t* index, void** trigger) {
  *trigger = nullptr;
  WORD made = 0;
  ITaskTrigger* record = nullptr;
  const HRESULT result = Task(task)->CreateTrigger(&made, &record);
  if (SUCCEEDED(result)) {
    *index = made;
    *trigger = record;
  }
  return result;
}

long DeleteTaskTrigger(void* task, std::uint16_t index) {
  return Task(task)->DeleteTrigger(index);
}

long CountTaskTriggers(void* task, std::uint16_t* count) {
  WORD counted = 0;
  const HRESULT result = Task(task)->GetTriggerCount(&counted);
  *count = counted;
  return result;
}

long GetTaskTrigger(void* task, std::uint16_t index, void** trigger) {
  *trigger = nullptr;
  ITaskTrigger* record = nullptr;
  const HRESULT result = Task(task)->GetTrigger(index, &record);
  if (SUCCEEDED(result)) *trigger = record;
  return result;
}

long SetTriggerRecord(void* trigger, const TriggerRecord& record) {
  TASK_TRIGGER system;
  std::memcpy(&system, record.data(), sizeof system);
  return Trigger(trigger)->SetTrigger(&system);
}

long GetTriggerRecord(void* trigger, TriggerRecord& record) {
  TASK_TRIGGER system;
  std::memset(&system, 0, sizeof system);
  system.cbTriggerSize = sizeof system;
  const HRESULT result = Trigger(trigger)->GetTrigger(&system);
  if (SUCCEEDED(result)) std::memcpy(record.data(), &system, sizeof system);
  return result;
}

long GetTriggerText(void* trigger, std::u16string& text) {
  LPWSTR made = nullptr;
  const HRESULT result = Trigger(trigger)->GetTriggerString(&made);
  TakeText(SUCCEEDED(result) ? made : nullptr, text);
  return result;
}

long GetNextRunTime(void* task, TaskTime& next) {
  SYSTEMTIME time = {};
  const HRESULT result = Task(task)->GetNextRunTime(&time);
  next.year = time.wYear;
  next.month = time.wMonth;
  next.dayOfWeek = time.wDayOfWeek;
  next.day = time.wDay;
  next.hour = time.wHour;
  next.minute = time.wMinute;
  next.second = time.wSecond;
  next.milliseconds = time.wMilliseconds;
  return result;
}

long GetTaskStatus(void* task, long& status) {
  HRESULT given = 0;
  const HRESULT result = Task(task)->GetStatus(&given);
  status = given;
  return result;
}

long SetTaskFlags(void* task, std::uint32_t flags) {
  return Task(task)->SetFlags(flags);
}

long GetTaskFlags(void* task, std::uint32_t& flags) {
  DWORD given = 0;
  const HRESULT result = Task(task)->GetFlags(&given);
  flags = given;
  return result;
}

long SetTaskText(void* task, TaskText which, const char16_t* text) {
  const WideText wide(text);
  switch (which) {
    case TaskText::Comment:
      return Task(task)->SetComment(wide.get());
    case TaskText::ApplicationName:
      return Task(task)->SetApplicationName(wide.get());
    case TaskText::Parameters:
      return Task(task)->SetParameters(wide.get());
    case TaskText::WorkingDirectory:
      return Task(task)->SetWorkingDirectory(wide.get());
  }
  return E_INVALIDARG;
}

long GetTaskText(void* task, TaskText which, std::u16string& text) {
  LPWSTR given = nullptr;
  HRESULT result = E_INVALIDARG;
  switch (which) {
    case TaskText::Comment:
      result = Task(task)->GetComment(&given);
      break;
    case TaskText::ApplicationName:
      result = Task(task)->GetApplicationName(&given);
      break;
    case TaskText::Parameters:
      result = Task(task)->GetParameters(&given);
      break;
    case TaskText::WorkingDirectory:
      result = Task(task)->GetWorkingDirectory(&given);
      break;
  }
  TakeText(SUCCEEDED(result) ? given : nullptr, text);
  return result;
}

long SetTaskAccount(void* task, const char16_t* account, const char16_t* password) {
  return Task(task)->SetAccountInformation(WideText(account).get(), WideText(password).get());
}

long GetTaskAccount(void* task, std::u16string& account) {
  LPWSTR given = nullptr;
  const HRESULT result = Task(task)->GetAccountInformation(&given);
  TakeText(SUCCEEDED(result) ? given : nullptr, account);
  return result;
}

long SaveTask(void* task, const char16_t* fileName, bool remember) {
  IPersistFile* file = nullptr;
  HRESULT result = Task(task)->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (FAILED(result)) return result;
  result = file->Save(WideText(fileName).get(), remember ? TRUE : FALSE);
  file->Release();
  return result;
}

long GetSchedulePage(void* task, bool persistChanges, void** page) {
  *page = nullptr;
  IProvideTaskPage* pages = nullptr;
  HRESULT result =
      Task(task)->QueryInterface(IID_IProvideTaskPage, reinterpret_cast<void**>(&pages));
  if (FAILED(result)) return result;
  HPROPSHEETPAGE made = nullptr;
  result = pages->GetPage(TASKPAGE_SCHEDULE, persistChanges ? TRUE : FALSE, &made);
  pages->Release();
  if (SUCCEEDED(result)) *page = made;
  return result;
}

long ShowPropertySheet(void* owner, const char* caption, bool noApplyNow, unsigned startPage,
                       const std::vector<void*>& pages) {
  std::vector<HPROPSHEETPAGE> handles;
  for (void* page : pages) handles.push_back(static_cast<HPROPSHEETPAGE>(page));
  PROPSHEETHEADERA header = {};
  // The first form of the header: every version of the common controls takes it.
  header.dwSize = PROPSHEETHEADERA_V1_SIZE;
  header.dwFlags = noApplyNow ? PSH_NOAPPLYNOW : 0;
  header.hwndParent = static_cast<HWND>(owner);
  header.pszCaption = caption;
  header.nPages = static_cast<UINT>(handles.size());
  header.nStartPage = startPage;
  header.phpage = handles.data();
  return static_cast<long>(::PropertySheetA(&header));
}

bool DestroySheetPage(void* page) {
  return ::DestroyPropertySheetPage(static_cast<HPROPSHEETPAGE>(page)) != FALSE;
}

}  // namespace win32
