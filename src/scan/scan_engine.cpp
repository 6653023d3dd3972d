#include "scan/scan_engine.h"

#include <ctime>

#include "foundation/setting_names.h"
#include "foundation/time_text.h"

namespace scan {
namespace {

namespace setting = foundation::setting;

// Resource strings of the phase and item texts.
constexpr unsigned kScanStoppedText = 119;
constexpr unsigned kScanCompleteText = 120;
constexpr unsigned kWindowsFolderText = 122;
constexpr unsigned kCookiesText = 123;
constexpr unsigned kScanFinishedText = 124;
constexpr unsigned kKnownFoldersText = 125;
constexpr unsigned kProgramFilesText = 126;
constexpr unsigned kAllUsersText = 127;

// The shell folders of the known-folder slots; slot 9 is "%temp%".
constexpr int kKnownFolderIds[13] = {platform::CSIDL_APPDATA,
                                     platform::CSIDL_STARTUP,
                                     platform::CSIDL_PROGRAM_FILES_COMMON,
                                     platform::CSIDL_DESKTOPDIRECTORY,
                                     platform::CSIDL_FAVORITES,
                                     platform::CSIDL_PROGRAM_FILES,
                                     platform::CSIDL_STARTMENU,
                                     platform::CSIDL_PROGRAMS,
                                     platform::CSIDL_SYSTEM,
                                     -1,
                                     platform::CSIDL_PROFILE,
                                     platform::CSIDL_WINDOWS,
                                     platform::CSIDL_COOKIES};
constexpr int kSystemSlot = 8, kWindowsSlot = 11, kCommonFilesSlot = 2, kCookiesSlot = 12;

constexpr const char* kAllUsersFolder = "C:\\Documents and Settings\\All Users";

// The head of a kind's found line.
const char* FoundLineHead(FoundItemKind kind) {
  switch (kind) {
    case FoundItemKind::File:
      return "<FILE PATH = \"";
    case FoundItemKind::Folder:
      return "<FOLDER PATH = \"";
    case FoundItemKind::RegistryKey:
      return "<REGKEY NAME = \"";
    case FoundItemKind::RegistryValue:
      return "<REGVALUE VALUE = \"";
    case FoundItemKind::HostsEntry:
      return "<HOST VALUE = \"";
    case FoundItemKind::ChangedRegistryValue:
      return "<REGVALUE NAME = \"";
  }
  return "<ITEM = \"";
}

}  // namespace

const char* KindName(FoundItemKind kind) {
  switch (kind) {
    case FoundItemKind::File:
      return "File";
    case FoundItemKind::Folder:
      return "Folder";
    case FoundItemKind::RegistryKey:
      return "RegistryKey";
    case FoundItemKind::RegistryValue:
      return "RegistryValue";
    case FoundItemKind::HostsEntry:
      return "HostsEntry";
    case FoundItemKind::ChangedRegistryValue:
      return "ChangedRegistryValue";
  }
  return "";
}

void ScanCounters::Reset() {
  for (std::atomic<int>* counter :
       {&objectsExamined, &itemsIgnored, &itemsFound, &itemsListed, &processesLogged,
        &keysAndHostsFound, &valuesFound, &filesFound, &foldersFound, &processesFound})
    *counter = 0;
}

ScanEngine::ScanEngine(platform::Machine& machine, definitions::DefinitionDatabase& database,
                       ScanHost host)
    : machine_(machine),
      database_(database),
      host_(std::move(host)),
      hosts_(machine),
      processes_(machine, host_.resourceText),
      ignoreList_(machine) {
  platform::System& system = machine_.system();
  for (int slot = 0; slot < 13; ++slot) {
    char path[platform::MAX_PATH] = {};
    if (kKnownFolderIds[slot] < 0)
      system.ExpandEnvironmentStringsA("%temp%", path, sizeof path);
    else
      system.SHGetFolderPathA(nullptr, kKnownFolderIds[slot], nullptr, 0, path);
    knownFolders_[slot] = path;
  }
  IndexDefinitions();
}

void ScanEngine::RunScan() {
  finished_ = false;
  abort_ = false;
  if (host_.writeText)
    host_.writeText(setting::kLastScanTime, foundation::LastScanTimeText(std::time(nullptr)));
  processes_.SetTarget(host_.sendLogLine ? host_.sendLogLine : host_.logLine);
  counters_.Reset();
  allFound_.clear();
  listed_.clear();
  foundKeys_.clear();
  LogLine("<Scanning TIME = \"" + foundation::LogTime(std::time(nullptr)) + "\">");

  auto option = [&](const char* name) { return host_.readNumber(name) != 0; };
  const bool active = option(setting::kCustScanActive);
  const bool advanced = option(setting::kCustScanAdvSpyware);
  const bool registry = option(setting::kCustScanRegistry);
  const bool knownFolders = option(setting::kCustScanIeFav);
  const bool hosts = option(setting::kCustScanHosts);
  const bool drives = option(setting::kCustScanDrives);
  if (active) {
    ScanProcesses();
    ScanStartupEntries();
  }
  if (advanced) ScanAdvanced();
  if (registry) {
    ScanRegistryKeys();
    ScanRegistryValues();
    ScanChangedValues();
  }
  if (knownFolders) {
    ScanKnownFolders();
    ScanSpywareFolders();
  }
  if (hosts) ScanHosts();
  if (drives) ScanDrives();
  SetPhaseText(Text(kScanFinishedText));

  if (abort_) SetPhaseText(Text(kScanStoppedText));
  finished_ = true;
  LogLine("</Scanning>\n");
  {
    // The closing item text is shown whatever the throttle says.
    std::lock_guard guard(textLock_);
    itemText_ = Text(kScanCompleteText);
  }
  if (host_.runEnded) host_.runEnded();
}

bool ScanEngine::AddFoundItem(const std::string& text, const definitions::SpywareEntry& entry,
                              FoundItemKind kind) {
  std::string key = std::to_string(static_cast<int>(kind)) + ":" + machine_.Code().Lower(text);
  if (!foundKeys_.insert(std::move(key)).second) return false;
  ++counters_.itemsFound;
  LogLine(FoundLineHead(kind) + entry.name + " " + text + "\"/>");
  FoundItem item;
  item.text = text;
  item.entry = &entry;
  item.kind = kind;
  allFound_.push_back(item);
  if (ignoreList_.IsIgnored(item)) {
    ++counters_.itemsIgnored;
  } else {
    listed_.push_back(item);
    ++counters_.itemsListed;
    if (host_.itemListed) host_.itemListed(listed_.back());
  }
  return true;
}

void ScanEngine::SetPhaseText(const std::string& text) {
  std::lock_guard guard(textLock_);
  phaseText_ = text;
}

std::string ScanEngine::GetPhaseText() const {
  std::lock_guard guard(textLock_);
  return phaseText_;
}

void ScanEngine::SetItemText(const std::string& text) {
  std::lock_guard guard(textLock_);
  if (itemTextThrottle_ == 0) itemText_ = text;
  itemTextThrottle_ = (itemTextThrottle_ + 1) % 10;
}

std::string ScanEngine::GetItemText() const {
  std::lock_guard guard(textLock_);
  return itemText_;
}

void ScanEngine::ScanAdvanced() {}  // no advanced examination is defined

void ScanEngine::ScanKnownFolders() {
  Phase(ScanPhase::KnownFolders);
  SetPhaseText(Text(kKnownFoldersText));
  WalkFolder("C:\\", true);
  WalkFolder(knownFolders_[kWindowsSlot], true);
  SetPhaseText(Text(kWindowsFolderText));
  WalkFolder(knownFolders_[kSystemSlot], true);
  SetPhaseText(Text(kProgramFilesText));
  WalkFolder(knownFolders_[kCommonFilesSlot], true);
  SetPhaseText(Text(kAllUsersText));
  WalkFolder(kAllUsersFolder, true);
  SetPhaseText(Text(kCookiesText));
  WalkFolder(knownFolders_[kCookiesSlot], true);
}

void ScanEngine::ScanDrives() {
  Phase(ScanPhase::Drives);
  const platform::DWORD count = host_.readNumber(setting::kCustScanDrivesNum);
  for (platform::DWORD n = 1; n <= count && !abort_; ++n) {
    const std::string root =
        host_.readText((std::string(setting::kCustScanDrivesPrefix) + std::to_string(n)).c_str());
    if (!root.empty()) WalkFolder(root, false);
  }
}

void ScanEngine::ScanHosts() {
  hosts_.BuildHostsFileSet();
  Phase(ScanPhase::Registry);
  // Every trace is looked for in one pass over the lines.
  std::vector<std::string> texts;
  for (const auto& entry : database_.Entries())
    for (const definitions::HostTrace& trace : entry->hosts) texts.push_back(trace.host);
  const std::vector<bool> present = hosts_.HostsContainAll(texts);
  std::size_t index = 0;
  for (const auto& entry : database_.Entries()) {
    if (abort_) break;
    for (definitions::HostTrace& trace : entry->hosts) {
      if (abort_) break;
      if (present[index++]) {
        entry->found = 1;
        trace.found = true;
        if (AddFoundItem(trace.host, *entry, FoundItemKind::HostsEntry))
          ++counters_.keysAndHostsFound;
      } else {
        trace.found = false;
      }
    }
  }
}

FoundItem* ScanEngine::FindListed(const FoundItem& item) {
  for (FoundItem& listed : listed_)
    if (SameItem(listed, item, machine_.Code())) return &listed;
  return nullptr;
}

}  // namespace scan
