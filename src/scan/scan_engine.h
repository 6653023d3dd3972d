// One scan of the machine against the definitions: the phases in their fixed order, the
// found items with their duplicates and ignored ones, the counters, the status texts and the
// abort flag. The engine reaches the session log, the settings and the window that shows the
// scan only through ScanHost, so it knows nothing of windows.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "definitions/definition_database.h"
#include "platform/machine.h"
#include "scan/found_item.h"
#include "scan/hosts_file.h"
#include "scan/ignore_list.h"
#include "scan/pattern_index.h"
#include "scan/process_enumerator.h"

namespace scan {

// Phase codes of ScanPhaseMessage.
enum class ScanPhase { ProcessModules = 0, Registry = 1, Drives = 2, KnownFolders = 3 };

// What the run needs from the program around it. Every member is called on the scan's worker
// thread.
struct ScanHost {
  // Appends one line to the session log.
  std::function<void(const std::string&)> logLine;
  // Sends one line to the window, which appends it to the session log (process-control
  // errors); logLine is used when empty.
  std::function<void(const std::string&)> sendLogLine;
  // A number or text of the user settings (0 or empty when missing).
  std::function<platform::DWORD(const char* name)> readNumber;
  std::function<std::string(const char* name)> readText;
  std::function<void(const char* name, const std::string& text)> writeText;
  // A new listed item; returns when the window has added its row.
  std::function<void(const FoundItem&)> itemListed;
  // The run entered a phase; the run has ended.
  std::function<void(ScanPhase)> phaseEntered;
  std::function<void()> runEnded;
  // A text of the resource library.
  std::function<std::string(unsigned id)> resourceText;
};

// The ten counters.
struct ScanCounters {
  std::atomic<int> objectsExamined{0}, itemsIgnored{0}, itemsFound{0}, itemsListed{0},
      processesLogged{0}, keysAndHostsFound{0}, valuesFound{0}, filesFound{0}, foldersFound{0},
      processesFound{0};
  void Reset();
};

// "%" and two hexadecimal digits become that byte; a "%" without them is dropped, and a "%" at
// the end ends the text.
std::string DecodePercentEscapes(const std::string& text);

class ScanEngine {
 public:
  ScanEngine(platform::Machine& machine, definitions::DefinitionDatabase& database, ScanHost host);

  // The whole run on the calling thread (the worker).
  void RunScan();
  void AbortScan() { abort_ = true; }
  bool Aborted() const { return abort_; }
  bool Finished() const { return finished_; }

  // Adds a found item unless it is a duplicate; true when it was new.
  bool AddFoundItem(const std::string& text, const definitions::SpywareEntry& entry,
                    FoundItemKind kind);

  void SetPhaseText(const std::string& text);
  std::string GetPhaseText() const;
  // Updates the current-item text on one call in ten.
  void SetItemText(const std::string& text);
  std::string GetItemText() const;

  const ScanCounters& Counters() const { return counters_; }
  // Read only after the run or inside the listed-item callback.
  const std::vector<FoundItem>& AllFound() const { return allFound_; }
  const std::vector<FoundItem>& Listed() const { return listed_; }
  // The listed item equal to item (same kind, same text without case), or null; removal
  // marks the user's selection on it. Only while no run is active.
  FoundItem* FindListed(const FoundItem& item);
  // Files that removal could not delete, in order; kept as long as the engine lives.
  std::vector<std::string>& PendingDeleteList() { return pendingDeleteList_; }
  IgnoreList& Ignored() { return ignoreList_; }
  HostsFiles& Hosts() { return hosts_; }
  ProcessEnumerator& Processes() { return processes_; }
  const std::string& KnownFolder(int slot) const { return knownFolders_[slot]; }

  // Phases and their parts, also called on their own by tests.
  void ScanProcesses();
  void ScanStartupEntries();
  void ScanAdvanced();
  void ScanRegistryKeys();
  void ScanRegistryValues();
  void ScanChangedValues();
  void ScanKnownFolders();
  void ScanSpywareFolders();
  void ScanHosts();
  void ScanDrives();
  void WalkFolder(const std::string& path, bool noDescent);
  void SweepSpywareFolder(const std::string& path, const definitions::SpywareEntry& entry);
  bool RegistryKeyExists(const definitions::RegistryKeyTrace& trace);
  bool RegistryValueMatches(const definitions::RegistryValueTrace& trace);
  bool ChangedValueMatches(definitions::ChangedValueTrace& trace);
  const definitions::SpywareEntry* LookupDirectory(const std::string& path);
  const definitions::SpywareEntry* LookupFile(const std::string& path);
  // The same with the path already lower-cased and without its drive.
  const definitions::SpywareEntry* LookupFile(const std::string& path,
                                              const std::string& lowerPath);
  const definitions::SpywareEntry* LookupProcessDigest(const std::string& digest);
  std::string HandleLockedImage(const std::string& imagePath);
  std::string ShortPath(const std::string& text);
  std::uint64_t FileSize(const std::string& path);

  // Rebuilds the lookup indexes after the definitions were loaded again.
  void IndexDefinitions();

 private:
  void LogLine(const std::string& text) { host_.logLine(text); }
  void Phase(ScanPhase phase) {
    if (host_.phaseEntered) host_.phaseEntered(phase);
  }
  std::string Text(unsigned id) const {
    return host_.resourceText ? host_.resourceText(id) : std::string();
  }
  // The frame of the three registry phases: the element, the traces of each entry tested in
  // order, SW groups around the hits, and the phase's own report of a hit.
  template <typename Trace, typename ItemText, typename Test, typename Report>
  void RegistryPhase(const char* element, std::vector<Trace> definitions::SpywareEntry::*traces,
                     bool abortPerTrace, ItemText itemText, Test test, Report report);
  // Calls visit(name, attributes) for each entry of a folder, "." and ".." included, while
  // it returns true.
  template <typename Visit>
  void EnumerateFolder(const std::string& folder, Visit visit);
  bool FileRowMatches(std::size_t row, const std::string& path, bool pathHasTilde,
                      const std::string& lowerPath, std::string& shortLowerPath);

  platform::Machine& machine_;
  definitions::DefinitionDatabase& database_;
  ScanHost host_;
  std::array<std::string, 13> knownFolders_;
  HostsFiles hosts_;
  ProcessEnumerator processes_;
  IgnoreList ignoreList_;
  std::vector<FoundItem> allFound_;
  std::vector<FoundItem> listed_;
  ScanCounters counters_;
  std::atomic<bool> abort_{false};
  std::atomic<bool> finished_{false};
  mutable std::mutex textLock_;  // guards phaseText_, itemText_
  std::string phaseText_;
  std::string itemText_;
  int itemTextThrottle_ = 0;
  std::vector<std::string> pendingDeleteList_;
  std::unordered_set<std::string> foundKeys_;  // kind and lower-cased text of allFound_
  // The tables' patterns lower-cased (file patterns without their drive), and their indexes.
  std::vector<std::string> fileKeys_, folderKeys_, digestKeys_;
  PatternIndex fileIndex_, folderIndex_, digestIndex_;
  std::vector<std::size_t> fileCandidates_;  // of the file lookup under way
};

}  // namespace scan
