#include "removal/removal_engine.h"

#include "foundation/setting_names.h"
#include "foundation/text_format.h"
#include "removal/browser_repair.h"
#include "removal/cleaning_scripts.h"
#include "removal/reboot_removal.h"
#include "removal/registry_export.h"
#include "scan/autorun_references.h"

namespace removal {
namespace {

namespace setting = foundation::setting;
using platform::DWORD;
using platform::HKEY;
using scan::FoundItemKind;

// Resource strings.
constexpr unsigned kProgressText = 135;
constexpr unsigned kScriptRestartText = 136;
constexpr unsigned kPendingFilesDialog = 174;
constexpr unsigned kConfirmText = 177;
constexpr unsigned kNothingTickedText = 178;
constexpr unsigned kRemovedSomeText = 182;
constexpr unsigned kRestartText = 183;
constexpr unsigned kScriptRestartDialog = 217;
constexpr const char* kOfflineRestartLine =
    "<Information Message = \"Restart Step Skipped: the System Is Not Running\"/>";

constexpr DWORD kDefaultValueBufferSize = 1024;
constexpr const char* kBrowserHelperObjectKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Explorer\\Browser Helper Objects"};

std::string Extension(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

bool IsClassKey(const platform::CodePage& code, const std::string& path) {
  const std::string lower = code.Lower(path);
  return lower.find("clsid") != std::string::npos && lower.find('{') != std::string::npos &&
         lower.find('}') != std::string::npos;
}

// The default value of root\keyPath as text; nothing when the key or value is missing.
std::optional<std::string> DefaultValue(platform::Registry& registry, HKEY root,
                                        const std::string& keyPath) {
  HKEY key = nullptr;
  if (registry.RegOpenKeyExA(root, keyPath.c_str(), 0, platform::KEY_ALL_ACCESS, &key) !=
      platform::ERROR_SUCCESS)
    return std::nullopt;
  char data[kDefaultValueBufferSize + 1] = {};
  DWORD size = kDefaultValueBufferSize;
  const auto status = registry.RegQueryValueExA(key, "", nullptr, nullptr,
                                                reinterpret_cast<platform::BYTE*>(data), &size);
  registry.RegCloseKey(key);
  if (status != platform::ERROR_SUCCESS) return std::nullopt;
  return std::string(data);
}

}  // namespace

HKEY RootOfName(const std::string& name) {
  HKEY root = platform::RootKeyFromName(name);
  return root ? root : platform::HKEY_CLASSES_ROOT;
}

std::string SystemMessage(platform::Machine& machine, DWORD code) {
  char text[1024] = {};
  machine.system().FormatMessageA(
      platform::FORMAT_MESSAGE_FROM_SYSTEM | platform::FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      0, text, sizeof text, nullptr);
  std::string message;
  for (const char* c = text; *c; ++c)
    if (*c != '\r' && *c != '\n') message += *c;
  return message;
}

RemovalEngine::RemovalEngine(platform::Machine& machine, scan::ScanEngine& scan,
                             definitions::DefinitionDatabase& database, RemovalHost& host)
    : machine_(machine), scan_(scan), database_(database), host_(host) {}

bool RemovalEngine::ConfirmRemoval(std::vector<ResultRow>& rows) {
  long long ticked = 0;
  for (const ResultRow& row : rows) ticked += row.ticked ? 1 : 0;
  if (ticked == 0) {
    host_.prompt->MessageBoxA(nullptr, Text(kNothingTickedText).c_str(), host_.appName.c_str(),
                              platform::MB_OK);
    return false;
  }
  const std::string question = foundation::FormatText(Text(kConfirmText), {ticked});
  if (host_.prompt->MessageBoxA(nullptr, question.c_str(), host_.appName.c_str(),
                                platform::MB_YESNO) != platform::IDYES) {
    Log("<Information Message = \"User has Selected NOT to Quarantine Any Items\"/>");
    return false;
  }
  for (ResultRow& row : rows) {
    if (!row.ticked) continue;
    row.item.selected = true;
    if (scan::FoundItem* listed = scan_.FindListed(row.item)) listed->selected = true;
  }
  Log("<Information Message = \"Starting to Quarantine " + std::to_string(ticked) + " Items\"/>");
  return true;
}

RemovalOutcome RemovalEngine::RunRemoval(std::vector<ResultRow>& rows) {
  RemovalOutcome outcome;
  DWORD total = host_.readNumber(setting::kTotalDeletedItems);
  const std::size_t rowsBefore = rows.size();
  ScriptMap scripts;
  runHostsEntries_.emplace();
  for (const ResultRow& row : rows)
    if (row.ticked && row.item.kind == FoundItemKind::HostsEntry)
      runHostsEntries_->texts.push_back(row.item.text);
  const std::string* group = nullptr;
  for (std::size_t i = 0; i < rows.size();) {
    ResultRow& row = rows[i];
    row.item.selected = false;
    if (!row.ticked) {
      ++i;
      continue;
    }
    const definitions::SpywareEntry& entry = *row.item.entry;
    if (!group || *group != entry.name) {
      if (group) Log("</SW>");
      Log("<SW NAME = \"" + entry.name + "\">");
      group = &entry.name;
    }
    const bool removed = RemoveItem(row.item);
    const std::string& reference = entry.cleaningScriptReference;
    if (!reference.empty() && !scripts.count(reference)) {
      if (const definitions::CleaningScript* script = database_.FindScript(reference))
        scripts[reference] = script;
    }
    if (!removed) {
      ++i;  // stays listed, as not removed
      continue;
    }
    outcome.removedItems.push_back(row.item);
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i));
    ++outcome.removed;
    ++total;
    if (host_.showProgress)
      host_.showProgress(
          foundation::FormatText(Text(kProgressText), {static_cast<long long>(total)}));
  }
  if (group) Log("</SW>");
  runHostsEntries_.reset();
  outcome.everythingRemoved = static_cast<std::size_t>(outcome.removed) == rowsBefore;
  host_.writeNumber(setting::kTotalDeletedItems, total);

  EnforceBrowserPages(machine_,
                      {host_.readText(setting::kHomepage), host_.readText(setting::kSearchpage)});
  outcome.scriptAskedRestart = RunCleaningScripts(machine_, scripts, host_.programFolder,
                                                  host_.programPath, host_.scriptWaitMs);
  OfferRestart(outcome);
  return outcome;
}

bool RemovalEngine::OfferRestart(RemovalOutcome& outcome) {
  // A system that is not running holds none of its files, and its next start is not ours
  // to ask for.
  if (machine_.system().RunsOffline()) {
    Log(kOfflineRestartLine);
    return false;
  }
  platform::Prompt& prompt = *host_.prompt;
  const char* caption = host_.appName.c_str();
  const std::vector<std::string>& pending = scan_.PendingDeleteList();
  auto restart = [&](const std::string& notice) {
    prompt.MessageBoxA(nullptr, notice.c_str(), caption, platform::MB_OK);
    outcome.restartRequested = true;
    machine_.processes().ExitWindowsEx(platform::EWX_REBOOT, 0);
    if (host_.closeMainWindow) host_.closeMainWindow();
    return true;
  };
  if (!pending.empty()) {
    std::string list;
    for (const std::string& path : pending) list += (list.empty() ? "" : "\r\n") + path;
    if (prompt.MessageBoxA(nullptr, (Text(kPendingFilesDialog) + "\r\n" + list).c_str(), caption,
                           platform::MB_OKCANCEL) != platform::IDOK)
      return false;
    ScheduleRebootDeletion(machine_, host_, pending);
    const long long removed = outcome.removed - static_cast<long long>(pending.size());
    prompt.MessageBoxA(nullptr, foundation::FormatText(Text(kRemovedSomeText), {removed}).c_str(),
                       caption, platform::MB_OK);
    return restart(Text(kRestartText));
  }
  if (!outcome.scriptAskedRestart) return false;
  if (prompt.MessageBoxA(nullptr, Text(kScriptRestartDialog).c_str(), caption,
                         platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES)
    return false;
  return restart(Text(kScriptRestartText));
}

bool RemovalEngine::RemoveItem(const scan::FoundItem& item) {
  const std::string& text = item.text;
  platform::Files& files = machine_.files();
  // Online a file that resists goes at the restart or by the entry's cleaning script;
  // offline one that is still there stays for good.
  auto gone = [&] {
    return !machine_.system().RunsOffline() || !files.PathFileExistsA(text.c_str());
  };
  switch (item.kind) {
    case FoundItemKind::File:
      Log("<FILE  NAME = \"" + text + "\"/>");
      RemoveFile(text, item.entry->cleaningScriptReference);
      return gone();
    case FoundItemKind::Folder:
      Log("<DIR NAME = \"" + text + "\"/>");
      RemoveFolder(text);
      return gone();
    case FoundItemKind::RegistryKey:
      // A path of backslashes only would name whole roots: never removed, never logged.
      if (text.find_first_not_of('\\') == std::string::npos) return true;
      Log("<REGKEY NAME = \"" + text + "\"/>");
      return RemoveRegistryKey(text);
    case FoundItemKind::RegistryValue:
      Log("<REGVALUE NAME = \"" + text + "\"/>");
      return RemoveRegistryValue(text);
    case FoundItemKind::ChangedRegistryValue:
      return RepairChangedValues(item);
    case FoundItemKind::HostsEntry: {
      const bool removed = RemoveHostsEntry(text);
      Log("<HOST NAME = \"" + text + "\" RESULT = \"" +
          (removed ? "Successfully Removed" : "NOT Removed") + "\" />");
      return removed;
    }
  }
  return true;
}

bool RemovalEngine::RepairChangedValues(const scan::FoundItem& item) {
  const BrowserPages pages{host_.readText(setting::kHomepage),
                           host_.readText(setting::kSearchpage)};
  const auto& traces = item.entry->changedValues;
  bool repaired = true;
  for (const definitions::ChangedValueTrace& trace : traces) {
    if (traces.size() != 1 && !trace.found) continue;
    Log("<REGVALUE RES = \"Deleting Register Value Changed\" />");
    repaired = RepairChangedValue(machine_, trace, pages, host_.logLine) && repaired;
  }
  return repaired;
}

bool RemovalEngine::RemoveHostsEntry(const std::string& text) {
  if (!runHostsEntries_) return scan_.Hosts().RemoveHostsEntry(text);
  if (!runHostsEntries_->done) {
    runHostsEntries_->removed = scan_.Hosts().RemoveHostsEntries(runHostsEntries_->texts);
    runHostsEntries_->done = true;
  }
  return runHostsEntries_->removed;
}

bool RemovalEngine::RemoveAutorunReferences(const std::string& path) {
  return scan::RemoveAutorunReferences(machine_, path, true, host_.logLine);
}

bool RemovalEngine::RemoveFile(const std::string& path, const std::string& scriptReference) {
  platform::Files& files = machine_.files();
  if (!files.PathFileExistsA(path.c_str())) {
    RemoveAutorunReferences(path);
    return false;
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (attempt == 1) files.SetFileAttributesA(path.c_str(), platform::FILE_ATTRIBUTE_NORMAL);
    if (files.DeleteFileA(path.c_str())) {
      Log("<FILE RES = \"" + path + " Successfully ReMoved\"/>");
      RemoveAutorunReferences(path);
      return true;
    }
  }
  if (machine_.Code().EqualNoCase(Extension(path), "exe")) {
    const bool ended = scan_.Processes().EndProcessesByImage(path);
    Log(std::string("<PROCESS RES = \"Process ") + (ended ? "Removed" : "NOT Removed") +
        "\" NAME = \"" + path + "\"/>");
    RemoveAutorunReferences(path);
  }
  files.SetFileAttributesA(path.c_str(), platform::FILE_ATTRIBUTE_NORMAL);
  if (files.DeleteFileA(path.c_str())) {
    Log("<FILE RES = \"Successfully ReMoved\"/>");
    return true;
  }
  const DWORD error = platform::GetLastError();
  if (!scriptReference.empty()) return true;  // the entry's cleaning script deals with it
  // Offline nothing holds a file that resists, and no restart comes to delete it.
  if (!machine_.system().RunsOffline()) scan_.PendingDeleteList().push_back(path);
  if (error == platform::ERROR_ACCESS_DENIED) {
    Log("<FILE RES = \" Error .. Access Denied \"/>");
  } else {
    Log("<FILE RES = \" Error -  " + SystemMessage(machine_, error) + "\"/>");
  }
  return false;
}

bool RemovalEngine::EmptyFolder(const std::string& path) {
  platform::Files& files = machine_.files();
  // The names are read first, so that deleting does not disturb the enumeration.
  std::vector<std::pair<std::string, DWORD>> entries;
  platform::WIN32_FIND_DATAA found;
  platform::HANDLE find = files.FindFirstFileA((path + "\\*.*").c_str(), &found);
  if (find != platform::INVALID_HANDLE_VALUE) {
    do {
      if (found.cFileName[0] != '.') entries.emplace_back(found.cFileName, found.dwFileAttributes);
    } while (files.FindNextFileA(find, &found));
    files.FindClose(find);
  }
  for (const auto& [name, attributes] : entries) {
    const std::string full = path + "\\" + name;
    const bool folder = (attributes & platform::FILE_ATTRIBUTE_DIRECTORY) &&
                        !(attributes & platform::FILE_ATTRIBUTE_REPARSE_POINT);
    if (!folder) {
      // A link to a folder is removed as the link, never followed.
      if (attributes & platform::FILE_ATTRIBUTE_DIRECTORY) {
        if (!files.RemoveDirectoryA(full.c_str())) return false;
        continue;
      }
      if (!RemoveFile(full, "")) return false;
      continue;
    }
    if (EmptyFolder(full) && !files.RemoveDirectoryA(full.c_str())) return false;
  }
  return true;
}

bool RemovalEngine::RemoveFolder(const std::string& path) {
  platform::Files& files = machine_.files();
  const DWORD attributes = files.GetFileAttributesA(path.c_str());
  if (attributes == platform::INVALID_FILE_ATTRIBUTES ||
      !(attributes & platform::FILE_ATTRIBUTE_DIRECTORY))
    return true;
  bool removed = false;
  if (EmptyFolder(path)) {
    files.SetFileAttributesA(path.c_str(), platform::FILE_ATTRIBUTE_NORMAL);
    removed = files.RemoveDirectoryA(path.c_str());
  }
  Log(std::string("<DIR RES = \"") + (removed ? "Successfully ReMoved " : "Error Not Removed ") +
      path + "\"/>");
  return removed;
}

bool RemovalEngine::RemoveRegistryKey(const std::string& path) {
  if (path.find_first_not_of('\\') == std::string::npos) return true;
  const bool classKey = IsClassKey(machine_.Code(), path);
  bool refused = false;
  for (const char* rootName : kTraceRootNames) {
    const HKEY root = platform::RootKeyFromName(rootName);
    if (classKey) RemoveComRegistration(root, path);
    const platform::LONG status = scan::DeleteKeyTree(machine_.registry(), root, path);
    if (status == platform::ERROR_SUCCESS) {
      Log("<REGKEY RES = \"Successfully ReMoved\"/>");
    } else if (status != platform::ERROR_FILE_NOT_FOUND) {
      Log("<REGKEY RES = \"Error Not Removed\"/>");
      refused = true;
    }
  }
  return !refused;
}

void RemovalEngine::RemoveComRegistration(HKEY root, const std::string& keyPath) {
  platform::Registry& registry = machine_.registry();
  if (auto typeLibrary = DefaultValue(registry, root, keyPath + "\\TypeLib")) {
    const std::string key = "TypeLib\\" + *typeLibrary;
    if (scan::DeleteKeyTree(registry, root, key) == platform::ERROR_SUCCESS)
      Log("<REGKEY RES = \"" + key + "\" Removed from Registry\"/>");
  }
  for (const char* server : {"\\InprocServer32", "\\InprocServer"}) {
    HKEY key = nullptr;
    if (registry.RegOpenKeyExA(root, (keyPath + server).c_str(), 0, platform::KEY_READ, &key) !=
        platform::ERROR_SUCCESS)
      continue;
    registry.RegCloseKey(key);
    if (auto file = DefaultValue(registry, root, keyPath + server)) RemoveFile(*file, "");
    break;
  }
  if (IsClassKey(machine_.Code(), keyPath))
    RemoveBrowserHelperObject(keyPath.substr(keyPath.find('{')));
}

void RemovalEngine::RemoveBrowserHelperObject(const std::string& classIdText) {
  for (const char* objects : kBrowserHelperObjectKeys) {
    for (HKEY root : {platform::HKEY_CURRENT_USER, platform::HKEY_LOCAL_MACHINE})
      scan::DeleteKeyTree(machine_.registry(), root, std::string(objects) + "\\" + classIdText);
  }
}

bool RemovalEngine::RemoveRegistryValue(const std::string& text) {
  platform::Registry& registry = machine_.registry();
  ValueItemParts parts;
  bool removed = false;
  // The status of the last registry call stands for the failure; without a call, the value
  // was not found.
  platform::LONG status = platform::ERROR_FILE_NOT_FOUND;
  bool refused = false;
  if (SplitValueItem(text, parts)) {
    for (const char* rootName : kTraceRootNames) {
      HKEY key = nullptr;
      status = registry.RegOpenKeyExA(platform::RootKeyFromName(rootName), parts.keyPath.c_str(), 0,
                                      platform::KEY_ALL_ACCESS, &key);
      if (status != platform::ERROR_SUCCESS) continue;
      if (parts.dataMarker.empty()) {
        status = registry.RegDeleteValueA(key, parts.valueName.c_str());
      } else if ((status = registry.RegQueryValueExA(key, parts.valueName.c_str(), nullptr, nullptr,
                                                     nullptr, nullptr)) !=
                 platform::ERROR_SUCCESS) {
        // Only a value that is there is blanked: a root without it gains no empty one.
      } else {
        // Blanked, not deleted: the system needs the value to be there.
        status = registry.RegSetValueExA(key, parts.valueName.c_str(), 0, platform::REG_SZ,
                                         reinterpret_cast<const platform::BYTE*>(""), 1);
      }
      registry.RegCloseKey(key);
      removed = removed || status == platform::ERROR_SUCCESS;
      refused = refused ||
                (status != platform::ERROR_SUCCESS && status != platform::ERROR_FILE_NOT_FOUND);
    }
  }
  if (removed) {
    Log("<REGVALUE RES = \"Successfully Removed\"/>");
  } else {
    Log("<REGVALUE RES = \"Unsuccessfully Removed " +
        SystemMessage(machine_, static_cast<DWORD>(status)) + "\"/>");
  }
  return !refused;
}

}  // namespace removal
