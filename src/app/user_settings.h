// The program's persistent options, scan selections, statistics and hand-over flags: values
// of the key HKEY_LOCAL_MACHINE\SOFTWARE\<REGISTRYNAME>, reached through four operations.
#pragma once

#include <string>

#include "platform/registry.h"

namespace app {

class BrandingSettings;

// The value names. Registry names are compared without regard to case, so "ScanMode" and
// "Scanmode" are one value; both spellings are kept because both are written.
namespace setting {
inline constexpr const char* kWindowsStartUp = "WindowsStartUp";
inline constexpr const char* kScanMode = "ScanMode";
inline constexpr const char* kScanmode = "Scanmode";
inline constexpr const char* kMoveDeleted2RecycleBin = "MoveDeleted2RecycleBin";
inline constexpr const char* kAutoProgramUpdate = "AutoProgramUpdate";
inline constexpr const char* kAutoDatabaseUpdate = "AutoDatabaseUpdate";
inline constexpr const char* kAutomaticRemoval = "AutomaticRemoval";
inline constexpr const char* kExitWhenFinished = "ExitWhenFinished";
inline constexpr const char* kCorvane = "Corvane";
inline constexpr const char* kCustScanDrives = "Cust_Scan_Drives";
inline constexpr const char* kCustScanNonExe = "Cust_Scan_NonExe";
inline constexpr const char* kCustScanActive = "Cust_Scan_Active";
inline constexpr const char* kCustScanRegistry = "Cust_Scan_Registry";
inline constexpr const char* kCustScanHosts = "Cust_Scan_Hosts";
inline constexpr const char* kCustScanIeFav = "Cust_Scan_IEFAV";
inline constexpr const char* kCustScanAdvSpyware = "Cust_Scan_AdvSpyware";
inline constexpr const char* kScanHostFiles = "ScanHostFiles";
inline constexpr const char* kCustScanDrivesNum = "Cust_Scan_Drives_Num";
inline constexpr const char* kCustScanDrivesPrefix = "Cust_Scan_Drives_";  // + 1, 2, ...
inline constexpr const char* kScanDrivesNum = "Scan_Drives_NUM";
inline constexpr const char* kScanDrivesPrefix = "Scan_Drives_";  // + 1, 2, ...
inline constexpr const char* kLastScanTime = "LastScanTime";
inline constexpr const char* kTotalScans = "TotalScans";
inline constexpr const char* kTotalDeletedItems = "TotalDeletedItems";
inline constexpr const char* kObjectsIgnored = "ObjectsIgnored";
inline constexpr const char* kQuarantineFiles = "QuarantineFiles";
inline constexpr const char* kQuarantinedTotalItems = "QuarantinedTotalItems";
inline constexpr const char* kLastScanMode = "LastScanMode";
inline constexpr const char* kStartUpDeleteCount = "StartUpDeleteCount";
inline constexpr const char* kStartUpDeleteFormat = "StartUpDelete%d";
inline constexpr const char* kDownloadComplete = "DownloadComplete";
inline constexpr const char* kHomepage = "Homepage";
inline constexpr const char* kSearchpage = "Searchpage";
}  // namespace setting

// The key name that two accesses use whatever the brand: the options page's
// AutoProgramUpdate and the start-up update check's DownloadComplete.
inline constexpr const char* kFixedSettingsKeyName = "Vexmarl";

inline constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kStartUpArgument = " -s";

class UserSettings {
 public:
  // keyName is the brand's REGISTRYNAME; the operations below name a key the same way.
  UserSettings(platform::Registry& registry, std::string keyName)
      : registry_(registry), keyName_(std::move(keyName)) {}

  // A REG_DWORD of the key, else the default (missing key or value, another type).
  platform::DWORD ReadNumber(const std::string& keyName, const char* valueName,
                             platform::DWORD defaultValue);
  // 1 when written; 0 when the key is missing or cannot be written (it is not created).
  int WriteNumber(const std::string& keyName, const char* valueName, platform::DWORD value);
  // The text, or empty when missing or longer than 1023 characters. Creates the key.
  std::string ReadText(const std::string& keyName, const char* valueName);
  // Creates the key when needed and writes the text without its terminating zero; 0.
  int WriteText(const std::string& keyName, const char* valueName, const std::string& text);

  // The same on the program's own key.
  platform::DWORD Number(const char* valueName, platform::DWORD defaultValue) {
    return ReadNumber(keyName_, valueName, defaultValue);
  }
  int SetNumber(const char* valueName, platform::DWORD value) {
    return WriteNumber(keyName_, valueName, value);
  }
  std::string Text(const char* valueName) { return ReadText(keyName_, valueName); }
  int SetText(const char* valueName, const std::string& text) {
    return WriteText(keyName_, valueName, text);
  }

  // The Windows start-up entry: APPNAME under the Run key holding programFolder + EXENAME +
  // " -s", unquoted. Turning it off blanks, then deletes, the REGISTRYNAME and the APPNAME
  // values.
  void SetWindowsStartUp(bool on, const BrandingSettings& branding,
                         const std::string& programFolder);

  const std::string& KeyName() const { return keyName_; }

 private:
  platform::Registry& registry_;
  std::string keyName_;
};

}  // namespace app
