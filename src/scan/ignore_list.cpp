#include "scan/ignore_list.h"

#include <algorithm>
#include <cstdlib>

#include "foundation/whole_file.h"

namespace scan {

void IgnoreList::LoadIgnoreList(const definitions::DefinitionDatabase& database) {
  auto content = foundation::ReadWholeFile(machine_.files(), kIgnoreListFileName);
  if (!content) return;
  items_.clear();
  for (const std::string& line : foundation::TextLines(*content)) {
    const std::size_t first = line.find(',');
    if (first == std::string::npos) continue;
    const std::string name = line.substr(0, first);
    const definitions::SpywareEntry* entry = nullptr;
    for (const auto& candidate : database.Entries()) {
      if (candidate->name == name) {
        entry = candidate.get();
        break;
      }
    }
    if (!entry) continue;
    // The kind follows the last comma, so a text that holds commas reads back whole.
    const std::size_t last = line.rfind(',');
    if (last == first) continue;
    FoundItem item;
    item.entry = entry;
    item.text = line.substr(first + 1, last - first - 1);
    item.kind = static_cast<FoundItemKind>(std::atoi(line.c_str() + last + 1));
    items_.push_back(std::move(item));
  }
}

bool IgnoreList::SaveIgnoreList() const {
  std::string text;
  for (const FoundItem& item : items_)
    text += item.entry->name + "," + item.text + "," + std::to_string(static_cast<int>(item.kind)) +
            "\r\n";
  return foundation::ReplaceWholeFile(machine_.files(), kIgnoreListFileName, text);
}

bool IgnoreList::IsIgnored(const FoundItem& item) const {
  return std::any_of(items_.begin(), items_.end(), [&](const FoundItem& ignored) {
    return SameItem(ignored, item, machine_.Code());
  });
}

int IgnoreList::RemoveEqual(const FoundItem& item) {
  const auto before = items_.size();
  std::erase_if(items_,
                [&](const FoundItem& ignored) { return SameItem(ignored, item, machine_.Code()); });
  return static_cast<int>(before - items_.size());
}

namespace {

// A list that could not be saved is put back as it was, rows too, so that the page, the
// statistic and the file keep telling the same.
std::optional<int> SavedOrUndone(IgnoreList& list, std::vector<FoundItem> before,
                                 std::vector<FoundItem>& rows, std::vector<FoundItem> kept,
                                 int objectsIgnored) {
  if (!list.SaveIgnoreList()) {
    list.Replace(std::move(before));
    return std::nullopt;
  }
  rows = std::move(kept);
  return objectsIgnored;
}

}  // namespace

std::optional<int> IgnoreTickedResults(IgnoreList& list, std::vector<FoundItem>& rows,
                                       const std::vector<bool>& ticked, int objectsIgnored) {
  std::vector<FoundItem> before = list.Items();
  int count = 0;
  std::vector<FoundItem> kept;
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (row < ticked.size() && ticked[row]) {
      list.Add(rows[row]);
      ++count;
    } else {
      kept.push_back(rows[row]);
    }
  }
  return SavedOrUndone(list, std::move(before), rows, std::move(kept), objectsIgnored + count);
}

std::optional<int> UnignoreTickedRows(IgnoreList& list, std::vector<FoundItem>& rows,
                                      const std::vector<bool>& ticked, int objectsIgnored) {
  std::vector<FoundItem> before = list.Items();
  std::vector<FoundItem> kept;
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (row < ticked.size() && ticked[row]) {
      objectsIgnored = std::max(0, objectsIgnored - list.RemoveEqual(rows[row]));
    } else {
      kept.push_back(rows[row]);
    }
  }
  return SavedOrUndone(list, std::move(before), rows, std::move(kept), objectsIgnored);
}

}  // namespace scan
