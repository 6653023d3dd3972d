#include "platform/registry_index.h"

#include <algorithm>

namespace platform {

const IndexedChildren* RegistryIndex::Children(KeyId parent) const {
  auto found = children_.find(parent);
  return found == children_.end() ? nullptr : &found->second;
}

const IndexedValues* RegistryIndex::Values(KeyId key) const {
  auto found = values_.find(key);
  return found == values_.end() ? nullptr : &found->second;
}

const KeyRow* RegistryIndex::Key(KeyId id) const {
  auto found = keys_.find(id);
  return found == keys_.end() ? nullptr : &found->second;
}

const IndexedChildren& RegistryIndex::PutChildren(
    KeyId parent, std::vector<std::pair<KeyRow, std::string>> rows) {
  rows_ += rows.size() + 1;
  IndexedChildren children;
  children.rows.reserve(rows.size());
  for (auto& [row, lower] : rows) {
    children.longestName = std::max<std::int64_t>(children.longestName, row.name.size());
    children.byLower.emplace(std::move(lower), children.rows.size());
    keys_[row.id] = row;
    children.rows.push_back(std::move(row));
  }
  return children_[parent] = std::move(children);
}

const IndexedValues& RegistryIndex::PutValues(KeyId key,
                                              std::vector<std::pair<ValueRow, std::string>> rows) {
  rows_ += rows.size() + 1;
  IndexedValues values;
  values.rows.reserve(rows.size());
  for (auto& [row, lower] : rows) {
    values.longestName = std::max<std::int64_t>(values.longestName, row.name.size());
    values.longestData = std::max<std::int64_t>(values.longestData, row.data.size());
    values.byLower.emplace(std::move(lower), values.rows.size());
    values.rows.push_back(std::move(row));
  }
  return values_[key] = std::move(values);
}

void RegistryIndex::PutKey(const KeyRow& row) {
  ++rows_;
  keys_[row.id] = row;
}

void RegistryIndex::Clear() {
  children_.clear();
  values_.clear();
  keys_.clear();
  rows_ = 0;
}

}  // namespace platform
