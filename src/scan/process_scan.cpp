// The process and startup-entry phases of a scan: running programs found by the digest of
// their file and by their path and modules in the file table, and autorun programs by digest.
#include "foundation/md5_text.h"
#include "platform/handles.h"
#include "platform/last_error.h"
#include "scan/autorun_references.h"
#include "scan/scan_engine.h"
#include "scan/startup_inventory.h"

namespace scan {
namespace {

constexpr const char* kNullDigest = "(null)";
constexpr const char* kOfflineProcessesLine =
    "<Information Message = \"No Running Processes: the System Is Not Running\"/>";

std::string ProcessLine(const std::string& image, const std::string& digest) {
  return "<PROCESS NAME = \"" + image + "\" MD5 = \"" + digest + "\"/>";
}

}  // namespace

std::string ScanEngine::HandleLockedImage(const std::string& imagePath) {
  platform::Files& files = machine_.files();
  platform::HANDLE file =
      files.CreateFileA(imagePath.c_str(), platform::GENERIC_READ, platform::FILE_SHARE_READ,
                        nullptr, platform::OPEN_EXISTING, 0, nullptr);
  if (file != platform::INVALID_HANDLE_VALUE) {
    platform::CloseHandle(file);
    return kNullDigest;
  }
  if (platform::GetLastError() != platform::ERROR_SHARING_VIOLATION) return kNullDigest;
  if (!RemoveAutorunReferences(machine_, imagePath, false, host_.logLine)) return kNullDigest;
  // Ended so that its file can be read, then started again.
  processes_.EndProcessesByImage(imagePath);
  const std::string digest = foundation::Md5OfFile(files, imagePath).value_or(kNullDigest);
  machine_.shell().ShellExecuteA(nullptr, nullptr, imagePath.c_str(), nullptr, nullptr,
                                 platform::SW_SHOWNORMAL);
  return digest;
}

void ScanEngine::ScanProcesses() {
  SetPhaseText("Scanning running processes..");
  // Of a system examined from outside nothing runs; the processes of this host are not its.
  if (machine_.system().RunsOffline()) {
    LogLine(kOfflineProcessesLine);
    Phase(ScanPhase::ProcessModules);
    return;
  }
  for (const ProcessRecord& process : processes_.ListProcesses()) {
    const std::string& image = process.image;
    if (image == "-" || image.find("SystemRoot") != std::string::npos ||
        image.rfind("\\??\\", 0) == 0)
      continue;
    std::string digest = foundation::Md5OfFile(machine_.files(), image).value_or(kNullDigest);
    if (digest == kNullDigest) digest = HandleLockedImage(image);
    if (const definitions::SpywareEntry* entry = LookupProcessDigest(digest))
      if (AddFoundItem(image, *entry, FoundItemKind::File)) ++counters_.processesFound;
    LogLine(ProcessLine(image, digest));
    ++counters_.processesLogged;
  }

  Phase(ScanPhase::ProcessModules);
  for (const ProcessRecord& process : processes_.ListProcesses()) {
    if (abort_) break;
    SetItemText(process.image);
    ++counters_.objectsExamined;
    if (const definitions::SpywareEntry* entry = LookupFile(process.image))
      if (AddFoundItem(process.image, *entry, FoundItemKind::File)) ++counters_.processesFound;
    for (const ModuleRecord& module : processes_.ListModules(process.id)) {
      if (abort_) break;
      SetItemText(module.path);
      ++counters_.objectsExamined;
      const definitions::SpywareEntry* entry = LookupFile(module.path);
      if (!entry) continue;
      if (AddFoundItem(module.path, *entry, FoundItemKind::File)) ++counters_.processesFound;
      processes_.FoundModules().insert(machine_.Code().Lower(module.path));
    }
  }
}

void ScanEngine::ScanStartupEntries() {
  std::vector<std::string> lines;
  for (const std::string& location : AutorunLocationList()) {
    if (!ListRegistryValues(machine_, location, "", lines)) continue;
    for (const std::string& line : lines) {
      const std::string lower = machine_.Code().Lower(line);
      const std::size_t data = lower.find("data");
      const std::size_t md5 = lower.find("md5");
      if (data == std::string::npos || md5 == std::string::npos) continue;
      const std::string program = QuotedText(lower, data);
      const std::string digest = QuotedText(lower, md5);
      const definitions::SpywareEntry* entry = LookupProcessDigest(digest);
      if (!entry) continue;
      if (AddFoundItem(program, *entry, FoundItemKind::File)) ++counters_.processesFound;
      LogLine(ProcessLine(program, digest));
      ++counters_.processesLogged;
    }
  }
}

}  // namespace scan
