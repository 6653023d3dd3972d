#include "platform/win32/win32_task_scheduler.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/win32/task_scheduler_calls.h"
#include "platform/win32/win32_task.h"

namespace platform {
namespace {

// How long a task file that another process has open is waited for before Delete gives up.
constexpr auto kSharedFileWait = std::chrono::seconds(3);
constexpr auto kSharedFileRetry = std::chrono::milliseconds(50);

class Win32TaskScheduler final : public ITaskScheduler {
 public:
  explicit Win32TaskScheduler(void* scheduler) : scheduler_(scheduler) {}

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!(iid == IID_ITaskScheduler) && !(iid == IID_IUnknown)) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<ITaskScheduler*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT Activate(LPCWSTR name, const IID& iid, IUnknown** task) override {
    if (!task) return E_POINTER;
    *task = nullptr;
    if (!name) return E_INVALIDARG;
    void* found = nullptr;
    const HRESULT result = win32::ActivateTask(scheduler_, name, &found);
    if (FAILED(result)) return result;
    return Hand(new Win32Task(found, name), iid, task);
  }

  HRESULT NewWorkItem(LPCWSTR name, const CLSID& clsid, const IID& iid, IUnknown** task) override {
    if (!task) return E_POINTER;
    *task = nullptr;
    if (!(clsid == CLSID_CTask)) return CLASS_E_CLASSNOTAVAILABLE;
    if (!name) return E_INVALIDARG;
    void* made = nullptr;
    const HRESULT result = win32::NewTask(scheduler_, name, &made);
    if (FAILED(result)) return result;
    return Hand(new Win32Task(made, name), iid, task);
  }

  // The scheduler's service reads a task file when it changes, so a task saved a moment ago
  // may still be open there (under Wine, Delete right after Save failed so now and then):
  // a sharing violation is waited out for a while.
  HRESULT Delete(LPCWSTR name) override {
    if (!name) return E_INVALIDARG;
    const HRESULT shared = HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
    HRESULT result = win32::DeleteTask(scheduler_, name);
    for (auto waited = std::chrono::milliseconds(0); result == shared && waited < kSharedFileWait;
         waited += kSharedFileRetry) {
      std::this_thread::sleep_for(kSharedFileRetry);
      result = win32::DeleteTask(scheduler_, name);
    }
    return result;
  }

 private:
  ~Win32TaskScheduler() override { win32::ReleaseObject(scheduler_); }

  // The task asked for as the interface iid; the task goes when that interface is not one
  // of its.
  static HRESULT Hand(Win32Task* task, const IID& iid, IUnknown** object) {
    const HRESULT result = task->QueryInterface(iid, reinterpret_cast<void**>(object));
    task->Release();
    return result;
  }

  std::atomic<ULONG> references_{1};
  void* scheduler_;  // the system's ITaskScheduler
};

}  // namespace

HRESULT CreateWin32TaskScheduler(DWORD context, const IID& iid, void** object) {
  void* made = nullptr;
  const HRESULT result = win32::CreateTaskScheduler(context, &made);
  if (FAILED(result)) return result;
  auto* scheduler = new Win32TaskScheduler(made);
  const HRESULT asked = scheduler->QueryInterface(iid, object);
  scheduler->Release();
  return asked;
}

}  // namespace platform
