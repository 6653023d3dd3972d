// The definitions the scan works from: the spyware entries in document order, the cleaning
// scripts, and lookup tables from a file pattern, a process digest or a folder to its entry.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "definitions/spyware_entry.h"

namespace definitions {

struct CleaningScript {
  std::string name;
  std::string version;
  bool reboot = false;
  std::string scriptFile;
};

template <typename Trace>
struct LookupRow {
  // At most 259 characters: the trace's own text where that is the key, else one the
  // database keeps. Valid while the database holds the entry.
  std::string_view key;
  const SpywareEntry* entry;
  const Trace* trace;
};

class DefinitionDatabase {
 public:
  std::string version;
  std::string date;

  const std::vector<std::unique_ptr<SpywareEntry>>& Entries() const { return entries_; }
  const std::vector<CleaningScript>& Scripts() const { return scripts_; }
  int RegistryItemCount() const { return registryItemCount_; }
  const std::vector<LookupRow<FileTrace>>& FileTable() const { return fileTable_; }
  const std::vector<LookupRow<ProcessTrace>>& DigestTable() const { return digestTable_; }
  const std::vector<LookupRow<FolderTrace>>& FolderTable() const { return folderTable_; }

  // Destroys every entry and script and clears the tables.
  void Clear();
  // Counts the entry's registry traces, adds its table rows and appends it; its traces must
  // not change afterwards.
  void AddEntry(std::unique_ptr<SpywareEntry> entry);
  void AddScript(CleaningScript script) { scripts_.push_back(std::move(script)); }
  // The first script of exactly that name, or null.
  const CleaningScript* FindScript(const std::string& name) const;

 private:
  std::vector<std::unique_ptr<SpywareEntry>> entries_;
  std::vector<CleaningScript> scripts_;
  int registryItemCount_ = 0;
  std::vector<LookupRow<FileTrace>> fileTable_;
  std::vector<LookupRow<ProcessTrace>> digestTable_;
  std::vector<LookupRow<FolderTrace>> folderTable_;
  std::deque<std::string> composedKeys_;  // keys that are not a trace's text as it stands
};

}  // namespace definitions
