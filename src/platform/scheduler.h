// The task scheduler of the machine through its component interfaces: the scheduler, tasks,
// their triggers, saving a task and its schedule page shown in a property sheet. Tasks are
// the files "NAME.job" of the Windows folder's "Tasks" folder (job_file.h); the account a
// task runs as is kept apart from the file, as the scheduler keeps it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/com.h"
#include "platform/files.h"
#include "platform/job_file.h"
#include "platform/prompt.h"

namespace platform {

inline constexpr CLSID CLSID_CTaskScheduler = {
    0x148BD52A, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
inline constexpr IID IID_ITaskScheduler = {
    0x148BD527, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
inline constexpr CLSID CLSID_CTask = {
    0x148BD520, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
inline constexpr IID IID_ITask = {
    0x148BD524, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
inline constexpr IID IID_ITaskTrigger = {
    0x148BD52B, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
inline constexpr IID IID_IProvideTaskPage = {
    0x4086658A, 0xCBBB, 0x11CF, {0xB6, 0x04, 0x00, 0xC0, 0x4F, 0xD8, 0xD5, 0x65}};
inline constexpr IID IID_IPersistFile = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

constexpr HRESULT SCHED_E_TRIGGER_NOT_FOUND = static_cast<HRESULT>(0x80041309);
constexpr HRESULT SCHED_E_INVALID_TASK = static_cast<HRESULT>(0x8004130E);
constexpr HRESULT SCHED_E_UNKNOWN_OBJECT_VERSION = static_cast<HRESULT>(0x80041313);

// Where the scheduler keeps its tasks and their accounts.
inline constexpr const char* kSchedulingAgentKey = "SOFTWARE\\Microsoft\\SchedulingAgent";
inline constexpr const char* kTasksFolderValue = "TasksFolder";
inline constexpr const char* kTaskAccountsKey = "SOFTWARE\\Microsoft\\SchedulingAgent\\Accounts";

class ITaskTrigger : public IUnknown {
 public:
  virtual HRESULT SetTrigger(const TASK_TRIGGER* trigger) = 0;
  virtual HRESULT GetTrigger(TASK_TRIGGER* trigger) = 0;
  virtual HRESULT GetTriggerString(LPWSTR* text) = 0;
};

class ITask : public IUnknown {
 public:
  virtual HRESULT CreateTrigger(WORD* newIndex, ITaskTrigger** trigger) = 0;
  virtual HRESULT DeleteTrigger(WORD index) = 0;
  virtual HRESULT GetTriggerCount(WORD* count) = 0;
  virtual HRESULT GetTrigger(WORD index, ITaskTrigger** trigger) = 0;
  virtual HRESULT GetNextRunTime(SYSTEMTIME* next) = 0;
  virtual HRESULT GetStatus(HRESULT* status) = 0;
  virtual HRESULT SetComment(LPCWSTR comment) = 0;
  virtual HRESULT GetComment(LPWSTR* comment) = 0;
  virtual HRESULT SetFlags(DWORD flags) = 0;
  virtual HRESULT GetFlags(DWORD* flags) = 0;
  virtual HRESULT SetAccountInformation(LPCWSTR account, LPCWSTR password) = 0;
  virtual HRESULT GetAccountInformation(LPWSTR* account) = 0;
  virtual HRESULT SetApplicationName(LPCWSTR application) = 0;
  virtual HRESULT GetApplicationName(LPWSTR* application) = 0;
  virtual HRESULT SetParameters(LPCWSTR parameters) = 0;
  virtual HRESULT GetParameters(LPWSTR* parameters) = 0;
  virtual HRESULT SetWorkingDirectory(LPCWSTR folder) = 0;
  virtual HRESULT GetWorkingDirectory(LPWSTR* folder) = 0;
};

class IPersistFile : public IUnknown {
 public:
  // No file name: the task's own file in the scheduler's store.
  virtual HRESULT Save(LPCWSTR fileName, BOOL remember) = 0;
};

// A page of a property sheet, made by a component and shown by PropertySheetA.
struct PropertySheetPage;
using HPROPSHEETPAGE = PropertySheetPage*;

enum TASKPAGE { TASKPAGE_TASK = 0, TASKPAGE_SCHEDULE = 1, TASKPAGE_SETTINGS = 2 };

class IProvideTaskPage : public IUnknown {
 public:
  // Only the schedule page is served (E_NOTIMPL for the others). With persistChanges the
  // page saves the task when the person confirms it.
  virtual HRESULT GetPage(TASKPAGE which, BOOL persistChanges, HPROPSHEETPAGE* page) = 0;
};

class ITaskScheduler : public IUnknown {
 public:
  virtual HRESULT Activate(LPCWSTR name, const IID& iid, IUnknown** task) = 0;
  virtual HRESULT NewWorkItem(LPCWSTR name, const CLSID& clsid, const IID& iid,
                              IUnknown** task) = 0;
  virtual HRESULT Delete(LPCWSTR name) = 0;
};

constexpr DWORD PSH_NOAPPLYNOW = 0x00000080;

struct PROPSHEETHEADERA {
  DWORD dwSize = sizeof(PROPSHEETHEADERA);
  DWORD dwFlags = 0;
  HWND hwndParent = nullptr;
  LPCSTR pszCaption = nullptr;
  UINT nPages = 0;
  UINT nStartPage = 0;
  HPROPSHEETPAGE* phpage = nullptr;
};

// Shows the sheet's pages through the prompt, which stands for the desktop the sheet opens
// on. 1 when the person confirmed (the pages have saved what they save), 0 when the person
// cancelled, -1 with the last error set when it cannot be shown. The pages are destroyed.
int PropertySheetA(const PROPSHEETHEADERA* header, Prompt& prompt);
BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page);

// The scheduler's store read and written directly, for the machine's own tools.
class TaskStore {
 public:
  TaskStore(Files& files, Registry& registry, System& system)
      : files_(files), registry_(registry), system_(system) {}

  // The Tasks folder (the TasksFolder setting, else the Windows folder's "Tasks").
  std::string Folder();
  std::string PathOf(const std::string& name) { return Folder() + "\\" + name + ".job"; }
  // The names of the tasks, without ".job", in the folder's order.
  std::vector<std::string> Names();
  // 0, or the system error: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_INVALID_DATA
  // for a file that is no task.
  DWORD Read(const std::string& path, JobFile& job);
  // Writes the whole file beside the old one and renames it over it; 0 or the system error.
  DWORD Write(const std::string& path, const JobFile& job);
  // The account of a task file ("NAME.job"); empty is the system account.
  std::optional<std::string> Account(const std::string& fileName);
  DWORD SetAccount(const std::string& fileName, const std::string& account);

 private:
  Files& files_;
  Registry& registry_;
  System& system_;
};

}  // namespace platform
