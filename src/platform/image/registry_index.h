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
  std::vector<std::string> lower;  // of each row, so in ascending order
  std::int64_t longestName = 0;    // in bytes

  const KeyRow* Find(const std::string& lowerName) const;
};

// One key's values in creation order, found by lower-cased name.
struct IndexedValues {
  std::vector<ValueRow> rows;
  std::vector<std::string> lower;  // of each row
  // Places of the rows in order of their lower-cased names; left empty for a few rows,
  // which are searched one by one.
  std::vector<std::uint32_t> byName;
  std::int64_t longestName = 0, longestData = 0;

  const ValueRow* Find(const std::string& lowerName) const;
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
  // Keys by id: those inside a loaded list point into it, those read alone are kept here.
  std::unordered_map<KeyId, const KeyRow*> keys_;
  std::unordered_map<KeyId, KeyRow> keysAlone_;
  std::size_t rows_ = 0;
};

}  // namespace platform
