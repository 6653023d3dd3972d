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

int IgnoreTickedResults(IgnoreList& list, std::vector<FoundItem>& rows,
                        const std::vector<bool>& ticked, int objectsIgnored) {
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
  rows = std::move(kept);
  list.SaveIgnoreList();
  return objectsIgnored + count;
}

int UnignoreTickedRows(IgnoreList& list, std::vector<FoundItem>& rows,
                       const std::vector<bool>& ticked, int objectsIgnored) {
  std::vector<FoundItem> kept;
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (row < ticked.size() && ticked[row]) {
      objectsIgnored = std::max(0, objectsIgnored - list.RemoveEqual(rows[row]));
    } else {
      kept.push_back(rows[row]);
    }
  }
  rows = std::move(kept);
  list.SaveIgnoreList();
  return objectsIgnored;
}

}  // namespace scan
