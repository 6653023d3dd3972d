#include "platform/win32/win32_schedule_page.h"

#include <vector>

#include "platform/code_page.h"
#include "platform/last_error.h"
#include "platform/win32/code_page_calls.h"
#include "platform/win32/task_scheduler_calls.h"
#include "platform/win32/win32_task.h"

namespace platform {
namespace {

constexpr DWORD kFacilityWin32 = 7;

// The last error a failed result stands for: a system error's own code, any other result
// as it is.
DWORD ErrorOf(HRESULT result) {
  const auto value = static_cast<DWORD>(result);
  return ((value >> 16) & 0x1FFF) == kFacilityWin32 ? value & 0xFFFF : value;
}

}  // namespace

struct PropertySheetPage {
  PropertySheetPage(Win32Task& task, void* systemPage, bool persist)
      : task(task), systemPage(systemPage), persist(persist) {
    task.AddRef();
  }
  ~PropertySheetPage() {
    if (systemPage) win32::DestroySheetPage(systemPage);
    task.Release();
  }
  PropertySheetPage(const PropertySheetPage&) = delete;
  PropertySheetPage& operator=(const PropertySheetPage&) = delete;

  // The program's schedule dialog: 1 confirmed (and saved, with persist), 0 cancelled, -1
  // with the last error when the task's times could not be read, replaced or saved.
  int Edit(Prompt& prompt, const std::string& caption) {
    std::vector<TASK_TRIGGER> triggers;
    if (const HRESULT read = task.ReadTriggers(triggers); FAILED(read))
      return Fail(ErrorOf(read), -1);
    const std::string title =
        caption.empty() ? CodePage(win32::AnsiCodePage()).FromUtf16(task.Name()) : caption;
    auto answer = prompt.EditSchedule(title, triggers);
    if (!answer) return 0;
    if (const HRESULT replaced = task.ReplaceTriggers(*answer); FAILED(replaced))
      return Fail(ErrorOf(replaced), -1);
    if (persist) {
      if (const HRESULT saved = task.Save(nullptr, FALSE); FAILED(saved))
        return Fail(ErrorOf(saved), -1);
    }
    return 1;
  }

  Win32Task& task;
  void* systemPage;  // the system's HPROPSHEETPAGE, or null where the system made none
  bool persist;
};

HPROPSHEETPAGE NewSchedulePage(Win32Task& task, void* systemPage, bool persistChanges) {
  return new PropertySheetPage(task, systemPage, persistChanges);
}

int PropertySheetA(const PROPSHEETHEADERA* header, Prompt& prompt) {
  if (!header || header->nPages == 0 || !header->phpage) return Fail(ERROR_INVALID_PARAMETER, -1);
  const std::vector<PropertySheetPage*> pages(header->phpage, header->phpage + header->nPages);
  bool systemPages = true;
  bool missing = false;
  for (PropertySheetPage* page : pages) {
    missing = missing || !page;
    systemPages = systemPages && page && page->systemPage;
  }
  if (missing) {
    for (PropertySheetPage* page : pages) delete page;
    return Fail(ERROR_INVALID_PARAMETER, -1);
  }
  const std::string caption = header->pszCaption ? header->pszCaption : "";

  // The system's own pages, on the system's own desktop: its sheet shows them, and they save
  // what they save themselves. Any other prompt stands for a desktop of the program's (the
  // console, a test's script), which asks for the times in its own way.
  if (systemPages && prompt.OnSystemDesktop()) {
    std::vector<void*> shown;
    for (PropertySheetPage* page : pages) {
      shown.push_back(page->systemPage);
      page->systemPage = nullptr;  // the sheet destroys it
    }
    const long answer = win32::ShowPropertySheet(header->hwndParent, header->pszCaption,
                                                 (header->dwFlags & PSH_NOAPPLYNOW) != 0,
                                                 header->nStartPage, shown);
    const DWORD error = GetLastError();
    for (PropertySheetPage* page : pages) delete page;
    if (answer < 0) return Fail(error, -1);
    return answer > 0 ? 1 : 0;
  }

  // Each page in turn until one is cancelled or fails; the rest are only destroyed.
  int result = 1;
  for (PropertySheetPage* page : pages) {
    if (result == 1) result = page->Edit(prompt, caption);
    const DWORD error = GetLastError();
    delete page;
    SetLastError(error);
  }
  return result;
}

BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page) {
  if (!page) return FALSE;
  delete page;
  return TRUE;
}

}  // namespace platform
