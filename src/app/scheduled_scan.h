// The schedule command: the system's task scheduler starts the program with "-t" at the
// times the person sets on the scheduler's own schedule page. The task is made once, with
// the program's properties, and its page opened each time. Failures end the command quietly:
// their texts go to the standard streams only.
#pragma once

#include <ostream>
#include <string>

#include "app/branding_settings.h"
#include "app/resources.h"
#include "platform/machine.h"
#include "platform/prompt.h"

namespace app {

inline constexpr const char* kScheduledScanArgument = "-t";

struct ScheduleStreams {
  std::ostream& out;
  std::ostream& error;
};

// Makes the task when none of that name can be activated, then shows its schedule page
// through the prompt, owned by the given window.
void ScheduleScan(platform::Machine& machine, platform::Prompt& prompt,
                  const BrandingSettings& branding, const Resources& resources,
                  const std::string& programFolder, platform::HWND owner,
                  const ScheduleStreams& streams);

}  // namespace app
