#include "platform/image/task_scheduler.h"

#include <atomic>
#include <random>

#include "platform/files.h"
#include "platform/last_error.h"
#include "platform/windows_path.h"

namespace platform {
namespace {

std::array<BYTE, 16> RandomUuid() {
  std::random_device source;
  std::array<BYTE, 16> uuid{};
  for (BYTE& byte : uuid) byte = static_cast<BYTE>(source());
  uuid[7] = static_cast<BYTE>((uuid[7] & 0x0F) | 0x40);  // version 4, little-endian group
  uuid[8] = static_cast<BYTE>((uuid[8] & 0x3F) | 0x80);
  return uuid;
}

template <typename Interface>
class RefCounted : public Interface {
 public:
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> references_{1};
};

class Task;

class TaskTrigger : public RefCounted<ITaskTrigger> {
 public:
  TaskTrigger(Task* task, WORD index);
  ~TaskTrigger() override;
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    if (!(iid == IID_ITaskTrigger) && !(iid == IID_IUnknown)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    *object = static_cast<ITaskTrigger*>(this);
    return S_OK;
  }
  HRESULT SetTrigger(const TASK_TRIGGER* trigger) override;
  HRESULT GetTrigger(TASK_TRIGGER* trigger) override;
  HRESULT GetTriggerString(LPWSTR* text) override;

 private:
  Task* task_;
  WORD index_;
};

// One task: its file's fields in memory until it is saved.
class Task : public ITask, public IPersistFile, public IProvideTaskPage {
 public:
  Task(TaskStore store, const CodePage& codePage, std::string name, std::string path, JobFile job,
       std::optional<std::string> account)
      : store_(store),
        codePage_(codePage),
        name_(std::move(name)),
        path_(std::move(path)),
        job_(std::move(job)),
        account_(std::move(account)) {}

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_ITask || iid == IID_IUnknown) {
      *object = static_cast<ITask*>(this);
    } else if (iid == IID_IPersistFile) {
      *object = static_cast<IPersistFile*>(this);
    } else if (iid == IID_IProvideTaskPage) {
      *object = static_cast<IProvideTaskPage*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // Triggers.
  HRESULT CreateTrigger(WORD* newIndex, ITaskTrigger** trigger) override {
    if (!newIndex || !trigger) return E_POINTER;
    TASK_TRIGGER fresh;
    const SYSTEMTIME today = LocalTimeNow();
    fresh.wBeginYear = today.wYear;
    fresh.wBeginMonth = today.wMonth;
    fresh.wBeginDay = today.wDay;
    fresh.TriggerType = TASK_TIME_TRIGGER_DAILY;
    fresh.Type.Daily.DaysInterval = 1;
    job_.triggers.push_back(fresh);
    *newIndex = static_cast<WORD>(job_.triggers.size() - 1);
    *trigger = new TaskTrigger(this, *newIndex);
    return S_OK;
  }
  HRESULT DeleteTrigger(WORD index) override {
    if (index >= job_.triggers.size()) return SCHED_E_TRIGGER_NOT_FOUND;
    job_.triggers.erase(job_.triggers.begin() + index);
    return S_OK;
  }
  HRESULT GetTriggerCount(WORD* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<WORD>(job_.triggers.size());
    return S_OK;
  }
  HRESULT GetTrigger(WORD index, ITaskTrigger** trigger) override {
    if (!trigger) return E_POINTER;
    if (index >= job_.triggers.size()) return SCHED_E_TRIGGER_NOT_FOUND;
    *trigger = new TaskTrigger(this, index);
    return S_OK;
  }
  HRESULT GetNextRunTime(SYSTEMTIME* next) override {
    if (!next) return E_POINTER;
    *next = {};
    if (job_.flags & TASK_FLAG_DISABLED) return SCHED_S_TASK_DISABLED;
    const std::optional<SYSTEMTIME> first = NextFiring(job_.triggers, LocalTimeNow());
    if (!first)
      return job_.triggers.empty() ? SCHED_S_TASK_NO_VALID_TRIGGERS : SCHED_S_TASK_NO_MORE_RUNS;
    *next = *first;
    return S_OK;
  }
  HRESULT GetStatus(HRESULT* status) override {
    if (!status) return E_POINTER;
    *status = job_.flags & TASK_FLAG_DISABLED ? SCHED_S_TASK_DISABLED : job_.status;
    return S_OK;
  }

  // Properties.
  HRESULT SetComment(LPCWSTR text) override { return SetText(job_.comment, text); }
  HRESULT GetComment(LPWSTR* text) override { return GetText(job_.comment, text); }
  HRESULT SetFlags(DWORD flags) override {
    job_.flags = flags & ~TASK_APPLICATION_NAME;
    return S_OK;
  }
  HRESULT GetFlags(DWORD* flags) override {
    if (!flags) return E_POINTER;
    *flags = job_.flags & ~TASK_APPLICATION_NAME;
    return S_OK;
  }
  HRESULT SetAccountInformation(LPCWSTR account, LPCWSTR) override {
    if (!account) return E_INVALIDARG;
    account_ = codePage_.FromUtf16(account);
    return S_OK;
  }
  HRESULT GetAccountInformation(LPWSTR* account) override {
    if (!account_) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    return GetText(codePage_.ToUtf16(*account_), account);
  }
  HRESULT SetApplicationName(LPCWSTR text) override { return SetText(job_.application, text); }
  HRESULT GetApplicationName(LPWSTR* text) override { return GetText(job_.application, text); }
  HRESULT SetParameters(LPCWSTR text) override { return SetText(job_.parameters, text); }
  HRESULT GetParameters(LPWSTR* text) override { return GetText(job_.parameters, text); }
  HRESULT SetWorkingDirectory(LPCWSTR text) override {
    return SetText(job_.workingDirectory, text);
  }
  HRESULT GetWorkingDirectory(LPWSTR* text) override {
    return GetText(job_.workingDirectory, text);
  }

  // The file.
  HRESULT Save(LPCWSTR fileName, BOOL remember) override {
    const std::string path = fileName ? codePage_.FromUtf16(fileName) : path_;
    // A task that never ran says whether it has a time to run at.
    if (job_.status == SCHED_S_TASK_HAS_NOT_RUN || job_.status == SCHED_S_TASK_NOT_SCHEDULED)
      job_.status = job_.triggers.empty() ? SCHED_S_TASK_NOT_SCHEDULED : SCHED_S_TASK_HAS_NOT_RUN;
    if (const DWORD error = store_.Write(path, job_)) return HRESULT_FROM_WIN32(error);
    if (account_) {
      if (const DWORD error = store_.SetAccount(FileNameOf(path), *account_))
        return HRESULT_FROM_WIN32(error);
    }
    if (fileName && remember) path_ = path;
    return S_OK;
  }

  // The schedule page.
  HRESULT GetPage(TASKPAGE which, BOOL persistChanges, HPROPSHEETPAGE* page) override;

  std::vector<TASK_TRIGGER>& Triggers() { return job_.triggers; }
  const std::string& Name() const { return name_; }
  const CodePage& Code() const { return codePage_; }

 private:
  ~Task() = default;

  static HRESULT SetText(std::u16string& field, LPCWSTR text) {
    field = text ? text : u"";
    return S_OK;
  }
  static HRESULT GetText(const std::u16string& field, LPWSTR* text) {
    if (!text) return E_POINTER;
    *text = CoTaskMemAllocText(field);
    return *text ? S_OK : E_OUTOFMEMORY;
  }
  static std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
  }

  std::atomic<ULONG> references_{1};
  TaskStore store_;
  const CodePage& codePage_;
  std::string name_, path_;
  JobFile job_;
  std::optional<std::string> account_;
};

TaskTrigger::TaskTrigger(Task* task, WORD index) : task_(task), index_(index) {
  task_->AddRef();
}

TaskTrigger::~TaskTrigger() {
  task_->Release();
}

HRESULT TaskTrigger::SetTrigger(const TASK_TRIGGER* trigger) {
  if (!trigger) return E_POINTER;
  if (index_ >= task_->Triggers().size()) return SCHED_E_TRIGGER_NOT_FOUND;
  if (trigger->wStartHour > 23 || trigger->wStartMinute > 59 ||
      trigger->TriggerType > TASK_EVENT_TRIGGER_AT_LOGON)
    return E_INVALIDARG;
  task_->Triggers()[index_] = *trigger;
  task_->Triggers()[index_].cbTriggerSize = sizeof(TASK_TRIGGER);
  return S_OK;
}

HRESULT TaskTrigger::GetTrigger(TASK_TRIGGER* trigger) {
  if (!trigger) return E_POINTER;
  if (index_ >= task_->Triggers().size()) return SCHED_E_TRIGGER_NOT_FOUND;
  *trigger = task_->Triggers()[index_];
  return S_OK;
}

HRESULT TaskTrigger::GetTriggerString(LPWSTR* text) {
  if (!text) return E_POINTER;
  if (index_ >= task_->Triggers().size()) return SCHED_E_TRIGGER_NOT_FOUND;
  *text = CoTaskMemAllocText(task_->Code().ToUtf16(DescribeTrigger(task_->Triggers()[index_])));
  return *text ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

// The schedule page of a task: its triggers, edited through the prompt.
struct PropertySheetPage {
  PropertySheetPage(Task* task, bool persist) : task(task), persist(persist) { task->AddRef(); }
  ~PropertySheetPage() { task->Release(); }
  PropertySheetPage(const PropertySheetPage&) = delete;
  PropertySheetPage& operator=(const PropertySheetPage&) = delete;

  // 1 confirmed, 0 cancelled, -1 when the confirmed schedule could not be saved.
  int Show(Prompt& prompt, const std::string& caption) {
    auto triggers = prompt.EditSchedule(caption.empty() ? task->Name() : caption, task->Triggers());
    if (!triggers) return 0;
    task->Triggers() = *triggers;
    if (!persist) return 1;
    const HRESULT saved = task->Save(nullptr, FALSE);
    if (FAILED(saved)) return Fail(static_cast<DWORD>(saved & 0xFFFF), -1);
    return 1;
  }

  Task* task;
  bool persist;
};

namespace {

HRESULT Task::GetPage(TASKPAGE which, BOOL persistChanges, HPROPSHEETPAGE* page) {
  if (!page) return E_POINTER;
  *page = nullptr;
  if (which != TASKPAGE_SCHEDULE) return which <= TASKPAGE_SETTINGS ? E_NOTIMPL : E_INVALIDARG;
  *page = new PropertySheetPage(this, persistChanges != FALSE);
  return S_OK;
}

class TaskScheduler : public RefCounted<ITaskScheduler> {
 public:
  TaskScheduler(Files& files, Registry& registry, System& system)
      : files_(files), store_(files, registry, system) {}

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!(iid == IID_ITaskScheduler) && !(iid == IID_IUnknown)) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<ITaskScheduler*>(this);
    return S_OK;
  }

  HRESULT Activate(LPCWSTR name, const IID& iid, IUnknown** task) override {
    if (!task) return E_POINTER;
    *task = nullptr;
    std::string taskName;
    if (const HRESULT bad = NameOf(name, taskName)) return bad;
    const std::string path = store_.PathOf(taskName);
    JobFile job;
    if (const DWORD error = store_.Read(path, job))
      return error == ERROR_INVALID_DATA ? SCHED_E_INVALID_TASK : HRESULT_FROM_WIN32(error);
    return Hand(new Task(store_, files_.Code(), taskName, path, std::move(job),
                         store_.Account(taskName + ".job")),
                iid, task);
  }

  HRESULT NewWorkItem(LPCWSTR name, const CLSID& clsid, const IID& iid, IUnknown** task) override {
    if (!task) return E_POINTER;
    *task = nullptr;
    if (!(clsid == CLSID_CTask)) return CLASS_E_CLASSNOTAVAILABLE;
    std::string taskName;
    if (const HRESULT bad = NameOf(name, taskName)) return bad;
    const std::string path = store_.PathOf(taskName);
    if (files_.GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
      return HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
    JobFile job;
    job.uuid = RandomUuid();
    job.status = SCHED_S_TASK_NOT_SCHEDULED;
    return Hand(new Task(store_, files_.Code(), taskName, path, std::move(job), std::nullopt), iid,
                task);
  }

  HRESULT Delete(LPCWSTR name) override {
    std::string taskName;
    if (const HRESULT bad = NameOf(name, taskName)) return bad;
    if (!files_.DeleteFileA(store_.PathOf(taskName).c_str()))
      return HRESULT_FROM_WIN32(GetLastError());
    store_.SetAccount(taskName + ".job", {});
    return S_OK;
  }

 private:
  HRESULT NameOf(LPCWSTR name, std::string& taskName) {
    if (!name) return E_INVALIDARG;
    taskName = files_.Code().FromUtf16(name);
    return IsValidFileName(files_.Code(), taskName + ".job") ? S_OK : E_INVALIDARG;
  }

  static HRESULT Hand(Task* task, const IID& iid, IUnknown** object) {
    const HRESULT result = task->QueryInterface(iid, reinterpret_cast<void**>(object));
    static_cast<ITask*>(task)->Release();
    return result;
  }

  Files& files_;
  TaskStore store_;
};

}  // namespace

ITaskScheduler* NewTaskScheduler(Files& files, Registry& registry, System& system) {
  return new TaskScheduler(files, registry, system);
}

int PropertySheetA(const PROPSHEETHEADERA* header, Prompt& prompt) {
  if (!header || header->nPages == 0 || !header->phpage) return Fail(ERROR_INVALID_PARAMETER, -1);
  int result = 1;
  for (UINT i = 0; i < header->nPages; ++i) {
    PropertySheetPage* page = header->phpage[i];
    if (!page) return Fail(ERROR_INVALID_PARAMETER, -1);
    if (result == 1) result = page->Show(prompt, header->pszCaption ? header->pszCaption : "");
    delete page;
  }
  return result;
}

BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page) {
  delete page;
  return TRUE;
}

}  // namespace platform
