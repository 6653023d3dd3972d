// The registry's storage: one SQLite database in WAL mode that every process of an image
// shares. Keys are rows with a parent, the name as written and its lower-cased form; values
// belong to a key and keep their creation order.
//
// Reads outside this connection's own transactions are served from an in-process index
// (RegistryIndex), filled a key at a time by single statements; before each call (once for a
// ReadSnapshot) the WAL index header is looked at (CommitWatch), and any commit since the index
// was filled, by any connection, empties it. A fill runs after that look, so it holds at least
// what was committed then; anything committed later changes the header and empties the index
// at the next look. While a writer is rewriting the header, reads go to SQLite.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/image/commit_watch.h"
#include "platform/image/registry_index.h"

namespace platform {

inline constexpr KeyId kLocalMachineKey = 1;
inline constexpr KeyId kUsersKey = 2;

class RegistryStore {
 public:
  // Opens (and on first use creates) the database. The code page that folds key and value
  // names is fixed when the database is created; codePage is used only then.
  static std::unique_ptr<RegistryStore> Open(const std::string& file, unsigned codePage,
                                             std::string* error);
  ~RegistryStore();
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  unsigned CodePageNumber() const { return codePage_; }

  // Every call below takes the store's lock; a transaction holds it across calls of the
  // thread that began it. Writes outside a transaction commit at once.
  std::recursive_mutex& Lock() { return lock_; }
  bool Begin();  // BEGIN IMMEDIATE, or a nested level
  bool Commit();
  void Rollback();

  // Several reads as one call: the index is checked once for all of them; where it cannot be
  // used they run under one SQLite snapshot, so the database is locked once for all of them
  // rather than once a statement. Inside a transaction it does nothing.
  class ReadSnapshot {
   public:
    explicit ReadSnapshot(RegistryStore& store);
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

   private:
    RegistryStore& store_;
    bool began_ = false;
  };

  std::optional<KeyRow> Key(KeyId id);
  std::optional<KeyId> Parent(KeyId id);  // 0 for the stored roots
  std::optional<KeyRow> Child(KeyId parent, const std::string& lowerName);
  std::optional<KeyId> AddChild(KeyId parent, const std::string& name, const std::string& lower,
                                std::int64_t now);
  std::vector<KeyRow> Children(KeyId parent);  // in lower-cased name order
  std::optional<KeyRow> ChildAt(KeyId parent, std::int64_t index);
  std::int64_t ChildCount(KeyId parent);
  bool RemoveKey(KeyId id);
  bool SetRestricted(KeyId id, bool restricted);
  bool Touch(KeyId id, std::int64_t now);

  std::optional<ValueRow> Value(KeyId key, const std::string& lowerName);
  std::optional<ValueRow> ValueAt(KeyId key, std::int64_t index);
  std::vector<ValueRow> Values(KeyId key);
  bool SetValue(KeyId key, const std::string& name, const std::string& lower, std::uint32_t type,
                const std::string& data);
  bool RemoveValue(KeyId key, const std::string& lowerName);  // false when there was none

  // Longest name and data of the values, and the longest sub key name.
  struct Sizes {
    std::int64_t subKeys = 0, longestSubKey = 0, values = 0, longestValueName = 0, longestData = 0;
  };
  Sizes Measure(KeyId key);

  std::string LastError() const;

 private:
  RegistryStore(sqlite3* database, unsigned codePage) : database_(database), codePage_(codePage) {}
  // Whether this read may use the index, emptying it when something was committed since it
  // was filled.
  bool IndexUsable();
  bool IndexIsFresh();
  // A key's sub keys or values in the index, loaded when missing; null when they cannot be read.
  const IndexedChildren* ChildrenInIndex(KeyId parent);
  const IndexedValues* ValuesInIndex(KeyId key);
  // Every write empties the index: what it held may be what the write changed.
  void Changing() { index_.Clear(); }
  // A statement of the outermost transaction failed: SQLite may have rolled the transaction
  // back already, so a further write would be committed on its own; none is made.
  bool Failed() const { return depth_ > 0 && errors_ > 0; }
  sqlite3_stmt* Statement(const char* sql);
  bool Execute(const char* sql);

  sqlite3* database_;
  unsigned codePage_;
  std::recursive_mutex lock_;  // guards everything below
  std::map<const char*, sqlite3_stmt*> statements_;
  int depth_ = 0;   // nesting of Begin
  int errors_ = 0;  // statements that failed in the outermost transaction
  std::unique_ptr<CommitWatch> watch_;
  RegistryIndex index_;
  std::optional<CommitWatch::Stamp> indexed_;  // the header when the index was last found fresh
  int snapshots_ = 0;                          // nesting of ReadSnapshot
  bool snapshotIndexed_ = false;  // whether the outermost ReadSnapshot found the index usable
};

}  // namespace platform
