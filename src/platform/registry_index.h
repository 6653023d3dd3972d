// The registry as far as this process has read it: a key's sub keys and values, loaded a whole
// key at a time and kept until the database changes. It knows nothing of freshness; the store
// empties it when a commit is seen.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform {

using KeyId = std::int64_t;

struct KeyRow {
  KeyId id = 0;
  std::string name;
  bool restricted = false;
  std::int64_t written = 0;  // FILETIME of the last change
};

struct ValueRow {
  std::string name;
  std::uint32_t type = 0;
  std::string data;
};

// One key's sub keys in lower-cased name order, found by lower-cased name.
struct IndexedChildren {
  std::vector<KeyRow> rows;
  std::unordered_map<std::string, std::size_t> byLower;
  std::int64_t longestName = 0;  // in bytes
};

// One key's values in creation order, found by lower-cased name.
struct IndexedValues {
  std::vector<ValueRow> rows;
  std::unordered_map<std::string, std::size_t> byLower;
  std::int64_t longestName = 0, longestData = 0;
};

class RegistryIndex {
 public:
  // Past this many rows the index starts again rather than hold a whole large registry.
  static constexpr std::size_t kMostRows = 300'000;

  const IndexedChildren* Children(KeyId parent) const;
  const IndexedValues* Values(KeyId key) const;
  const KeyRow* Key(KeyId id) const;

  // rows paired with their lower-cased names; the rows become known by id as well.
  const IndexedChildren& PutChildren(KeyId parent,
                                     std::vector<std::pair<KeyRow, std::string>> rows);
  const IndexedValues& PutValues(KeyId key, std::vector<std::pair<ValueRow, std::string>> rows);
  void PutKey(const KeyRow& row);

  void Clear();
  // Past kMostRows; emptied by the store between calls, never while a call holds its rows.
  bool Full() const { return rows_ > kMostRows; }

 private:
  std::unordered_map<KeyId, IndexedChildren> children_;
  std::unordered_map<KeyId, IndexedValues> values_;
  std::unordered_map<KeyId, KeyRow> keys_;
  std::size_t rows_ = 0;
};

}  // namespace platform
