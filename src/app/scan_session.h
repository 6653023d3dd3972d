// What a scan needs around the engine, set up the same way by the main window and by the
// console front end: the definitions from "database.db", the ignore list, the user settings
// and the session log.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/branding_settings.h"
#include "app/resources.h"
#include "app/user_settings.h"
#include "definitions/database_loader.h"
#include "definitions/definition_database.h"
#include "log/session_log.h"
#include "scan/scan_engine.h"

namespace app {

// How the front end follows a run; each is called on the scan's worker thread.
struct ScanEvents {
  std::function<void(const scan::FoundItem&)> itemListed;
  std::function<void(scan::ScanPhase)> phaseEntered;
  std::function<void()> runEnded;
  // A process-control error line for the session log; written directly when empty.
  std::function<void(const std::string&)> sendLogLine;
};

class ScanSession {
 public:
  ScanSession(platform::Machine& machine, const BrandingSettings& branding,
              const Resources& resources, std::string programFolder, ScanEvents events);
  ~ScanSession();
  ScanSession(const ScanSession&) = delete;
  ScanSession& operator=(const ScanSession&) = delete;

  // Loads "database.db" of the current folder, then the ignore list. A missing or unreadable
  // database leaves the definitions empty; the error tells which.
  // reading is called once the file was found, before it is read (the loading dialog's text).
  definitions::LoadError LoadDefinitions(const std::function<void()>& reading = {});
  bool DatabaseLoaded() const { return databaseLoaded_; }

  // What the start page's scan command writes before a scan: LastScanTime and TotalScans + 1.
  void RecordScanStart();

  scan::ScanEngine& Engine() { return *engine_; }
  logging::SessionLog& Log() { return *log_; }
  UserSettings& Settings() { return settings_; }
  definitions::DefinitionDatabase& Database() { return database_; }

 private:
  platform::Machine& machine_;
  std::string programFolder_;
  UserSettings settings_;
  definitions::DefinitionDatabase database_;
  bool databaseLoaded_ = false;
  std::unique_ptr<logging::SessionLog> log_;
  std::unique_ptr<scan::ScanEngine> engine_;
};

}  // namespace app
