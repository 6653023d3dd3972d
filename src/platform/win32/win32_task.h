// One task of the system's task scheduler as the platform's task: the platform's ITask,
// IPersistFile and IProvideTaskPage over the system's ITask, each call handed on and its texts
// copied into the platform's. Its schedule page is the system's own where the system makes
// one, else the program's, through the prompt (win32_schedule_page.h).
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/scheduler.h"

namespace platform {

class Win32Task final : public ITask, public IPersistFile, public IProvideTaskPage {
 public:
  // Takes over one reference to the system's task of that name.
  Win32Task(void* systemTask, std::u16string name) : task_(systemTask), name_(std::move(name)) {}

  HRESULT QueryInterface(const IID& iid, void** object) override;
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override;

  HRESULT CreateTrigger(WORD* newIndex, ITaskTrigger** trigger) override;
  HRESULT DeleteTrigger(WORD index) override;
  HRESULT GetTriggerCount(WORD* count) override;
  HRESULT GetTrigger(WORD index, ITaskTrigger** trigger) override;
  HRESULT GetNextRunTime(SYSTEMTIME* next) override;
  HRESULT GetStatus(HRESULT* status) override;
  HRESULT SetComment(LPCWSTR comment) override;
  HRESULT GetComment(LPWSTR* comment) override;
  HRESULT SetFlags(DWORD flags) override;
  HRESULT GetFlags(DWORD* flags) override;
  HRESULT SetAccountInformation(LPCWSTR account, LPCWSTR password) override;
  HRESULT GetAccountInformation(LPWSTR* account) override;
  HRESULT SetApplicationName(LPCWSTR application) override;
  HRESULT GetApplicationName(LPWSTR* application) override;
  HRESULT SetParameters(LPCWSTR parameters) override;
  HRESULT GetParameters(LPWSTR* parameters) override;
  HRESULT SetWorkingDirectory(LPCWSTR folder) override;
  HRESULT GetWorkingDirectory(LPWSTR* folder) override;

  HRESULT Save(LPCWSTR fileName, BOOL remember) override;

  HRESULT GetPage(TASKPAGE which, BOOL persistChanges, HPROPSHEETPAGE* page) override;

  // For the program's schedule page: the task's name, and its triggers read and replaced
  // whole (the old ones stay when a new one is refused).
  const std::u16string& Name() const { return name_; }
  HRESULT ReadTriggers(std::vector<TASK_TRIGGER>& triggers);
  HRESULT ReplaceTriggers(const std::vector<TASK_TRIGGER>& triggers);

 private:
  ~Win32Task() override;

  std::atomic<ULONG> references_{1};
  void* task_;  // the system's ITask
  std::u16string name_;
};

}  // namespace platform
