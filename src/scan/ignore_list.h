// The user's ignored items, kept in "Ignorelist.txt" in the program folder: one line per item,
// "entry name,item text,kind number", CR LF line ends.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "definitions/definition_database.h"
#include "platform/machine.h"
#include "scan/found_item.h"

namespace scan {

inline constexpr const char* kIgnoreListFileName = "Ignorelist.txt";

class IgnoreList {
 public:
  explicit IgnoreList(platform::Machine& machine) : machine_(machine) {}

  // Reads the file of the current folder; lines whose entry the definitions lack are dropped.
  // A file that cannot be read leaves the list as it was.
  void LoadIgnoreList(const definitions::DefinitionDatabase& database);
  // Writes the file anew, replacing the old one whole; false when it could not.
  bool SaveIgnoreList() const;

  bool IsIgnored(const FoundItem& item) const;
  void Add(const FoundItem& item) { items_.push_back(item); }
  void Replace(std::vector<FoundItem> items) { items_ = std::move(items); }
  // Removes every item equal to the given one; how many there were.
  int RemoveEqual(const FoundItem& item);
  const std::vector<FoundItem>& Items() const { return items_; }

 private:
  platform::Machine& machine_;
  std::vector<FoundItem> items_;
};

// The list logic of the two page commands. `ticked` tells the ticked rows of the page's list
// (results or ignore page), whose items are given in row order; the ticked rows are removed
// from `rows`. Both save the list and return the new ObjectsIgnored total; when the save fails
// the list and the rows stay as they were and the answer is empty.
std::optional<int> IgnoreTickedResults(IgnoreList& list, std::vector<FoundItem>& rows,
                                       const std::vector<bool>& ticked, int objectsIgnored);
std::optional<int> UnignoreTickedRows(IgnoreList& list, std::vector<FoundItem>& rows,
                                      const std::vector<bool>& ticked, int objectsIgnored);

}  // namespace scan
