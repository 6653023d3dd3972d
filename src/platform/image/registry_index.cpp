#include "platform/image/registry_index.h"

#include <algorithm>
#include <numeric>

namespace platform {

namespace {

// Below this many values a key's list is searched one by one.
constexpr std::size_t kValuesSearchedInOrder = 8;

}  // namespace

const KeyRow* IndexedChildren::Find(const std::string& lowerName) const {
  auto found = std::lower_bound(lower.begin(), lower.end(), lowerName);
  if (found == lower.end() || *found != lowerName) return nullptr;
  return &rows[found - lower.begin()];
}

const ValueRow* IndexedValues::Find(const std::string& lowerName) const {
  if (byName.empty()) {
    auto found = std::find(lower.begin(), lower.end(), lowerName);
    return found == lower.end() ? nullptr : &rows[found - lower.begin()];
  }
  auto found = std::lower_bound(
      byName.begin(), byName.end(), lowerName,
      [this](std::uint32_t place, const std::string& name) { return lower[place] < name; });
  if (found == byName.end() || lower[*found] != lowerName) return nullptr;
  return &rows[*found];
}

const IndexedChildren* RegistryIndex::Children(KeyId parent) const {
  auto found = children_.find(parent);
  return found == children_.end() ? nullptr : &found->second;
}

const IndexedValues* RegistryIndex::Values(KeyId key) const {
  auto found = values_.find(key);
  return found == values_.end() ? nullptr : &found->second;
}

const KeyRow* RegistryIndex::Key(KeyId id) const {
  if (auto found = keys_.find(id); found != keys_.end()) return found->second;
  auto alone = keysAlone_.find(id);
  return alone == keysAlone_.end() ? nullptr : &alone->second;
}

const IndexedChildren& RegistryIndex::PutChildren(
    KeyId parent, std::vector<std::pair<KeyRow, std::string>> rows) {
  rows_ += rows.size();
  // The store reads them in this order already; a binary search must be able to rely on it.
  std::stable_sort(rows.begin(), rows.end(),
                   [](const auto& a, const auto& b) { return a.second < b.second; });
  IndexedChildren& children = children_[parent];
  for (const KeyRow& old : children.rows) keys_.erase(old.id);  // no pointer outlives its row
  children = IndexedChildren{};
  children.rows.reserve(rows.size());
  children.lower.reserve(rows.size());
  for (auto& [row, lower] : rows) {
    children.longestName = std::max<std::int64_t>(children.longestName, row.name.size());
    children.lower.push_back(std::move(lower));
    children.rows.push_back(std::move(row));
  }
  for (const KeyRow& row : children.rows) keys_[row.id] = &row;
  return children;
}

const IndexedValues& RegistryIndex::PutValues(KeyId key,
                                              std::vector<std::pair<ValueRow, std::string>> rows) {
  rows_ += rows.size();
  IndexedValues values;
  values.rows.reserve(rows.size());
  values.lower.reserve(rows.size());
  for (auto& [row, lower] : rows) {
    values.longestName = std::max<std::int64_t>(values.longestName, row.name.size());
    values.longestData = std::max<std::int64_t>(values.longestData, row.data.size());
    values.lower.push_back(std::move(lower));
    values.rows.push_back(std::move(row));
  }
  if (values.rows.size() > kValuesSearchedInOrder) {
    values.byName.resize(values.rows.size());
    std::iota(values.byName.begin(), values.byName.end(), 0u);
    // Stable, so that of names equal without regard to case the first one is found.
    std::stable_sort(
        values.byName.begin(), values.byName.end(),
        [&](std::uint32_t a, std::uint32_t b) { return values.lower[a] < values.lower[b]; });
  }
  return values_[key] = std::move(values);
}

void RegistryIndex::PutKey(const KeyRow& row) {
  ++rows_;
  keysAlone_[row.id] = row;
}

void RegistryIndex::Clear() {
  keys_.clear();
  keysAlone_.clear();
  children_.clear();
  values_.clear();
  rows_ = 0;
}

}  // namespace platform
