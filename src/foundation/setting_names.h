// The names of the program's settings values, for every part of the program that reads or
// writes one of them (the store itself is app::UserSettings).
#pragma once

namespace foundation {

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

}  // namespace foundation
