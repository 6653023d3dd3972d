#include "app/scan_session.h"

#include <ctime>

#include "app/program_folder.h"
#include "foundation/time_text.h"
#include "scan/startup_inventory.h"

namespace app {

ScanSession::ScanSession(platform::Machine& machine, const BrandingSettings& branding,
                         const Resources& resources, std::string programFolder, ScanEvents events)
    : machine_(machine),
      programFolder_(std::move(programFolder)),
      settings_(machine.registry(), branding.REGISTRYNAME) {
  logging::SessionLogSource source;
  source.appName = branding.APPNAME;
  source.programFolder = programFolder_;
  source.programVersion = ProgramVersion;
  source.databaseVersion = [this] { return std::make_pair(database_.version, database_.date); };
  source.readSetting = [this](const char* name) { return settings_.Number(name, 0); };
  source.writeInventories = [this](const std::function<void(const std::string&)>& write) {
    scan::WriteAutorunInventory(machine_, write);
    scan::WriteStartupFolders(machine_, write);
  };
  log_ = std::make_unique<logging::SessionLog>(machine_, std::move(source));

  scan::ScanHost host;
  host.logLine = [this](const std::string& line) { log_->LogLine(line); };
  host.readNumber = [this](const char* name) { return settings_.Number(name, 0); };
  host.readText = [this](const char* name) { return settings_.Text(name); };
  host.writeText = [this](const char* name, const std::string& text) {
    settings_.SetText(name, text);
  };
  host.itemListed = std::move(events.itemListed);
  host.phaseEntered = std::move(events.phaseEntered);
  host.runEnded = std::move(events.runEnded);
  host.sendLogLine = std::move(events.sendLogLine);
  host.resourceText = [&resources](unsigned id) { return resources.String(id); };
  engine_ = std::make_unique<scan::ScanEngine>(machine_, database_, std::move(host));
}

ScanSession::~ScanSession() {
  log_->CloseSessionLog();
}

definitions::LoadError ScanSession::LoadDefinitions(const std::function<void()>& reading) {
  definitions::DatabaseLoader loader(machine_, programFolder_, database_);
  const bool present = machine_.files().PathFileExistsA(definitions::kDatabaseFileName);
  if (present && reading) reading();
  databaseLoaded_ = present && loader.Load(definitions::kDatabaseFileName);
  engine_->IndexDefinitions();
  engine_->Ignored().LoadIgnoreList(database_);
  if (!present) return definitions::LoadError::Missing;
  return databaseLoaded_ ? definitions::LoadError::None : loader.Error();
}

void ScanSession::RecordScanStart() {
  settings_.SetText(setting::kLastScanTime, foundation::LastScanTimeText(std::time(nullptr)));
  settings_.SetNumber(setting::kTotalScans, settings_.Number(setting::kTotalScans, 0) + 1);
}

}  // namespace app
