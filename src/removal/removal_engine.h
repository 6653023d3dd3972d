// Removing what the user ticked on the results page, item by item in list order, with a
// session-log line for every step; then the browser pages, the cleaning scripts of the
// removed entries, and the offer to restart when files resisted. The engine reaches the
// settings, the log, the person and the window only through RemovalHost, so it knows
// nothing of pages or views.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "definitions/definition_database.h"
#include "platform/machine.h"
#include "platform/prompt.h"
#include "scan/found_item.h"
#include "scan/scan_engine.h"

namespace removal {

// What a removal needs from the program around it.
struct RemovalHost {
  std::function<void(const std::string&)> logLine;
  // The user settings (numbers read as 0 when missing).
  std::function<platform::DWORD(const char* name)> readNumber;
  std::function<void(const char* name, platform::DWORD value)> writeNumber;
  std::function<std::string(const char* name)> readText;
  std::function<void(const char* name, const std::string& text)> writeText;
  // A text of the resource library.
  std::function<std::string(unsigned id)> resourceText;
  // Message boxes and dialogs; never null.
  platform::Prompt* prompt = nullptr;
  std::string appName;
  std::string programFolder;  // with its trailing backslash
  // The running executable, given to cleaning scripts.
  std::string programPath;
  // The interactive program, which the restart entry starts with "-b".
  std::string interactiveProgram;
  // The page's progress text (string 135 with TotalDeletedItems).
  std::function<void(const std::string&)> showProgress;
  // Closes the main window after a restart was requested.
  std::function<void()> closeMainWindow;
  // How long one quiet wait for a cleaning script lasts.
  unsigned scriptWaitMs = 300000;
};

// One row of the results list: its own copy of the found item and the user's tick.
struct ResultRow {
  scan::FoundItem item;
  bool ticked = false;
};

struct RemovalOutcome {
  int removed = 0;
  bool everythingRemoved = false;
  std::vector<scan::FoundItem> removedItems;  // in the order they were removed
  bool scriptAskedRestart = false;
  bool restartRequested = false;  // the person agreed and the restart was asked for
};

// The registry root of a root name; any other text stands for HKEY_CLASSES_ROOT.
platform::HKEY RootOfName(const std::string& name);

// Texts of the system table for a status code, without CR and LF.
std::string SystemMessage(platform::Machine& machine, platform::DWORD code);

// The hosts entries of a removal run, removed together when the first of them comes.
struct HostsEntriesOfRun {
  std::vector<std::string> texts;
  bool done = false;
  bool removed = false;
};

class RemovalEngine {
 public:
  RemovalEngine(platform::Machine& machine, scan::ScanEngine& scan,
                definitions::DefinitionDatabase& database, RemovalHost& host);

  // The confirmation of the results page: false (nothing more happens) unless the person
  // agreed; then every ticked row's item, and its equal in the scan's listed list, is
  // selected for the quarantine step.
  bool ConfirmRemoval(std::vector<ResultRow>& rows);

  // The run: removes every ticked row (rows leave the list), then the browser pages,
  // scripts and the pending files' restart offer.
  RemovalOutcome RunRemoval(std::vector<ResultRow>& rows);

  // False when the item is still there: a write was refused, or on a system that is not
  // running (where no restart finishes the work) a file or folder stayed.
  bool RemoveItem(const scan::FoundItem& item);
  bool RemoveFile(const std::string& path, const std::string& scriptReference);
  bool RemoveFolder(const std::string& path);
  bool RemoveRegistryKey(const std::string& path);  // false when a deletion was refused
  bool RemoveRegistryValue(const std::string& text);
  void RemoveComRegistration(platform::HKEY root, const std::string& keyPath);
  void RemoveBrowserHelperObject(const std::string& classIdText);

 private:
  void Log(const std::string& line) { host_.logLine(line); }
  std::string Text(unsigned id) const { return host_.resourceText(id); }
  bool RemoveAutorunReferences(const std::string& path);
  // The folder's content, depth first; false when a file or emptied sub folder resisted.
  bool EmptyFolder(const std::string& path);
  bool RepairChangedValues(const scan::FoundItem& item);
  // Removes a hosts entry: within a run, all the run's entries at once when the first of
  // them comes, and that one result stands for each of them.
  bool RemoveHostsEntry(const std::string& text);
  bool OfferRestart(RemovalOutcome& outcome);

  platform::Machine& machine_;
  scan::ScanEngine& scan_;
  definitions::DefinitionDatabase& database_;
  RemovalHost& host_;

  // The hosts entries of the run under way; the files are rewritten once for all of them.
  std::optional<HostsEntriesOfRun> runHostsEntries_;
};

}  // namespace removal
