// The main window's pages, their numbers and header texts, and the command ids of the window
// and of the pages' controls (WM_COMMAND with the id as its first parameter). Ids the
// program's dialog templates fix are named as such; the others are this program's own.
#pragma once

#include <cstdint>

#include "platform/messages.h"

namespace app {

enum class Page {
  Notice,  // the browser pages notice, shown first
  Start,
  About,
  Ignore,
  ObjectDetails,
  Quarantine,
  Scan,  // the scan page with its scanning part
  Options,
  ScanSettings,
  Results,  // after a removal
  Hidden,   // message 1226 hides every page
};

// The current-page number the window keeps (the notice has none: -1).
int PageNumber(Page page);
// The header text's string id; 0 when the page has none. The scan page's header depends on
// how it was shown (152 at a scan's start, 176 otherwise).
unsigned PageHeaderText(Page page);
const char* PageName(Page page);

constexpr platform::UINT WM_COMMAND = 0x0111;
constexpr platform::UINT WM_CONTEXTMENU = 0x007B;
constexpr platform::UINT WM_LBUTTONDOWN = 0x0201;

namespace command {
// The window's own controls.
constexpr std::uintptr_t kScanSettings = 199;
constexpr std::uintptr_t kSchedule = 219;
constexpr std::uintptr_t kScanning = 232;
constexpr std::uintptr_t kScanNow = 251;  // on the results page: home
constexpr std::uintptr_t kOptions = 252;
constexpr std::uintptr_t kQuarantine = 253;
constexpr std::uintptr_t kIgnore = 254;
constexpr std::uintptr_t kAbout = 256;
constexpr std::uintptr_t kOpenAddress = 257;
// The scan page: its button of three roles and its layout button.
constexpr std::uintptr_t kScanButton = 262;
constexpr std::uintptr_t kLayoutButton = 204;
// The results page.
constexpr std::uintptr_t kResultsIgnore = 200;
constexpr std::uintptr_t kResultsQuarantine = 220;
// The context menu of the found-items list (menu 169).
constexpr std::uintptr_t kTickAll = 32782;
constexpr std::uintptr_t kUntickAll = 32783;
constexpr std::uintptr_t kInvertTicks = 32784;
constexpr std::uintptr_t kIgnoreTicked = 32785;
constexpr std::uintptr_t kDetails = 32786;
constexpr std::uintptr_t kTickEntry = 32787;
constexpr std::uintptr_t kUntickEntry = 32788;
constexpr std::uintptr_t kTickKind = 32789;
constexpr std::uintptr_t kUntickKind = 32790;
// The browser pages notice: its four boxes in order, and apply.
constexpr std::uintptr_t kNoticeFirstBox = 205;
constexpr std::uintptr_t kNoticeApply = 209;
// The options page's boxes and start-up choices (243, 245, 247 stand for Scanmode 1 to 3).
constexpr std::uintptr_t kWindowsStartUp = 240;
constexpr std::uintptr_t kMoveDeleted = 241;
constexpr std::uintptr_t kAutoProgramUpdate = 242;
constexpr std::uintptr_t kScanModeStartOnly = 243;
constexpr std::uintptr_t kAutoDatabaseUpdate = 244;
constexpr std::uintptr_t kScanModeScan = 245;
constexpr std::uintptr_t kAutomaticRemoval = 246;
constexpr std::uintptr_t kScanModeScanAlso = 247;
constexpr std::uintptr_t kExitWhenFinished = 248;
constexpr std::uintptr_t kCorvane = 249;
constexpr std::uintptr_t kOptionsApply = 210;
constexpr std::uintptr_t kOptionsUpdate = 211;
// The logs: open their folder, mail some.
constexpr std::uintptr_t kOpenLogs = 212;
constexpr std::uintptr_t kMailLogs = 213;
// The scan-settings page: its eight boxes in the order they are read, and the folders.
constexpr std::uintptr_t kScanSettingsFirstBox = 300;
constexpr std::uintptr_t kScanFolders = 308;
// The quarantine and ignore pages.
constexpr std::uintptr_t kRestoreArchives = 180;
constexpr std::uintptr_t kDeleteArchives = 181;
constexpr std::uintptr_t kUnignore = 230;
// Toggles the tick of the row given as the second parameter in the current page's list.
constexpr std::uintptr_t kToggleRow = 700;
}  // namespace command

// Private messages of the pages.
constexpr platform::UINT ShowQuarantineMessage = 1224;
constexpr platform::UINT ShowIgnoreMessage = 1225;
constexpr platform::UINT HidePagesMessage = 1226;
constexpr platform::UINT ShowScanSettingsMessage = 1227;
constexpr platform::UINT ShowStartMessage = 1228;
constexpr platform::UINT OpenAddressMessage = 1229;
constexpr platform::UINT ShowScanSettingsMessage2 = 1230;
constexpr platform::UINT IgnoredMessage = 1232;
constexpr platform::UINT ShowScanSettingsMessage3 = 1233;
constexpr platform::UINT ShowDetailsMessage = 1234;  // first parameter: the row
constexpr platform::UINT ShowAboutMessage = 1240;
constexpr platform::UINT ShowScanningMessage = 1249;
constexpr platform::UINT UpdateRequestMessage = 3012;

}  // namespace app
