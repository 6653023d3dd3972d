// The schedule page of a system task as the platform's page (scheduler.h's
// PropertySheetPage): the system's own page, shown in the common controls' property sheet
// when the sheet opens on the system's desktop (a Win32Prompt), else the program's schedule
// dialog through the prompt, whose times replace the task's.
#pragma once

#include "platform/scheduler.h"

namespace platform {

class Win32Task;

// The page of the task (held while the page lives), with the system's page for it if the
// system made one (destroyed with the page unless a sheet showed it).
HPROPSHEETPAGE NewSchedulePage(Win32Task& task, void* systemPage, bool persistChanges);

}  // namespace platform
