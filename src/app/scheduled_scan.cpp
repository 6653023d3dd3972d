#include "app/scheduled_scan.h"

#include <cstdio>

#include "platform/scheduler.h"

namespace app {
namespace {

using namespace platform;

constexpr unsigned kTaskCommentText = 150;
constexpr DWORD kUserNameLength = 1000;

std::string Hex(HRESULT result) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(result));
  return text;
}

// A component session: CoInitialize now, CoUninitialize on every way out.
class ComSession {
 public:
  explicit ComSession(Com& com) : com_(com) { com_.CoInitialize(nullptr); }
  ~ComSession() { com_.CoUninitialize(); }
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;

 private:
  Com& com_;
};

// Releases an interface pointer when it goes.
template <typename Interface>
class Held {
 public:
  Held() = default;
  ~Held() {
    if (pointer_) pointer_->Release();
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  Interface* operator->() const { return pointer_; }
  Interface* get() const { return pointer_; }
  void** out() { return reinterpret_cast<void**>(&pointer_); }
  IUnknown** unknown() { return reinterpret_cast<IUnknown**>(&pointer_); }

 private:
  Interface* pointer_ = nullptr;
};

struct TaskTexts {
  std::u16string name, application, parameters, folder, comment, account;
};

// Creates and saves the task; false after writing why to the error stream.
bool CreateTask(Com& com, const TaskTexts& texts, std::ostream& error) {
  HRESULT result = S_OK;
  std::string failure;
  {
    ComSession session(com);
    Held<ITaskScheduler> scheduler;
    Held<ITask> task;
    result = com.CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ITaskScheduler, scheduler.out());
    if (SUCCEEDED(result))
      result = scheduler->NewWorkItem(texts.name.c_str(), CLSID_CTask, IID_ITask, task.unknown());
    if (FAILED(result)) {
      failure = "NewWorkItem";
    } else {
      // These properties' results are not looked at: the parameters' is.
      task->SetApplicationName(texts.application.c_str());
      task->SetWorkingDirectory(texts.folder.c_str());
      task->SetFlags(TASK_FLAG_RUN_ONLY_IF_LOGGED_ON);
      task->SetAccountInformation(texts.account.c_str(), nullptr);
      task->SetComment(texts.comment.c_str());
      result = task->SetParameters(texts.parameters.c_str());
      if (FAILED(result)) failure = "NewWorkItem";
    }
    if (failure.empty()) {
      Held<IPersistFile> file;
      result = task->QueryInterface(IID_IPersistFile, file.out());
      if (FAILED(result)) {
        failure = "QueryInterface";
      } else {
        result = file->Save(nullptr, TRUE);
        if (FAILED(result)) failure = "Save";
      }
    }
  }
  if (failure.empty()) return true;
  error << "Failed calling " << failure << ", error = " << Hex(result) << "\n" << std::flush;
  return false;
}

void EditSchedule(Com& com, Prompt& prompt, const std::u16string& name, HWND owner,
                  const ScheduleStreams& streams) {
  ComSession session(com);
  Held<ITaskScheduler> scheduler;
  Held<ITask> task;
  HRESULT result = com.CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_ITaskScheduler, scheduler.out());
  if (SUCCEEDED(result)) result = scheduler->Activate(name.c_str(), IID_ITask, task.unknown());
  if (FAILED(result)) {
    streams.error << "Failed calling Editing, error = " << Hex(result) << "\n" << std::flush;
    return;
  }
  Held<IProvideTaskPage> pages;
  result = task->QueryInterface(IID_IProvideTaskPage, pages.out());
  if (FAILED(result)) {
    streams.out << "Failed calling ITask::QueryInterface: "
                << "error = " << Hex(result) << "\n"
                << std::flush;
    return;
  }
  HPROPSHEETPAGE page = nullptr;
  result = pages->GetPage(TASKPAGE_SCHEDULE, TRUE, &page);
  if (FAILED(result)) {
    streams.out << "Failed calling IProvideTaskPage::GetPage: "
                << "error = " << Hex(result) << "\n"
                << std::flush;
    return;
  }
  PROPSHEETHEADERA header;
  header.dwFlags = PSH_NOAPPLYNOW;
  header.hwndParent = owner;
  header.nPages = 1;
  header.phpage = &page;
  // 0 is the person's cancel, not a failure: only a sheet that could not be shown is one.
  if (PropertySheetA(&header, prompt) < 0)
    streams.out << "Failed to create the property page: "
                << Hex(static_cast<HRESULT>(GetLastError())) << "\n"
                << std::flush;
}

}  // namespace

void ScheduleScan(Machine& machine, Prompt& prompt, const BrandingSettings& branding,
                  const Resources& resources, const std::string& programFolder, HWND owner,
                  const ScheduleStreams& streams) {
  const CodePage& code = machine.Code();
  std::string folder = programFolder;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  char user[kUserNameLength + 1] = {};
  DWORD size = sizeof user;
  if (!machine.system().GetUserNameA(user, &size)) user[0] = '\0';
  TaskTexts texts;
  texts.name = code.ToUtf16(branding.APPNAME);
  texts.application = code.ToUtf16(programFolder + branding.EXENAME);
  texts.parameters = code.ToUtf16(kScheduledScanArgument);
  texts.folder = code.ToUtf16(folder);
  texts.comment = code.ToUtf16(resources.Format(kTaskCommentText, {branding.APPNAME}));
  texts.account = code.ToUtf16(user);

  Com& com = machine.com();
  bool exists = false;
  {
    ComSession session(com);
    Held<ITaskScheduler> scheduler;
    Held<ITask> task;
    exists = com.CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ITaskScheduler, scheduler.out()) == S_OK &&
             scheduler->Activate(texts.name.c_str(), IID_ITask, task.unknown()) == S_OK;
  }
  if (!exists) CreateTask(com, texts, streams.error);
  EditSchedule(com, prompt, texts.name, owner, streams);
}

}  // namespace app
