#include "sqlite_storage.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quorvel::service {
namespace {

[[noreturn]] void fail(sqlite3* db, const std::string& what) {
  throw StorageError(what + ": " + (db ? sqlite3_errmsg(db) : "sem conexão"));
}

void exec(sqlite3* db, const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : "erro";
    sqlite3_free(message);
    throw StorageError(std::string("SQLite: ") + text + " (" + sql + ")");
  }
}

// A prepared statement freed with its scope.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) fail(db, "SQLite prepare");
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& bind(int i, std::string_view text) {
    sqlite3_bind_text(stmt_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& bind(int i, int64_t n) {
    sqlite3_bind_int64(stmt_, i, n);
    return *this;
  }
  // True while a row is there.
  bool step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    fail(db_, "SQLite step");
  }
  void run() {
    step();
    sqlite3_reset(stmt_);
  }
  void reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  int64_t integer(int col) { return sqlite3_column_int64(stmt_, col); }
  std::string_view text(int col) {
    auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
    return p ? std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, col)))
             : std::string_view();
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// Page cache of the writer, which looks up every value sent, and of each reader (downloads,
// users), which reads blocks once: together they bound what SQLite keeps in memory.
constexpr int kWriterCacheKb = 32768;
constexpr int kReaderCacheKb = 2048;

sqlite3* openConnection(const std::string& path, int cacheKb = kReaderCacheKb) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(
      path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db ? sqlite3_errmsg(db) : "sem memória";
    sqlite3_close(db);
    throw StorageError("não foi possível abrir " + path + ": " + message);
  }
  sqlite3_busy_timeout(db, 10000);
  try {
    exec(db, "PRAGMA journal_mode=WAL");
    // A commit is on disk before the client hears "inseriu".
    exec(db, "PRAGMA synchronous=FULL");
    // Checkpoints every 40 MB of log instead of 4: the pages the writer changes again and again
    // (the pending values' tree) are copied into the database once per checkpoint.
    exec(db, "PRAGMA wal_autocheckpoint=10000");
    exec(db, ("PRAGMA cache_size=-" + std::to_string(cacheKb)).c_str());
  } catch (...) {
    sqlite3_close(db);
    throw;
  }
  return db;
}

User readUser(Statement& s) {
  User u;
  u.id = s.integer(0);
  u.email = std::string(s.text(1));
  u.keyHash = std::string(s.text(2));
  u.keySalt = std::string(s.text(3));
  u.active = s.integer(4) != 0;
  u.compartilha = s.integer(5) != 0;
  u.createdOn = std::string(s.text(6));
  return u;
}

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS users (id INTEGER PRIMARY KEY, email TEXT NOT NULL UNIQUE, "
    "key_hash TEXT NOT NULL, key_salt TEXT NOT NULL, active SMALLINT NOT NULL DEFAULT 1, "
    "compartilha SMALLINT NOT NULL DEFAULT 0, created_on TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS shared_blocks (kind SMALLINT NOT NULL, first_seq BIGINT NOT "
    "NULL, row_count BIGINT NOT NULL, day TEXT NOT NULL, payload TEXT NOT NULL, "
    "PRIMARY KEY (kind, first_seq));"
    "CREATE TABLE IF NOT EXISTS pending_sightings (kind SMALLINT NOT NULL, value TEXT NOT NULL, "
    "user_id BIGINT NOT NULL, day TEXT NOT NULL, PRIMARY KEY (kind, value, user_id)) "
    "WITHOUT ROWID;";

void syncDirectoryOf(const std::string& path) {
  std::string dir = path.substr(0, path.find_last_of('/') + 1);
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

void removeWithCompanions(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) ::unlink((path + suffix).c_str());
}

// A new database, tables included, made beside `path` and linked there only once whole.
void createDatabase(const std::string& path) {
  std::string temp = path + ".novo-" + std::to_string(::getpid());
  removeWithCompanions(temp);
  sqlite3* db = openConnection(temp);
  try {
    exec(db, kSchema);
  } catch (...) {
    sqlite3_close(db);
    removeWithCompanions(temp);
    throw;
  }
  sqlite3_close(db);
  ::chmod(temp.c_str(), 0600);
  bool linked = ::link(temp.c_str(), path.c_str()) == 0 || errno == EEXIST;  // EEXIST: raced
  removeWithCompanions(temp);
  if (!linked) throw StorageError("não foi possível criar " + path);
  syncDirectoryOf(path);
}

// The database and its companions readable by the owner only: they hold the users' key hashes.
void keepPrivate(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", ".lock"}) {
    struct stat st {};
    std::string file = path + suffix;
    if (::stat(file.c_str(), &st) == 0 && (st.st_mode & 077) != 0) ::chmod(file.c_str(), 0600);
  }
}

}  // namespace

class SqliteStorage::Lease {
 public:
  explicit Lease(SqliteStorage& owner) : owner_(owner), db_(owner.acquire()) {}
  ~Lease() { owner_.release(db_); }
  sqlite3* get() const { return db_; }

 private:
  SqliteStorage& owner_;
  sqlite3* db_;
};

SqliteStorage::SqliteStorage(std::string path) : path_(std::move(path)) {
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0) {
    if (S_ISREG(st.st_mode) && st.st_size == 0) {
      throw StorageError("o banco de dados " + path_ +
                         " está vazio (0 bytes): os usuários e as bases compartilhadas que ele "
                         "tinha não estão mais lá. Restaure a cópia de segurança; se esta é "
                         "mesmo uma instalação nova, apague o arquivo.");
    }
    keepPrivate(path_);
  } else if (errno == ENOENT) {
    createDatabase(path_);
  }
  writer_ = openConnection(path_, kWriterCacheKb);
}

SqliteStorage::~SqliteStorage() {
  for (sqlite3* db : idle_) sqlite3_close(db);
  sqlite3_close(writer_);
  if (lockFd_ >= 0) close(lockFd_);
}

sqlite3* SqliteStorage::acquire() {
  {
    std::lock_guard lock(poolMutex_);
    if (!idle_.empty()) {
      sqlite3* db = idle_.back();
      idle_.pop_back();
      return db;
    }
  }
  return openConnection(path_);
}

void SqliteStorage::release(sqlite3* db) {
  std::lock_guard lock(poolMutex_);
  idle_.push_back(db);
}

void SqliteStorage::prepare() {
  {
    std::lock_guard lock(writeMutex_);
    exec(writer_, kSchema);
  }
  migrateSightingBlocks();
}

// Earlier versions kept one user's pending values in blocks; they become one row per value.
void SqliteStorage::migrateSightingBlocks() {
  std::lock_guard lock(writeMutex_);
  {
    Statement exists(writer_,
                     "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                     "name = 'sighting_blocks'");
    if (!exists.step() || exists.integer(0) == 0) return;
  }
  exec(writer_, "BEGIN IMMEDIATE");
  try {
    {
      Statement read(writer_,
                     "SELECT kind, user_id, day, payload FROM sighting_blocks ORDER BY id");
      Statement insert(writer_,
                       "INSERT OR IGNORE INTO pending_sightings (kind, value, user_id, day) "
                       "VALUES (?, ?, ?, ?)");
      while (read.step()) {
        std::string_view payload = read.text(3);
        for (size_t start = 0; start < payload.size();) {
          size_t end = payload.find('\n', start);
          if (end == std::string_view::npos) end = payload.size();
          if (end > start) {
            insert.bind(1, read.integer(0)).bind(2, payload.substr(start, end - start));
            insert.bind(3, read.integer(1)).bind(4, read.text(2));
            insert.run();
          }
          start = end + 1;
        }
      }
    }
    exec(writer_, "DROP TABLE sighting_blocks");
    exec(writer_, "COMMIT");
  } catch (...) {
    sqlite3_exec(writer_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

void SqliteStorage::checkIntegrity() {
  std::lock_guard lock(writeMutex_);
  std::string damage;
  try {
    Statement check(writer_, "PRAGMA quick_check");
    while (check.step()) {
      std::string_view line = check.text(0);
      if (line != "ok" && damage.empty()) damage = line;
    }
  } catch (const StorageError& e) {
    damage = e.what();
  }
  if (!damage.empty()) {
    throw StorageError("o banco de dados " + path_ + " está danificado (" + damage +
                       "): o serviço não inicia sobre dados que não consegue ler inteiros. "
                       "Restaure a cópia de segurança.");
  }
}

std::optional<User> SqliteStorage::findUser(std::string_view email) {
  Lease lease(*this);
  Statement s(lease.get(), (std::string(kUserColumns) + " WHERE email = ?").c_str());
  s.bind(1, email);
  if (!s.step()) return std::nullopt;
  return readUser(s);
}

bool SqliteStorage::addUser(const User& user) {
  std::lock_guard lock(writeMutex_);
  Statement s(writer_,
              "INSERT OR IGNORE INTO users (email, key_hash, key_salt, active, compartilha, "
              "created_on) VALUES (?, ?, ?, ?, ?, ?)");
  s.bind(1, user.email).bind(2, user.keyHash).bind(3, user.keySalt);
  s.bind(4, int64_t{user.active}).bind(5, int64_t{user.compartilha}).bind(6, user.createdOn);
  s.run();
  return sqlite3_changes(writer_) == 1;
}

bool SqliteStorage::setUserActive(std::string_view email, bool active) {
  std::lock_guard lock(writeMutex_);
  Statement s(writer_, "UPDATE users SET active = ? WHERE email = ?");
  s.bind(1, int64_t{active}).bind(2, email);
  s.run();
  return sqlite3_changes(writer_) == 1;
}

bool SqliteStorage::setUserKey(std::string_view email, const std::string& hash,
                               const std::string& salt) {
  std::lock_guard lock(writeMutex_);
  Statement s(writer_, "UPDATE users SET key_hash = ?, key_salt = ? WHERE email = ?");
  s.bind(1, hash).bind(2, salt).bind(3, email);
  s.run();
  return sqlite3_changes(writer_) == 1;
}

void SqliteStorage::setCompartilha(int64_t userId, bool on) {
  std::lock_guard lock(writeMutex_);
  Statement s(writer_, "UPDATE users SET compartilha = ? WHERE id = ?");
  s.bind(1, int64_t{on}).bind(2, userId);
  s.run();
}

bool SqliteStorage::renameUser(std::string_view from, std::string_view to) {
  std::lock_guard lock(writeMutex_);
  Statement s(writer_, "UPDATE OR IGNORE users SET email = ? WHERE email = ?");
  s.bind(1, to).bind(2, from);
  s.run();
  return sqlite3_changes(writer_) == 1;
}

std::vector<User> SqliteStorage::listUsers() {
  Lease lease(*this);
  Statement s(lease.get(), (std::string(kUserColumns) + " ORDER BY email").c_str());
  std::vector<User> users;
  while (s.step()) users.push_back(readUser(s));
  return users;
}

void SqliteStorage::scanRows(Kind kind, const std::function<void(const RowBlock&)>& block) {
  Lease lease(*this);
  Statement s(lease.get(),
              "SELECT first_seq, row_count, day, payload FROM shared_blocks WHERE kind = ? "
              "ORDER BY first_seq");
  s.bind(1, int64_t{static_cast<int>(kind)});
  RowBlock b;
  while (s.step()) {
    b.firstSeq = s.integer(0);
    b.count = s.integer(1);
    b.day = s.text(2);
    b.payload = s.text(3);
    block(b);
  }
}

void SqliteStorage::pendingSenders(Kind kind, const std::vector<std::string_view>& values,
                                   const std::string& sinceDay,
                                   const std::function<void(size_t, int64_t)>& sender) {
  std::lock_guard lock(writeMutex_);
  // One read transaction for all: a statement of its own would take and drop the WAL's read
  // lock for every value.
  exec(writer_, "BEGIN");
  try {
    Statement s(writer_,
                "SELECT user_id FROM pending_sightings WHERE kind = ? AND value = ? AND day >= ?");
    auto k = int64_t{static_cast<int>(kind)};
    for (size_t i = 0; i < values.size(); ++i) {
      s.reset();
      s.bind(1, k).bind(2, values[i]).bind(3, sinceDay);
      while (s.step()) sender(i, s.integer(0));
    }
  } catch (...) {
    sqlite3_exec(writer_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  exec(writer_, "COMMIT");
}

void SqliteStorage::pendingWithSenders(Kind kind, int senders, const std::string& sinceDay,
                                       const std::function<void(std::string_view)>& value) {
  Lease lease(*this);
  Statement s(lease.get(),
              "SELECT value FROM pending_sightings WHERE kind = ? AND day >= ? GROUP BY value "
              "HAVING count(*) >= ? ORDER BY value");
  s.bind(1, int64_t{static_cast<int>(kind)}).bind(2, sinceDay).bind(3, int64_t{senders});
  while (s.step()) value(s.text(0));
}

Storage::ExpirySlice SqliteStorage::expirePending(const std::string& beforeDay, PendingKey& from,
                                                  int64_t rows) {
  std::lock_guard lock(writeMutex_);
  exec(writer_, "BEGIN IMMEDIATE");
  ExpirySlice slice;
  try {
    std::vector<PendingKey> expired;
    {
      Statement scan(writer_,
                     "SELECT kind, value, user_id, day FROM pending_sightings WHERE "
                     "(kind, value, user_id) > (?, ?, ?) ORDER BY kind, value, user_id LIMIT ?");
      scan.bind(1, int64_t{from.kind}).bind(2, from.value).bind(3, from.user).bind(4, rows);
      while (scan.step()) {
        ++slice.seen;
        from = PendingKey{static_cast<int>(scan.integer(0)), std::string(scan.text(1)),
                          scan.integer(2)};
        if (scan.text(3) < beforeDay) expired.push_back(from);
      }
    }
    Statement drop(writer_,
                   "DELETE FROM pending_sightings WHERE kind = ? AND value = ? AND user_id = ?");
    for (const PendingKey& key : expired) {
      drop.bind(1, int64_t{key.kind}).bind(2, key.value).bind(3, key.user);
      drop.run();
    }
    exec(writer_, "COMMIT");
    slice.deleted = static_cast<int64_t>(expired.size());
  } catch (...) {
    sqlite3_exec(writer_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  return slice;
}

void SqliteStorage::commit(const Changes& changes) {
  std::lock_guard lock(writeMutex_);
  exec(writer_, "BEGIN IMMEDIATE");
  try {
    Statement row(writer_,
                  "INSERT INTO shared_blocks (kind, first_seq, row_count, day, payload) "
                  "VALUES (?, ?, ?, ?, ?)");
    // REPLACE: a user sending again a value whose sighting expired renews it.
    Statement pending(writer_,
                      "INSERT OR REPLACE INTO pending_sightings (kind, value, user_id, day) "
                      "VALUES (?, ?, ?, ?)");
    Statement settle(writer_, "DELETE FROM pending_sightings WHERE kind = ? AND value = ?");
    for (Kind kind : kAllKinds) {
      auto k = int64_t{static_cast<int>(kind)};
      for (const PendingSighting& p : changes.pending[kindIndex(kind)]) {
        pending.bind(1, k).bind(2, p.value).bind(3, p.user).bind(4, changes.day);
        pending.run();
      }
      for (const std::string& value : changes.settled[kindIndex(kind)]) {
        settle.bind(1, k).bind(2, value);
        settle.run();
      }
      for (const RowBlock& b : changes.rows[kindIndex(kind)]) {
        row.bind(1, k).bind(2, b.firstSeq).bind(3, b.count).bind(4, b.day).bind(5, b.payload);
        row.run();
      }
    }
    exec(writer_, "COMMIT");
  } catch (...) {
    sqlite3_exec(writer_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

void SqliteStorage::readRange(Kind kind, int64_t fromSeq, int64_t toSeq, std::string& out) {
  Lease lease(*this);
  auto k = int64_t{static_cast<int>(kind)};
  // One snapshot for both statements.
  exec(lease.get(), "BEGIN");
  try {
    Statement first(lease.get(),
                    "SELECT coalesce(max(first_seq), 1) FROM shared_blocks WHERE kind = ? AND "
                    "first_seq <= ?");
    first.bind(1, k).bind(2, fromSeq);
    first.step();
    int64_t start = first.integer(0);
    Statement s(lease.get(),
                "SELECT first_seq, row_count, day, payload FROM shared_blocks WHERE kind = ? AND "
                "first_seq >= ? AND first_seq < ? ORDER BY first_seq");
    s.bind(1, k).bind(2, start).bind(3, toSeq);
    RowBlock b;
    while (s.step()) {
      b.firstSeq = s.integer(0);
      b.count = s.integer(1);
      b.payload = s.text(3);
      sliceBlock(b, fromSeq, toSeq, out);
    }
  } catch (...) {
    sqlite3_exec(lease.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  exec(lease.get(), "COMMIT");
}

bool SqliteStorage::lockForServer() {
  lockFd_ = ::open((path_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd_ < 0) throw StorageError("não foi possível criar " + path_ + ".lock");
  return flock(lockFd_, LOCK_EX | LOCK_NB) == 0;
}

}  // namespace quorvel::service
