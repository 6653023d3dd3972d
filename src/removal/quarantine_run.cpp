#include "removal/quarantine_run.h"

#include <chrono>
#include <thread>

#include "foundation/os_identity.h"
#include "foundation/time_text.h"
#include "foundation/whole_file.h"
#include "removal/quarantine_archive.h"
#include "removal/registry_export.h"
#include "scan/hosts_file.h"

namespace removal {
namespace {

using scan::FoundItemKind;

constexpr const char* kStepMutexName = "Vexmarl quarantine step";
constexpr unsigned kStepRetryMs = 50;
constexpr platform::DWORD kTempPathBufferSize = 256;
constexpr const char* kFailedToCreateLine = "<ERROR = \"Failed to create file\" />";

// Holds the machine-wide right to run a quarantine step while it lives.
class StepGuard {
 public:
  StepGuard(platform::Messages& messages, unsigned waitMs) {
    for (unsigned waited = 0;; waited += kStepRetryMs) {
      mutex_ = messages.CreateMutexA(nullptr, platform::FALSE, kStepMutexName);
      if (mutex_ && platform::GetLastError() != platform::ERROR_ALREADY_EXISTS) return;
      if (mutex_) platform::CloseHandle(mutex_);
      mutex_ = nullptr;
      if (waited >= waitMs) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(kStepRetryMs));
    }
  }
  ~StepGuard() {
    if (mutex_) platform::CloseHandle(mutex_);
  }
  StepGuard(const StepGuard&) = delete;
  StepGuard& operator=(const StepGuard&) = delete;
  bool Held() const { return mutex_ != nullptr; }

 private:
  platform::HANDLE mutex_ = nullptr;
};

std::string TimeStamp(std::time_t time) {
  const std::tm local = foundation::LocalTime(time);
  char text[64];
  std::strftime(text, sizeof text, "%d-%m-%Y-%H-%M-%S", &local);
  return text;
}

// The registry text as a file written in text mode: each "\n" is CR LF.
std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

std::string ArchivePathOf(const std::string& programFolder, const std::string& title) {
  return programFolder + kQuarantineFolder + "\\" + title + kArchiveExtension;
}

bool QuarantineRun(const QuarantineStep& step, const std::vector<scan::FoundItem>& listed,
                   std::string* archivePath) {
  platform::Machine& machine = step.machine;
  std::uint32_t capacity = 0;
  bool hostsEntriesSelected = false;
  for (const scan::FoundItem& item : listed) {
    if (!item.selected) continue;
    if (item.kind == FoundItemKind::File || item.kind == FoundItemKind::Folder) ++capacity;
    if (item.kind == FoundItemKind::HostsEntry) hostsEntriesSelected = true;
  }
  // A hosts line cannot be put back on its own, so each hosts file goes in whole as a file.
  const std::vector<std::string> hostsFiles =
      hostsEntriesSelected ? scan::ExistingHostsFiles(machine) : std::vector<std::string>();
  capacity += static_cast<std::uint32_t>(hostsFiles.size());

  StepGuard guard(machine.messages(), step.waitForOtherStepMs);
  step.logLine("<Quarantines>");
  const std::string stamp = TimeStamp(step.now ? step.now() : std::time(nullptr));
  auto fail = [&] {
    step.logLine(kFailedToCreateLine);
    step.logLine("</Quarantines>");
    return false;
  };
  if (!guard.Held()) return fail();
  QuarantineWriter writer(machine.files(), step.logLine);
  std::string path;
  if (!writer.Create(step.programFolder + kQuarantineFolder + "\\Quarantine" + stamp, capacity,
                     path))
    return fail();
  if (archivePath) *archivePath = path;
  step.logLine("<QTFILE PATH = \"" + path + "\" />");
  step.logLine("<INFO ACTION = \"Added\"/>");
  step.logLine("<INFO TIME = \"" + stamp + "\"/>");

  char temp[kTempPathBufferSize] = {};
  const platform::DWORD tempLength = machine.files().GetTempPathA(sizeof temp, temp);
  // The temporary folder of a system that is not running is on the disk being cleaned: the
  // scratch copy goes beside the archive instead.
  const std::string scratchFolder = machine.system().RunsOffline()
                                        ? path.substr(0, path.rfind('\\') + 1)
                                        : std::string(tempLength < sizeof temp ? temp : "");
  const std::string backupPath = scratchFolder + kRegistryBackupFileName;
  foundation::OsVersionName os;
  foundation::GetOsVersionName(machine.system(), os);
  const char* banner = RegistryBannerFor(os.code);
  std::string registryText = std::string(banner) + "\n";
  RegistryExport exporter(
      machine.registry(), banner == std::string(kRegistryBanner5),
      [&registryText](const std::string& text) { registryText += text; }, step.logLine);

  std::uint32_t registryItems = 0;
  bool entriesFailed = false;
  // A file that cannot be opened (in use, closed to us) is left out; one that failed on its
  // way into the archive fails the step, so that nothing is removed unsaved.
  auto addFile = [&](const std::string& path, const std::string& name) {
    bool unopenable = false;
    if (!writer.AddFile(path, name, &unopenable) && !unopenable) entriesFailed = true;
  };
  bool hostsFilesAdded = false;
  for (const scan::FoundItem& item : listed) {
    if (!item.selected) continue;
    const std::string& name = item.entry ? item.entry->name : std::string();
    switch (item.kind) {
      case FoundItemKind::File:
        addFile(item.text, name);
        break;
      case FoundItemKind::HostsEntry:
        // At the first hosts entry, under its spyware's name.
        if (hostsFilesAdded) break;
        hostsFilesAdded = true;
        for (const std::string& path : hostsFiles) addFile(path, name);
        break;
      case FoundItemKind::Folder:
        writer.AddFolder(item.text, name);
        break;
      case FoundItemKind::RegistryKey:
        ++registryItems;
        exporter.ExportKeyTree(item.text);
        break;
      case FoundItemKind::RegistryValue: {
        ++registryItems;
        ValueItemParts parts;
        if (!SplitValueItem(item.text, parts)) break;
        for (const char* rootName : kTraceRootNames)
          exporter.ExportSingleValue(platform::RootKeyFromName(rootName), rootName, parts.keyPath,
                                     parts.valueName);
        break;
      }
      default:
        break;
    }
  }
  const bool backupWritten =
      foundation::WriteWholeFile(machine.files(), backupPath, WithCrLf(registryText));
  step.logLine("</Quarantines>");
  // Without its registry backup the archive could not bring the registry traces back, so
  // the step fails and nothing is removed.
  const bool complete =
      !entriesFailed && backupWritten && writer.AddRegistryBackup(backupPath, registryItems);
  const bool closed = writer.Close();
  machine.files().DeleteFileA(backupPath.c_str());
  if (complete && closed) return true;
  machine.files().DeleteFileA(path.c_str());
  step.logLine(kFailedToCreateLine);
  return false;
}

}  // namespace removal
