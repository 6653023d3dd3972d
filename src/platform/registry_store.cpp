#include "platform/registry_store.h"

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

void BindText(sqlite3_stmt* statement, int index, const std::string& text) {
  sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

KeyRow ReadKey(sqlite3_stmt* statement) {
  return KeyRow{sqlite3_column_int64(statement, 0), Text(statement, 1),
                sqlite3_column_int(statement, 2) != 0, sqlite3_column_int64(statement, 3)};
}

ValueRow ReadValue(sqlite3_stmt* statement) {
  return ValueRow{Text(statement, 0),
                  static_cast<std::uint32_t>(sqlite3_column_int64(statement, 1)),
                  Text(statement, 2)};
}

// Resets a statement when the query that used it is done.
struct Reset {
  sqlite3_stmt* statement;
  ~Reset() {
    if (statement) {
      sqlite3_reset(statement);
      sqlite3_clear_bindings(statement);
    }
  }
};

}  // namespace

std::unique_ptr<RegistryStore> RegistryStore::Open(const std::string& file, unsigned codePage,
                                                   std::string* error) {
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
  return store;
}

RegistryStore::~RegistryStore() {
  for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
  sqlite3_close(database_);
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
  if (depth_ == 0 && !Execute("BEGIN IMMEDIATE")) return false;
  ++depth_;
  lock_.lock();  // held until Commit or Rollback
  return true;
}

bool RegistryStore::Commit() {
  std::lock_guard guard(lock_);
  bool ok = true;
  if (depth_ == 1) {
    ok = Execute("COMMIT");
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
  sqlite3_stmt* statement = Statement("SELECT id, name, restricted, written FROM keys WHERE id=?");
  Reset reset{statement};
  if (!statement) return std::nullopt;
  sqlite3_bind_int64(statement, 1, id);
  if (sqlite3_step(statement) != SQLITE_ROW) return std::nullopt;
  return ReadKey(statement);
}

std::optional<KeyRow> RegistryStore::Child(KeyId parent, const std::string& lowerName) {
  std::lock_guard guard(lock_);
  sqlite3_stmt* statement =
      Statement("SELECT id, name, restricted, written FROM keys WHERE parent=? AND lower=?");
  Reset reset{statement};
  if (!statement) return std::nullopt;
  sqlite3_bind_int64(statement, 1, parent);
  BindText(statement, 2, lowerName);
  if (sqlite3_step(statement) != SQLITE_ROW) return std::nullopt;
  return ReadKey(statement);
}

std::optional<KeyId> RegistryStore::AddChild(KeyId parent, const std::string& name,
                                             const std::string& lower, std::int64_t now) {
  std::lock_guard guard(lock_);
  sqlite3_stmt* statement =
      Statement("INSERT INTO keys(parent, name, lower, written) VALUES(?, ?, ?, ?)");
  Reset reset{statement};
  if (!statement) return std::nullopt;
  sqlite3_bind_int64(statement, 1, parent);
  BindText(statement, 2, name);
  BindText(statement, 3, lower);
  sqlite3_bind_int64(statement, 4, now);
  if (sqlite3_step(statement) != SQLITE_DONE) return std::nullopt;
  return sqlite3_last_insert_rowid(database_);
}

std::vector<KeyRow> RegistryStore::Children(KeyId parent) {
  std::lock_guard guard(lock_);
  sqlite3_stmt* statement =
      Statement("SELECT id, name, restricted, written FROM keys WHERE parent=? ORDER BY lower");
  Reset reset{statement};
  std::vector<KeyRow> rows;
  if (!statement) return rows;
  sqlite3_bind_int64(statement, 1, parent);
  while (sqlite3_step(statement) == SQLITE_ROW) rows.push_back(ReadKey(statement));
  return rows;
}

std::optional<KeyRow> RegistryStore::ChildAt(KeyId parent, std::int64_t index) {
  std::lock_guard guard(lock_);
  sqlite3_stmt* statement = Statement(
      "SELECT id, name, restricted, written FROM keys WHERE parent=? ORDER BY lower "
      "LIMIT 1 OFFSET ?");
  Reset reset{statement};
  if (!statement) return std::nullopt;
  sqlite3_bind_int64(statement, 1, parent);
  sqlite3_bind_int64(statement, 2, index);
  if (sqlite3_step(statement) != SQLITE_ROW) return std::nullopt;
  return ReadKey(statement);
}

std::int64_t RegistryStore::ChildCount(KeyId parent) {
  std::lock_guard guard(lock_);
  sqlite3_stmt* statement = Statement("SELECT count(*) FROM keys WHERE parent=?");
  Reset reset{statement};
  if (!statement) return 0;
  sqlite3_bind_int64(statement, 1, parent);
  return sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : 0;
}

bool RegistryStore::RemoveKey(KeyId id) {
  std::lock_guard guard(lock_);
  sqlite3_stmt* values = Statement("DELETE FROM vals WHERE key=?");
  sqlite3_stmt* key = Statement("DELETE FROM keys WHERE id=?");
  Reset resetValues{values}, resetKey{key};
  if (!values || !key) return false;
  sqlite3_bind_int64(values, 1, id);
  sqlite3_bind_int64(key, 1, id);
  return sqlite3_step(values) == SQLITE_DONE && sqlite3_step(key) == SQLITE_DONE;
}

bool RegistryStore::SetRestricted(KeyId id, bool restricted) {
  std::lock_guard guard(lock_);
  sqlite3_stmt* statement = Statement("UPDATE keys SET restricted=? WHERE id=?");
  Reset reset{statement};
  if (!statement) return false;
  sqlite3_bind_int(statement, 1, restricted ? 1 : 0);
  sqlite3_bind_int64(statement, 2, id);
  return sqlite3_step(statement) == SQLITE_DONE && sqlite3_changes(database_) == 1;
}

bool RegistryStore::Touch(KeyId id, std::int64_t now) {
  std::lock_guard guard(lock_);
  sqlite3_stmt* statement = Statement("UPDATE keys SET written=? WHERE id=?");
  Reset reset{statement};
  if (!statement) return false;
  sqlite3_bind_int64(statement, 1, now);
  sqlite3_bind_int64(statement, 2, id);
  return sqlite3_step(statement) == SQLITE_DONE;
}

std::optional<ValueRow> RegistryStore::Value(KeyId key, const std::string& lowerName) {
  std::lock_guard guard(lock_);
  sqlite3_stmt* statement = Statement("SELECT name, type, data FROM vals WHERE key=? AND lower=?");
  Reset reset{statement};
  if (!statement) return std::nullopt;
  sqlite3_bind_int64(statement, 1, key);
  BindText(statement, 2, lowerName);
  if (sqlite3_step(statement) != SQLITE_ROW) return std::nullopt;
  return ReadValue(statement);
}

std::optional<ValueRow> RegistryStore::ValueAt(KeyId key, std::int64_t index) {
  std::lock_guard guard(lock_);
  sqlite3_stmt* statement =
      Statement("SELECT name, type, data FROM vals WHERE key=? ORDER BY seq LIMIT 1 OFFSET ?");
  Reset reset{statement};
  if (!statement) return std::nullopt;
  sqlite3_bind_int64(statement, 1, key);
  sqlite3_bind_int64(statement, 2, index);
  if (sqlite3_step(statement) != SQLITE_ROW) return std::nullopt;
  return ReadValue(statement);
}

std::vector<ValueRow> RegistryStore::Values(KeyId key) {
  std::lock_guard guard(lock_);
  sqlite3_stmt* statement = Statement("SELECT name, type, data FROM vals WHERE key=? ORDER BY seq");
  Reset reset{statement};
  std::vector<ValueRow> rows;
  if (!statement) return rows;
  sqlite3_bind_int64(statement, 1, key);
  while (sqlite3_step(statement) == SQLITE_ROW) rows.push_back(ReadValue(statement));
  return rows;
}

bool RegistryStore::SetValue(KeyId key, const std::string& name, const std::string& lower,
                             std::uint32_t type, const std::string& data) {
  std::lock_guard guard(lock_);
  // An existing value keeps its place in the order; a new one goes last.
  sqlite3_stmt* update =
      Statement("UPDATE vals SET name=?, type=?, data=? WHERE key=? AND lower=?");
  Reset resetUpdate{update};
  if (!update) return false;
  BindText(update, 1, name);
  sqlite3_bind_int64(update, 2, type);
  sqlite3_bind_blob(update, 3, data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
  sqlite3_bind_int64(update, 4, key);
  BindText(update, 5, lower);
  if (sqlite3_step(update) != SQLITE_DONE) return false;
  if (sqlite3_changes(database_) > 0) return true;
  sqlite3_stmt* insert = Statement(
      "INSERT INTO vals(key, seq, name, lower, type, data) VALUES(?1, "
      "(SELECT coalesce(max(seq), 0) + 1 FROM vals WHERE key=?1), ?2, ?3, ?4, ?5)");
  Reset resetInsert{insert};
  if (!insert) return false;
  sqlite3_bind_int64(insert, 1, key);
  BindText(insert, 2, name);
  BindText(insert, 3, lower);
  sqlite3_bind_int64(insert, 4, type);
  sqlite3_bind_blob(insert, 5, data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
  return sqlite3_step(insert) == SQLITE_DONE;
}

bool RegistryStore::RemoveValue(KeyId key, const std::string& lowerName) {
  std::lock_guard guard(lock_);
  sqlite3_stmt* statement = Statement("DELETE FROM vals WHERE key=? AND lower=?");
  Reset reset{statement};
  if (!statement) return false;
  sqlite3_bind_int64(statement, 1, key);
  BindText(statement, 2, lowerName);
  return sqlite3_step(statement) == SQLITE_DONE && sqlite3_changes(database_) > 0;
}

RegistryStore::Sizes RegistryStore::Measure(KeyId key) {
  std::lock_guard guard(lock_);
  Sizes sizes;
  sqlite3_stmt* keys = Statement(
      "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0) FROM keys "
      "WHERE parent=?");
  sqlite3_stmt* values = Statement(
      "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0), "
      "coalesce(max(length(data)), 0) FROM vals WHERE key=?");
  Reset resetKeys{keys}, resetValues{values};
  if (!keys || !values) return sizes;
  sqlite3_bind_int64(keys, 1, key);
  sqlite3_bind_int64(values, 1, key);
  if (sqlite3_step(keys) == SQLITE_ROW) {
    sizes.subKeys = sqlite3_column_int64(keys, 0);
    sizes.longestSubKey = sqlite3_column_int64(keys, 1);
  }
  if (sqlite3_step(values) == SQLITE_ROW) {
    sizes.values = sqlite3_column_int64(values, 0);
    sizes.longestValueName = sqlite3_column_int64(values, 1);
    sizes.longestData = sqlite3_column_int64(values, 2);
  }
  return sizes;
}

}  // namespace platform
