// The query and the download of one channel, on the calling thread.
#pragma once

#include "updater/corvane.h"
#include "updater/update_library.h"

namespace updater {

// Reads the update list and reports its outcome in the record and by UpdateStatusMessage.
void RunQuery(UpdateLibrary& library, UpdateStatus& status);
// Fetches every entry into a temporary file; true when every one was fetched.
bool RunDownload(UpdateLibrary& library, UpdateStatus& status);
// The once-a-day gate: whether a daily check may query now.
bool DailyGateOpen(UpdateLibrary& library);

}  // namespace updater
