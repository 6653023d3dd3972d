#include "platform/win32/win32_task.h"

#include <cstddef>
#include <cstring>

#include "platform/win32/task_scheduler_calls.h"
#include "platform/win32/win32_schedule_page.h"

namespace platform {
namespace {

// The trigger record is the system's 48 bytes, laid out as the system lays it out.
static_assert(sizeof(TASK_TRIGGER) == 48);
static_assert(offsetof(TASK_TRIGGER, TriggerType) == 32 && offsetof(TASK_TRIGGER, Type) == 36 &&
              offsetof(TASK_TRIGGER, Reserved2) == 44);

win32::TriggerRecord RecordOf(const TASK_TRIGGER& trigger) {
  win32::TriggerRecord record;
  std::memcpy(record.data(), &trigger, sizeof trigger);
  return record;
}

TASK_TRIGGER TriggerOf(const win32::TriggerRecord& record) {
  TASK_TRIGGER trigger;
  std::memcpy(&trigger, record.data(), sizeof trigger);
  return trigger;
}

// A text the system handed out, in the platform's allocation (freed by CoTaskMemFree of
// com.h).
HRESULT HandText(HRESULT result, const std::u16string& text, LPWSTR* out) {
  if (FAILED(result)) return result;
  *out = CoTaskMemAllocText(text);
  return *out ? result : E_OUTOFMEMORY;
}

// One trigger of a system task, the platform's ITaskTrigger over the system's.
class Win32TaskTrigger final : public ITaskTrigger {
 public:
  explicit Win32TaskTrigger(void* trigger) : trigger_(trigger) {}

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!(iid == IID_ITaskTrigger) && !(iid == IID_IUnknown)) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<ITaskTrigger*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT SetTrigger(const TASK_TRIGGER* trigger) override {
    if (!trigger) return E_POINTER;
    return win32::SetTriggerRecord(trigger_, RecordOf(*trigger));
  }
  HRESULT GetTrigger(TASK_TRIGGER* trigger) override {
    if (!trigger) return E_POINTER;
    win32::TriggerRecord record;
    const HRESULT result = win32::GetTriggerRecord(trigger_, record);
    if (SUCCEEDED(result)) *trigger = TriggerOf(record);
    return result;
  }
  HRESULT GetTriggerString(LPWSTR* text) override {
    if (!text) return E_POINTER;
    *text = nullptr;
    std::u16string given;
    return HandText(win32::GetTriggerText(trigger_, given), given, text);
  }

 private:
  ~Win32TaskTrigger() override { win32::ReleaseObject(trigger_); }

  std::atomic<ULONG> references_{1};
  void* trigger_;  // the system's ITaskTrigger
};

HRESULT GetText(void* task, win32::TaskText which, LPWSTR* text) {
  if (!text) return E_POINTER;
  *text = nullptr;
  std::u16string given;
  return HandText(win32::GetTaskText(task, which, given), given, text);
}

}  // namespace

Win32Task::~Win32Task() {
  win32::ReleaseObject(task_);
}

HRESULT Win32Task::QueryInterface(const IID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_ITask || iid == IID_IUnknown) {
    *object = static_cast<ITask*>(this);
  } else if (iid == IID_IPersistFile) {
    *object = static_cast<IPersistFile*>(this);
  } else if (iid == IID_IProvideTaskPage) {
    // Served even where the system's tasks give no page: the program's page stands in.
    *object = static_cast<IProvideTaskPage*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG Win32Task::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT Win32Task::CreateTrigger(WORD* newIndex, ITaskTrigger** trigger) {
  if (!newIndex || !trigger) return E_POINTER;
  *trigger = nullptr;
  void* made = nullptr;
  const HRESULT result = win32::CreateTaskTrigger(task_, newIndex, &made);
  if (SUCCEEDED(result)) *trigger = new Win32TaskTrigger(made);
  return result;
}

HRESULT Win32Task::DeleteTrigger(WORD index) {
  return win32::DeleteTaskTrigger(task_, index);
}

HRESULT Win32Task::GetTriggerCount(WORD* count) {
  if (!count) return E_POINTER;
  return win32::CountTaskTriggers(task_, count);
}

HRESULT Win32Task::GetTrigger(WORD index, ITaskTrigger** trigger) {
  if (!trigger) return E_POINTER;
  *trigger = nullptr;
  void* found = nullptr;
  const HRESULT result = win32::GetTaskTrigger(task_, index, &found);
  if (SUCCEEDED(result)) *trigger = new Win32TaskTrigger(found);
  return result;
}

HRESULT Win32Task::GetNextRunTime(SYSTEMTIME* next) {
  if (!next) return E_POINTER;
  win32::TaskTime time;
  const HRESULT result = win32::GetNextRunTime(task_, time);
  *next = {time.year, time.month,  time.dayOfWeek, time.day,
           time.hour, time.minute, time.second,    time.milliseconds};
  return result;
}

HRESULT Win32Task::GetStatus(HRESULT* status) {
  if (!status) return E_POINTER;
  long given = 0;
  const HRESULT result = win32::GetTaskStatus(task_, given);
  *status = static_cast<HRESULT>(given);
  return result;
}

HRESULT Win32Task::SetComment(LPCWSTR comment) {
  return win32::SetTaskText(task_, win32::TaskText::Comment, comment);
}

HRESULT Win32Task::GetComment(LPWSTR* comment) {
  return GetText(task_, win32::TaskText::Comment, comment);
}

HRESULT Win32Task::SetFlags(DWORD flags) {
  return win32::SetTaskFlags(task_, flags);
}

HRESULT Win32Task::GetFlags(DWORD* flags) {
  if (!flags) return E_POINTER;
  return win32::GetTaskFlags(task_, *flags);
}

HRESULT Win32Task::SetAccountInformation(LPCWSTR account, LPCWSTR password) {
  return win32::SetTaskAccount(task_, account, password);
}

HRESULT Win32Task::GetAccountInformation(LPWSTR* account) {
  if (!account) return E_POINTER;
  *account = nullptr;
  std::u16string given;
  return HandText(win32::GetTaskAccount(task_, given), given, account);
}

HRESULT Win32Task::SetApplicationName(LPCWSTR application) {
  return win32::SetTaskText(task_, win32::TaskText::ApplicationName, application);
}

HRESULT Win32Task::GetApplicationName(LPWSTR* application) {
  return GetText(task_, win32::TaskText::ApplicationName, application);
}

HRESULT Win32Task::SetParameters(LPCWSTR parameters) {
  return win32::SetTaskText(task_, win32::TaskText::Parameters, parameters);
}

HRESULT Win32Task::GetParameters(LPWSTR* parameters) {
  return GetText(task_, win32::TaskText::Parameters, parameters);
}

HRESULT Win32Task::SetWorkingDirectory(LPCWSTR folder) {
  return win32::SetTaskText(task_, win32::TaskText::WorkingDirectory, folder);
}

HRESULT Win32Task::GetWorkingDirectory(LPWSTR* folder) {
  return GetText(task_, win32::TaskText::WorkingDirectory, folder);
}

// Wine writes the task's own file over the old one without cutting it to its new length, so
// after fewer triggers or shorter texts the old end stays behind the new one: Wine reads
// such a file, the program's task file reader (job_file.h) refuses it. Windows writes the
// file whole.
HRESULT Win32Task::Save(LPCWSTR fileName, BOOL remember) {
  return win32::SaveTask(task_, fileName, remember != FALSE);
}

HRESULT Win32Task::GetPage(TASKPAGE which, BOOL persistChanges, HPROPSHEETPAGE* page) {
  if (!page) return E_POINTER;
  *page = nullptr;
  if (which != TASKPAGE_SCHEDULE) return which <= TASKPAGE_SETTINGS ? E_NOTIMPL : E_INVALIDARG;
  void* systemPage = nullptr;
  const HRESULT result = win32::GetSchedulePage(task_, persistChanges != FALSE, &systemPage);
  // Where the system's tasks give no page (Wine's give none), the program's page stands alone.
  if (FAILED(result) && result != E_NOINTERFACE && result != E_NOTIMPL) return result;
  *page = NewSchedulePage(*this, systemPage, persistChanges != FALSE);
  return S_OK;
}

HRESULT Win32Task::ReadTriggers(std::vector<TASK_TRIGGER>& triggers) {
  triggers.clear();
  WORD count = 0;
  HRESULT result = win32::CountTaskTriggers(task_, &count);
  for (WORD index = 0; SUCCEEDED(result) && index < count; ++index) {
    void* trigger = nullptr;
    result = win32::GetTaskTrigger(task_, index, &trigger);
    if (FAILED(result)) break;
    win32::TriggerRecord record;
    result = win32::GetTriggerRecord(trigger, record);
    win32::ReleaseObject(trigger);
    if (SUCCEEDED(result)) triggers.push_back(TriggerOf(record));
  }
  return FAILED(result) ? result : S_OK;
}

HRESULT Win32Task::ReplaceTriggers(const std::vector<TASK_TRIGGER>& triggers) {
  WORD old = 0;
  HRESULT result = win32::CountTaskTriggers(task_, &old);
  if (FAILED(result)) return result;
  // The new triggers go after the old ones first, so that a refused one leaves the task as
  // it was.
  WORD added = 0;
  for (const TASK_TRIGGER& wanted : triggers) {
    WORD index = 0;
    void* trigger = nullptr;
    result = win32::CreateTaskTrigger(task_, &index, &trigger);
    if (FAILED(result)) break;
    ++added;
    result = win32::SetTriggerRecord(trigger, RecordOf(wanted));
    win32::ReleaseObject(trigger);
    if (FAILED(result)) break;
  }
  const bool replaced = SUCCEEDED(result);
  // Then the old ones go, or the added ones when one was refused: always the first of them,
  // as the ones after it move down.
  const WORD first = replaced ? 0 : old;
  const WORD count = replaced ? old : added;
  for (WORD i = 0; i < count; ++i) {
    const HRESULT deleted = win32::DeleteTaskTrigger(task_, first);
    if (replaced && FAILED(deleted)) return deleted;
  }
  return result;
}

}  // namespace platform
