// What the settings pages show in both views: the texts of their controls and the commands
// their boxes send, in the order of the page models' boxes.
#pragma once

#include <cstdint>

#include "app/page_ids.h"

namespace app::settings_page {

constexpr unsigned kApplyText = 198, kUpdateText = 199, kFoldersText = 213;
constexpr unsigned kFirstOptionText = 200, kFirstScanModeText = 207, kStartPageText = 210,
                   kSearchPageText = 211;
constexpr unsigned kFirstScanSettingText = 218, kFoldersHeading = 226;
constexpr unsigned kOptionsHeading = 145, kScanHeading = 114;
constexpr unsigned kScheduleText = 246, kOpenLogsText = 247, kMailLogsText = 248;
constexpr unsigned kScheduleHint = 251, kOpenLogsHint = 252, kMailLogsHint = 253;

constexpr std::uintptr_t kOptionCommands[] = {command::kWindowsStartUp,
                                              command::kMoveDeleted,
                                              command::kAutoProgramUpdate,
                                              command::kAutoDatabaseUpdate,
                                              command::kAutomaticRemoval,
                                              command::kExitWhenFinished,
                                              command::kCorvane};
constexpr std::uintptr_t kScanModeCommands[] = {command::kScanModeStartOnly, command::kScanModeScan,
                                                command::kScanModeScanAlso};

}  // namespace app::settings_page
