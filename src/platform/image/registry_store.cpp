#include "platform/image/registry_store.h"

#include "platform/image/host_calls.h"

namespace platform {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS meta(name TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS keys(
  id INTEGER PRIMARY KEY,
  parent INTEGER NOT NULL,
  name TEXT NOT NULL,
  lower TEXT NOT NULL,
  restricted INTEGER NOT NULL DEFAULT 0,
  written INTEGER NOT NULL DEFAULT 0,
  UNIQUE(parent, lower));
CREATE TABLE IF NOT EXISTS vals(
  key INTEGER NOT NULL,
  seq INTEGER NOT NULL,
  name TEXT NOT NULL,
  lower TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(key, lower));
CREATE INDEX IF NOT EXISTS vals_order ON vals(key, seq);
INSERT OR IGNORE INTO keys(id, parent, name, lower) VALUES
  (1, 0, 'HKEY_LOCAL_MACHINE', 'hkey_local_machine'),
  (2, 0, 'HKEY_USERS', 'hkey_users');
)sql";

std::string Text(sqlite3_stmt* statement, int column) {
  const void* bytes = sqlite3_column_blob(statement, column);
  int size = sqlite3_column_bytes(statement, column);
  return bytes ? std::string(static_cast<const char*>(bytes), size) : std::string();
}

KeyRow ReadKey(sqlite3_stmt* statement) {
  return KeyRow{sqlite3_column_int64(statement, 0), Text(statement, 1),
                sqlite3_column_int(statement, 2) != 0, sqlite3_column_int64(statement, 3)};
}

// name, type and data from the given column on.
ValueRow ReadValue(sqlite3_stmt* statement, int first = 0) {
  return ValueRow{Text(statement, first),
                  static_cast<std::uint32_t>(sqlite3_column_int64(statement, first + 1)),
                  Text(statement, first + 2)};
}

// Value data is bound as bytes, names as text.
struct Blob {
  const std::string& bytes;
};

// One use of a prepared statement: bound on construction, reset when it goes out of scope.
// A statement that cannot run (a failed read or write of the database, a full disk) is
// counted in errors, so that the transaction it belongs to is not committed.
class Query {
 public:
  template <typename... Args>
  Query(int& errors, sqlite3_stmt* statement, const Args&... args)
      : errors_(errors), statement_(statement) {
    int index = 0;
    if (statement_) (Bind(++index, args), ...);
    if (!statement_) ++errors_;
  }
  ~Query() {
    if (statement_) {
      sqlite3_reset(statement_);
      sqlite3_clear_bindings(statement_);
    }
  }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  bool Row() { return Step() == SQLITE_ROW; }
  bool Done() { return Step() == SQLITE_DONE; }
  sqlite3_stmt* Statement() const { return statement_; }

  int Step() {
    const int result = statement_ ? sqlite3_step(statement_) : SQLITE_MISUSE;
    if (result != SQLITE_ROW && result != SQLITE_DONE) ++errors_;
    return result;
  }

 private:
  void Bind(int index, std::int64_t value) { sqlite3_bind_int64(statement_, index, value); }
  void Bind(int index, std::uint32_t value) { sqlite3_bind_int64(statement_, index, value); }
  void Bind(int index, bool value) { sqlite3_bind_int(statement_, index, value ? 1 : 0); }
  void Bind(int index, const std::string& text) {
    sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
  }
  void Bind(int index, const Blob& blob) {
    sqlite3_bind_blob(statement_, index, blob.bytes.data(), static_cast<int>(blob.bytes.size()),
                      SQLITE_TRANSIENT);
  }

  int& errors_;
  sqlite3_stmt* statement_;
};

}  // namespace

std::unique_ptr<RegistryStore> RegistryStore::Open(const std::string& file, unsigned codePage,
                                                   std::string* error) {
  RouteSqliteThroughHost();
  sqlite3* database = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(file.c_str(), &database, flags, nullptr) != SQLITE_OK) {
    if (error) *error = database ? sqlite3_errmsg(database) : "cannot open " + file;
    sqlite3_close(database);
    return nullptr;
  }
  sqlite3_busy_timeout(database, 60000);
  std::unique_ptr<RegistryStore> store(new RegistryStore(database, codePage));
  // WAL lets readers go on while one process writes; the schema is made in one step.
  if (!store->Execute("PRAGMA journal_mode=WAL") || !store->Execute("PRAGMA synchronous=NORMAL") ||
      !store->Execute("BEGIN IMMEDIATE") || !store->Execute(kSchema)) {
    if (error) *error = store->LastError();
    return nullptr;
  }
  sqlite3_stmt* read = store->Statement("SELECT value FROM meta WHERE name='codepage'");
  if (read && sqlite3_step(read) == SQLITE_ROW) {
    store->codePage_ = static_cast<unsigned>(std::stoul(Text(read, 0)));
  } else {
    std::string sql = "INSERT INTO meta VALUES('codepage','" + std::to_string(codePage) + "')";
    store->Execute(sql.c_str());
  }
  if (read) sqlite3_reset(read);
  if (!store->Execute("COMMIT")) {
    if (error) *error = store->LastError();
    return nullptr;
  }
  store->watch_ = std::make_unique<CommitWatch>(file);
  return store;
}

RegistryStore::~RegistryStore() {
  for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
  sqlite3_close(database_);
  watch_.reset();  // after the connection let go of its locks on the file watched
}

std::string RegistryStore::LastError() const {
  return sqlite3_errmsg(database_);
}

bool RegistryStore::Execute(const char* sql) {
  return sqlite3_exec(database_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

sqlite3_stmt* RegistryStore::Statement(const char* sql) {
  auto found = statements_.find(sql);
  if (found != statements_.end()) return found->second;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v3(database_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
      SQLITE_OK)
    return nullptr;
  statements_[sql] = statement;
  return statement;
}

bool RegistryStore::Begin() {
  std::lock_guard guard(lock_);
  if (depth_ == 0) {
    if (!Execute("BEGIN IMMEDIATE")) return false;
    errors_ = 0;
  }
  ++depth_;
  lock_.lock();  // held until Commit or Rollback
  return true;
}

RegistryStore::ReadSnapshot::ReadSnapshot(RegistryStore& store) : store_(store) {
  store_.lock_.lock();
  if (store_.snapshots_++ > 0 || store_.depth_ > 0) return;
  store_.snapshotIndexed_ = store_.IndexIsFresh();
  began_ = !store_.snapshotIndexed_ && sqlite3_get_autocommit(store_.database_) &&
           store_.Execute("BEGIN");
}

RegistryStore::ReadSnapshot::~ReadSnapshot() {
  if (began_ && !store_.Execute("COMMIT")) store_.Execute("ROLLBACK");
  if (--store_.snapshots_ == 0) store_.snapshotIndexed_ = false;
  store_.lock_.unlock();
}

bool RegistryStore::IndexIsFresh() {
  if (!watch_) return false;
  const std::optional<CommitWatch::Stamp> now = watch_->Now();
  if (!now) return false;  // a commit is being published: read what SQLite says
  if (now != indexed_ || index_.Full()) {
    index_.Clear();
    indexed_ = now;
  }
  return true;
}

bool RegistryStore::IndexUsable() {
  if (depth_ > 0) return false;  // this connection's own uncommitted writes are in SQLite alone
  return snapshots_ > 0 ? snapshotIndexed_ : IndexIsFresh();
}

const IndexedChildren* RegistryStore::ChildrenInIndex(KeyId parent) {
  if (const IndexedChildren* known = index_.Children(parent)) return known;
  Query query(errors_,
              Statement("SELECT id, name, restricted, written, lower FROM keys WHERE parent=? "
                        "ORDER BY lower"),
              parent);
  std::vector<std::pair<KeyRow, std::string>> rows;
  int step;
  while ((step = query.Step()) == SQLITE_ROW)
    rows.emplace_back(ReadKey(query.Statement()), Text(query.Statement(), 4));
  if (step != SQLITE_DONE) return nullptr;
  // The sub keys' values come along in the same look: a key is mostly opened to read them.
  Query values(errors_,
               Statement("SELECT v.key, v.name, v.type, v.data, v.lower FROM vals v JOIN keys k "
                         "ON v.key = k.id WHERE k.parent=? ORDER BY v.key, v.seq"),
               parent);
  std::map<KeyId, std::vector<std::pair<ValueRow, std::string>>> valuesOf;
  for (const auto& [row, lower] : rows) valuesOf[row.id];
  while ((step = values.Step()) == SQLITE_ROW) {
    sqlite3_stmt* statement = values.Statement();
    valuesOf[sqlite3_column_int64(statement, 0)].emplace_back(ReadValue(statement, 1),
                                                              Text(statement, 4));
  }
  if (step == SQLITE_DONE) {
    for (auto& [key, list] : valuesOf) index_.PutValues(key, std::move(list));
  }
  return &index_.PutChildren(parent, std::move(rows));
}

const IndexedValues* RegistryStore::ValuesInIndex(KeyId key) {
  if (const IndexedValues* known = index_.Values(key)) return known;
  Query query(errors_,
              Statement("SELECT name, type, data, lower FROM vals WHERE key=? ORDER BY seq"), key);
  std::vector<std::pair<ValueRow, std::string>> rows;
  int step;
  while ((step = query.Step()) == SQLITE_ROW)
    rows.emplace_back(ReadValue(query.Statement()), Text(query.Statement(), 3));
  if (step != SQLITE_DONE) return nullptr;
  return &index_.PutValues(key, std::move(rows));
}

bool RegistryStore::Commit() {
  std::lock_guard guard(lock_);
  bool ok = true;
  if (depth_ == 1) {
    // A read that failed inside the transaction may have been taken for a missing key: what
    // was decided on it is not committed.
    ok = errors_ == 0 && Execute("COMMIT");
    if (!ok) Execute("ROLLBACK");
  }
  if (depth_ > 0) {
    --depth_;
    lock_.unlock();
  }
  return ok;
}

void RegistryStore::Rollback() {
  std::lock_guard guard(lock_);
  if (depth_ == 0) return;
  // A failure anywhere abandons the whole outermost transaction.
  if (depth_ == 1) Execute("ROLLBACK");
  --depth_;
  lock_.unlock();
}

std::optional<KeyRow> RegistryStore::Key(KeyId id) {
  std::lock_guard guard(lock_);
  const bool indexed = IndexUsable();
  if (indexed) {
    if (const KeyRow* row = index_.Key(id)) return *row;
  }
  Query query(errors_, Statement("SELECT id, name, restricted, written FROM keys WHERE id=?"), id);
  if (!query.Row()) return std::nullopt;
  KeyRow row = ReadKey(query.Statement());
  if (indexed) index_.PutKey(row);
  return row;
}

std::optional<KeyId> RegistryStore::Parent(KeyId id) {
  std::lock_guard guard(lock_);
  Query query(errors_, Statement("SELECT parent FROM keys WHERE id=?"), id);
  if (!query.Row()) return std::nullopt;
  return sqlite3_column_int64(query.Statement(), 0);
}

std::optional<KeyRow> RegistryStore::Child(KeyId parent, const std::string& lowerName) {
  std::lock_guard guard(lock_);
  if (const IndexedChildren* children = IndexUsable() ? ChildrenInIndex(parent) : nullptr) {
    const KeyRow* found = children->Find(lowerName);
    return found ? std::optional(*found) : std::nullopt;
  }
  Query query(
      errors_,
      Statement("SELECT id, name, restricted, written FROM keys WHERE parent=? AND lower=?"),
      parent, lowerName);
  return query.Row() ? std::optional(ReadKey(query.Statement())) : std::nullopt;
}

std::optional<KeyId> RegistryStore::AddChild(KeyId parent, const std::string& name,
                                             const std::string& lower, std::int64_t now) {
  std::lock_guard guard(lock_);
  Changing();
  if (Failed()) return std::nullopt;
  Query query(errors_,
              Statement("INSERT INTO keys(parent, name, lower, written) VALUES(?, ?, ?, ?)"),
              parent, name, lower, now);
  if (!query.Done()) return std::nullopt;
  return sqlite3_last_insert_rowid(database_);
}

std::vector<KeyRow> RegistryStore::Children(KeyId parent) {
  std::lock_guard guard(lock_);
  if (const IndexedChildren* children = IndexUsable() ? ChildrenInIndex(parent) : nullptr)
    return children->rows;
  Query query(
      errors_,
      Statement("SELECT id, name, restricted, written FROM keys WHERE parent=? ORDER BY lower"),
      parent);
  std::vector<KeyRow> rows;
  while (query.Row()) rows.push_back(ReadKey(query.Statement()));
  return rows;
}

std::optional<KeyRow> RegistryStore::ChildAt(KeyId parent, std::int64_t index) {
  std::lock_guard guard(lock_);
  if (const IndexedChildren* children = IndexUsable() ? ChildrenInIndex(parent) : nullptr) {
    if (index < 0 || index >= static_cast<std::int64_t>(children->rows.size())) return std::nullopt;
    return children->rows[index];
  }
  Query query(errors_,
              Statement("SELECT id, name, restricted, written FROM keys WHERE parent=? "
                        "ORDER BY lower LIMIT 1 OFFSET ?"),
              parent, index);
  return query.Row() ? std::optional(ReadKey(query.Statement())) : std::nullopt;
}

std::int64_t RegistryStore::ChildCount(KeyId parent) {
  std::lock_guard guard(lock_);
  if (const IndexedChildren* children = IndexUsable() ? ChildrenInIndex(parent) : nullptr)
    return static_cast<std::int64_t>(children->rows.size());
  Query query(errors_, Statement("SELECT count(*) FROM keys WHERE parent=?"), parent);
  return query.Row() ? sqlite3_column_int64(query.Statement(), 0) : 0;
}

bool RegistryStore::RemoveKey(KeyId id) {
  std::lock_guard guard(lock_);
  Changing();
  if (Failed()) return false;
  Query values(errors_, Statement("DELETE FROM vals WHERE key=?"), id);
  Query key(errors_, Statement("DELETE FROM keys WHERE id=?"), id);
  return values.Done() && key.Done();
}

bool RegistryStore::SetRestricted(KeyId id, bool restricted) {
  std::lock_guard guard(lock_);
  Changing();
  if (Failed()) return false;
  Query query(errors_, Statement("UPDATE keys SET restricted=? WHERE id=?"), restricted, id);
  return query.Done() && sqlite3_changes(database_) == 1;
}

bool RegistryStore::Touch(KeyId id, std::int64_t now) {
  std::lock_guard guard(lock_);
  Changing();
  if (Failed()) return false;
  Query query(errors_, Statement("UPDATE keys SET written=? WHERE id=?"), now, id);
  return query.Done();
}

std::optional<ValueRow> RegistryStore::Value(KeyId key, const std::string& lowerName) {
  std::lock_guard guard(lock_);
  if (const IndexedValues* values = IndexUsable() ? ValuesInIndex(key) : nullptr) {
    const ValueRow* found = values->Find(lowerName);
    return found ? std::optional(*found) : std::nullopt;
  }
  Query query(errors_, Statement("SELECT name, type, data FROM vals WHERE key=? AND lower=?"), key,
              lowerName);
  return query.Row() ? std::optional(ReadValue(query.Statement())) : std::nullopt;
}

std::optional<ValueRow> RegistryStore::ValueAt(KeyId key, std::int64_t index) {
  std::lock_guard guard(lock_);
  if (const IndexedValues* values = IndexUsable() ? ValuesInIndex(key) : nullptr) {
    if (index < 0 || index >= static_cast<std::int64_t>(values->rows.size())) return std::nullopt;
    return values->rows[index];
  }
  Query query(
      errors_,
      Statement("SELECT name, type, data FROM vals WHERE key=? ORDER BY seq LIMIT 1 OFFSET ?"), key,
      index);
  return query.Row() ? std::optional(ReadValue(query.Statement())) : std::nullopt;
}

std::vector<ValueRow> RegistryStore::Values(KeyId key) {
  std::lock_guard guard(lock_);
  if (const IndexedValues* values = IndexUsable() ? ValuesInIndex(key) : nullptr)
    return values->rows;
  Query query(errors_, Statement("SELECT name, type, data FROM vals WHERE key=? ORDER BY seq"),
              key);
  std::vector<ValueRow> rows;
  while (query.Row()) rows.push_back(ReadValue(query.Statement()));
  return rows;
}

bool RegistryStore::SetValue(KeyId key, const std::string& name, const std::string& lower,
                             std::uint32_t type, const std::string& data) {
  std::lock_guard guard(lock_);
  Changing();
  if (Failed()) return false;
  // An existing value keeps its place in the order; a new one goes last.
  {
    Query update(errors_,
                 Statement("UPDATE vals SET name=?, type=?, data=? WHERE key=? AND lower=?"), name,
                 type, Blob{data}, key, lower);
    if (!update.Done()) return false;
    if (sqlite3_changes(database_) > 0) return true;
  }
  Query insert(errors_,
               Statement("INSERT INTO vals(key, seq, name, lower, type, data) VALUES(?1, "
                         "(SELECT coalesce(max(seq), 0) + 1 FROM vals WHERE key=?1), ?2, ?3, ?4, "
                         "?5)"),
               key, name, lower, type, Blob{data});
  return insert.Done();
}

bool RegistryStore::RemoveValue(KeyId key, const std::string& lowerName) {
  std::lock_guard guard(lock_);
  Changing();
  if (Failed()) return false;
  Query query(errors_, Statement("DELETE FROM vals WHERE key=? AND lower=?"), key, lowerName);
  return query.Done() && sqlite3_changes(database_) > 0;
}

RegistryStore::Sizes RegistryStore::Measure(KeyId key) {
  std::lock_guard guard(lock_);
  Sizes sizes;
  if (IndexUsable()) {
    const IndexedChildren* children = ChildrenInIndex(key);
    const IndexedValues* values = children ? ValuesInIndex(key) : nullptr;
    if (values) {
      sizes.subKeys = static_cast<std::int64_t>(children->rows.size());
      sizes.longestSubKey = children->longestName;
      sizes.values = static_cast<std::int64_t>(values->rows.size());
      sizes.longestValueName = values->longestName;
      sizes.longestData = values->longestData;
      return sizes;
    }
  }
  Query keys(errors_,
             Statement("SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0) FROM keys "
                       "WHERE parent=?"),
             key);
  Query values(errors_,
               Statement("SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0), "
                         "coalesce(max(length(data)), 0) FROM vals WHERE key=?"),
               key);
  if (keys.Row()) {
    sizes.subKeys = sqlite3_column_int64(keys.Statement(), 0);
    sizes.longestSubKey = sqlite3_column_int64(keys.Statement(), 1);
  }
  if (values.Row()) {
    sizes.values = sqlite3_column_int64(values.Statement(), 0);
    sizes.longestValueName = sqlite3_column_int64(values.Statement(), 1);
    sizes.longestData = sqlite3_column_int64(values.Statement(), 2);
  }
  return sizes;
}

}  // namespace platform
