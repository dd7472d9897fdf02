#include "pg_storage.h"

#include <libpq-fe.h>

#include <algorithm>
#include <memory>

namespace quorvel::service {
namespace {

constexpr long long kServerLockKey = 0x51756f7276656cLL;  // "Quorvel"

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

Result run(PGconn* conn, const std::string& sql, const std::vector<std::string>& params = {}) {
  std::vector<const char*> values;
  for (const auto& p : params) values.push_back(p.c_str());
  Result r(PQexecParams(conn, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(),
                        nullptr, nullptr, 0),
           &PQclear);
  auto status = PQresultStatus(r.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    throw StorageError("PostgreSQL: " + std::string(PQerrorMessage(conn)));
  }
  return r;
}

void appendCopyField(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out.push_back(c);
    }
  }
}

void copyIn(PGconn* conn, const char* sql, const std::string& data) {
  Result start(PQexec(conn, sql), &PQclear);
  if (PQresultStatus(start.get()) != PGRES_COPY_IN) {
    throw StorageError("PostgreSQL COPY: " + std::string(PQerrorMessage(conn)));
  }
  if (PQputCopyData(conn, data.data(), static_cast<int>(data.size())) != 1 ||
      PQputCopyEnd(conn, nullptr) != 1) {
    throw StorageError("PostgreSQL COPY: " + std::string(PQerrorMessage(conn)));
  }
  bool ok = true;
  while (PGresult* r = PQgetResult(conn)) {
    if (PQresultStatus(r) != PGRES_COMMAND_OK) ok = false;
    PQclear(r);
  }
  if (!ok) throw StorageError("PostgreSQL COPY: " + std::string(PQerrorMessage(conn)));
}

User readUser(PGresult* r, int row) {
  User u;
  u.id = std::stoll(PQgetvalue(r, row, 0));
  u.email = PQgetvalue(r, row, 1);
  u.keyHash = PQgetvalue(r, row, 2);
  u.keySalt = PQgetvalue(r, row, 3);
  u.active = std::string_view(PQgetvalue(r, row, 4)) != "0";
  u.compartilha = std::string_view(PQgetvalue(r, row, 5)) != "0";
  u.createdOn = PQgetvalue(r, row, 6);
  return u;
}

std::string kindText(Kind kind) {
  return std::to_string(static_cast<int>(kind));
}

// A text[] literal: every element quoted, quotes and backslashes escaped.
template <typename Strings>
std::string textArray(const Strings& values) {
  std::string out = "{";
  for (const auto& v : values) {
    if (out.size() > 1) out.push_back(',');
    out.push_back('"');
    for (char c : std::string_view(v)) {
      if (c == '"' || c == '\\') out.push_back('\\');
      out.push_back(c);
    }
    out.push_back('"');
  }
  return out + "}";
}

constexpr size_t kValuesPerQuery = 10000;
constexpr auto kFirstDelay = std::chrono::milliseconds(250);
constexpr auto kLongestDelay = std::chrono::milliseconds(5000);

}  // namespace

class PgStorage::Lease {
 public:
  explicit Lease(PgStorage& owner) : owner_(owner), conn_(owner.acquire()) {}
  ~Lease() { owner_.release(conn_); }
  PGconn* get() const { return conn_; }

 private:
  PgStorage& owner_;
  PGconn* conn_;
};

PgStorage::PgStorage(std::string url) : url_(std::move(url)) {
  writer_ = connect();
}

PgStorage::~PgStorage() {
  for (PGconn* c : idle_) PQfinish(c);
  PQfinish(writer_);
}

void PgStorage::beforeAttempt() {
  std::lock_guard lock(backoffMutex_);
  if (delay_.count() == 0) return;
  auto now = std::chrono::steady_clock::now();
  if (now < retryAt_ || probing_) {
    auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(retryAt_ - now);
    throw StorageError("PostgreSQL fora do ar; nova tentativa em " +
                       std::to_string(std::max<int64_t>(0, wait.count())) + " ms");
  }
  probing_ = true;
}

void PgStorage::afterAttempt(bool ok) {
  std::lock_guard lock(backoffMutex_);
  probing_ = false;
  if (ok) {
    delay_ = std::chrono::milliseconds(0);
    return;
  }
  delay_ = delay_.count() == 0 ? kFirstDelay : std::min(delay_ * 2, kLongestDelay);
  retryAt_ = std::chrono::steady_clock::now() + delay_;
}

PGconn* PgStorage::connect() {
  beforeAttempt();
  PGconn* conn = PQconnectdb(url_.c_str());
  if (PQstatus(conn) != CONNECTION_OK) {
    std::string message = PQerrorMessage(conn);
    PQfinish(conn);
    afterAttempt(false);
    throw StorageError("não foi possível conectar ao PostgreSQL: " + message);
  }
  afterAttempt(true);
  Result r(PQexec(conn, "SET client_min_messages = warning"), &PQclear);
  return conn;
}

PGconn* PgStorage::acquire() {
  {
    std::lock_guard lock(poolMutex_);
    while (!idle_.empty()) {
      PGconn* c = idle_.back();
      idle_.pop_back();
      if (PQstatus(c) == CONNECTION_OK) return c;
      PQfinish(c);
    }
  }
  return connect();
}

void PgStorage::release(PGconn* conn) {
  if (PQstatus(conn) != CONNECTION_OK || PQtransactionStatus(conn) != PQTRANS_IDLE) {
    PQfinish(conn);
    return;
  }
  std::lock_guard lock(poolMutex_);
  idle_.push_back(conn);
}

void PgStorage::prepare() {
  std::lock_guard lock(writeMutex_);
  run(writer_,
      "CREATE TABLE IF NOT EXISTS users (id BIGSERIAL PRIMARY KEY, email TEXT NOT NULL UNIQUE, "
      "key_hash TEXT NOT NULL, key_salt TEXT NOT NULL, active SMALLINT NOT NULL DEFAULT 1, "
      "compartilha SMALLINT NOT NULL DEFAULT 0, created_on TEXT NOT NULL)");
  run(writer_,
      "CREATE TABLE IF NOT EXISTS shared_blocks (kind SMALLINT NOT NULL, first_seq BIGINT NOT "
      "NULL, row_count BIGINT NOT NULL, day TEXT NOT NULL, payload TEXT NOT "
      "NULL, PRIMARY KEY (kind, first_seq))");
  run(writer_,
      "CREATE TABLE IF NOT EXISTS sighting_blocks (id BIGSERIAL PRIMARY KEY, kind SMALLINT NOT "
      "NULL, user_id BIGINT NOT NULL, day TEXT NOT NULL, payload TEXT NOT NULL)");
  run(writer_,
      "CREATE TABLE IF NOT EXISTS pending_sightings (kind SMALLINT NOT NULL, value TEXT NOT "
      "NULL, user_id BIGINT NOT NULL, day TEXT NOT NULL, PRIMARY KEY (kind, value, user_id))");
  // Blocks of names are written once and read whole: compressing them costs more CPU than the
  // disk it saves.
  run(writer_, "ALTER TABLE shared_blocks ALTER COLUMN payload SET STORAGE EXTERNAL");
  migrateSightingBlocks();
}

// Earlier versions kept one user's pending values in blocks; they become one row per value.
void PgStorage::migrateSightingBlocks() {
  auto exists = run(writer_, "SELECT to_regclass('sighting_blocks') IS NOT NULL");
  if (std::string_view(PQgetvalue(exists.get(), 0, 0)) != "t") return;
  run(writer_, "BEGIN");
  try {
    run(writer_,
        "INSERT INTO pending_sightings (kind, value, user_id, day) SELECT b.kind, t.v, "
        "b.user_id, b.day FROM sighting_blocks b CROSS JOIN LATERAL "
        "unnest(string_to_array(b.payload, E'\\n')) WITH ORDINALITY AS t(v, n) WHERE t.v <> '' "
        "ORDER BY b.id, t.n ON CONFLICT DO NOTHING");
    run(writer_, "DROP TABLE sighting_blocks");
    run(writer_, "COMMIT");
  } catch (...) {
    Result r(PQexec(writer_, "ROLLBACK"), &PQclear);
    throw;
  }
}

std::optional<User> PgStorage::findUser(std::string_view email) {
  Lease lease(*this);
  auto r = run(lease.get(), std::string(kUserColumns) + " WHERE email = $1", {std::string(email)});
  if (PQntuples(r.get()) == 0) return std::nullopt;
  return readUser(r.get(), 0);
}

bool PgStorage::addUser(const User& user) {
  std::lock_guard lock(writeMutex_);
  ensureWriter();
  auto r = run(writer_,
               "INSERT INTO users (email, key_hash, key_salt, active, compartilha, created_on) "
               "VALUES ($1, $2, $3, $4, $5, $6) ON CONFLICT (email) DO NOTHING",
               {user.email, user.keyHash, user.keySalt, user.active ? "1" : "0",
                user.compartilha ? "1" : "0", user.createdOn});
  return std::string_view(PQcmdTuples(r.get())) == "1";
}

bool PgStorage::setUserActive(std::string_view email, bool active) {
  std::lock_guard lock(writeMutex_);
  ensureWriter();
  auto r = run(writer_, "UPDATE users SET active = $1 WHERE email = $2",
               {active ? "1" : "0", std::string(email)});
  return std::string_view(PQcmdTuples(r.get())) == "1";
}

bool PgStorage::setUserKey(std::string_view email, const std::string& hash,
                           const std::string& salt) {
  std::lock_guard lock(writeMutex_);
  ensureWriter();
  auto r = run(writer_, "UPDATE users SET key_hash = $1, key_salt = $2 WHERE email = $3",
               {hash, salt, std::string(email)});
  return std::string_view(PQcmdTuples(r.get())) == "1";
}

void PgStorage::setCompartilha(int64_t userId, bool on) {
  Lease lease(*this);
  run(lease.get(), "UPDATE users SET compartilha = $1 WHERE id = $2",
      {on ? "1" : "0", std::to_string(userId)});
}

bool PgStorage::renameUser(std::string_view from, std::string_view to) {
  std::lock_guard lock(writeMutex_);
  ensureWriter();
  auto r = run(writer_,
               "UPDATE users SET email = $1 WHERE email = $2 AND NOT EXISTS "
               "(SELECT 1 FROM users WHERE email = $1)",
               {std::string(to), std::string(from)});
  return std::string_view(PQcmdTuples(r.get())) == "1";
}

std::vector<User> PgStorage::listUsers() {
  Lease lease(*this);
  auto r = run(lease.get(), std::string(kUserColumns) + " ORDER BY email");
  std::vector<User> users;
  for (int i = 0; i < PQntuples(r.get()); ++i) users.push_back(readUser(r.get(), i));
  return users;
}

void PgStorage::scanRows(Kind kind, const std::function<void(const RowBlock&)>& block) {
  Lease lease(*this);
  auto r = run(lease.get(),
               "SELECT first_seq, row_count, day, payload FROM shared_blocks WHERE kind = $1 "
               "ORDER BY first_seq",
               {kindText(kind)});
  RowBlock b;
  for (int i = 0; i < PQntuples(r.get()); ++i) {
    b.firstSeq = std::stoll(PQgetvalue(r.get(), i, 0));
    b.count = std::stoll(PQgetvalue(r.get(), i, 1));
    b.day = PQgetvalue(r.get(), i, 2);
    b.payload.assign(PQgetvalue(r.get(), i, 3), static_cast<size_t>(PQgetlength(r.get(), i, 3)));
    block(b);
  }
}

void PgStorage::pendingSenders(Kind kind, const std::vector<std::string_view>& values,
                               const std::string& sinceDay,
                               const std::function<void(size_t, int64_t)>& sender) {
  std::lock_guard lock(writeMutex_);
  ensureWriter();
  for (size_t from = 0; from < values.size(); from += kValuesPerQuery) {
    size_t to = std::min(values.size(), from + kValuesPerQuery);
    std::vector<std::string_view> part(values.begin() + static_cast<std::ptrdiff_t>(from),
                                       values.begin() + static_cast<std::ptrdiff_t>(to));
    // The position of each value in `part` comes back with its sightings.
    auto r = run(writer_,
                 "SELECT t.n, p.user_id FROM unnest($2::text[]) WITH ORDINALITY AS t(v, n) "
                 "JOIN pending_sightings p ON p.kind = $1 AND p.value = t.v AND p.day >= $3",
                 {kindText(kind), textArray(part), sinceDay});
    for (int i = 0; i < PQntuples(r.get()); ++i) {
      sender(from + std::stoull(PQgetvalue(r.get(), i, 0)) - 1,
             std::stoll(PQgetvalue(r.get(), i, 1)));
    }
  }
}

void PgStorage::pendingWithSenders(Kind kind, int senders, const std::string& sinceDay,
                                   const std::function<void(std::string_view)>& value) {
  Lease lease(*this);
  auto r = run(lease.get(),
               "SELECT value FROM pending_sightings WHERE kind = $1 AND day >= $3 GROUP BY value "
               "HAVING count(*) >= $2 ORDER BY value COLLATE \"C\"",
               {kindText(kind), std::to_string(senders), sinceDay});
  for (int i = 0; i < PQntuples(r.get()); ++i) {
    value(std::string_view(PQgetvalue(r.get(), i, 0),
                           static_cast<size_t>(PQgetlength(r.get(), i, 0))));
  }
}

Storage::ExpirySlice PgStorage::expirePending(const std::string& beforeDay, PendingKey& from,
                                              int64_t rows) {
  std::lock_guard lock(writeMutex_);
  ensureWriter();
  // In the order of the primary key (so its index serves the slice): the slice's last key, how
  // many rows it looked at and how many of them were deleted.
  auto r = run(writer_,
               "WITH slice AS (SELECT kind, value, user_id, day FROM pending_sightings WHERE "
               "(kind, value, user_id) > ($1::smallint, $2::text, $3::bigint) ORDER BY kind, "
               "value, user_id LIMIT $4), gone AS (DELETE FROM pending_sightings p USING slice s "
               "WHERE p.kind = s.kind AND p.value = s.value AND p.user_id = s.user_id AND "
               "s.day < $5 RETURNING 1) SELECT kind, value, user_id, (SELECT count(*) FROM "
               "slice), (SELECT count(*) FROM gone) FROM slice ORDER BY kind DESC, value DESC, "
               "user_id DESC LIMIT 1",
               {std::to_string(from.kind), from.value, std::to_string(from.user),
                std::to_string(rows), beforeDay});
  if (PQntuples(r.get()) == 0) return {};
  from = PendingKey{std::stoi(PQgetvalue(r.get(), 0, 0)), PQgetvalue(r.get(), 0, 1),
                    std::stoll(PQgetvalue(r.get(), 0, 2))};
  return {std::stoll(PQgetvalue(r.get(), 0, 3)), std::stoll(PQgetvalue(r.get(), 0, 4))};
}

void PgStorage::ensureWriter() {
  if (PQstatus(writer_) == CONNECTION_OK) return;
  beforeAttempt();
  PQreset(writer_);
  bool ok = PQstatus(writer_) == CONNECTION_OK;
  afterAttempt(ok);
  if (!ok) {
    throw StorageError("não foi possível conectar ao PostgreSQL: " +
                       std::string(PQerrorMessage(writer_)));
  }
  if (serverLock_) {
    auto r = run(writer_, "SELECT pg_try_advisory_lock(" + std::to_string(kServerLockKey) + ")");
    if (std::string_view(PQgetvalue(r.get(), 0, 0)) != "t") {
      throw StorageError("outro servidor passou a usar este banco de dados");
    }
  }
}

void PgStorage::commit(const Changes& changes) {
  std::lock_guard lock(writeMutex_);
  ensureWriter();
  std::string rows;
  for (Kind kind : kAllKinds) {
    std::string k = kindText(kind);
    for (const RowBlock& b : changes.rows[kindIndex(kind)]) {
      rows += k + '\t' + std::to_string(b.firstSeq) + '\t' + std::to_string(b.count) + '\t' +
              b.day + '\t';
      appendCopyField(rows, b.payload);
      rows += '\n';
    }
  }
  run(writer_, "BEGIN");
  try {
    for (Kind kind : kAllKinds) {
      const auto& pending = changes.pending[kindIndex(kind)];
      for (size_t from = 0; from < pending.size(); from += kValuesPerQuery) {
        size_t to = std::min(pending.size(), from + kValuesPerQuery);
        std::vector<std::string_view> values;
        std::string users = "{";
        for (size_t i = from; i < to; ++i) {
          values.push_back(pending[i].value);
          users += (i > from ? "," : "") + std::to_string(pending[i].user);
        }
        run(writer_,
            "INSERT INTO pending_sightings (kind, value, user_id, day) SELECT $1::smallint, "
            "t.v, t.u, $4::text FROM unnest($2::text[], $3::bigint[]) AS t(v, u) "
            "ON CONFLICT (kind, value, user_id) DO UPDATE SET day = EXCLUDED.day",
            {kindText(kind), textArray(values), users + "}", changes.day});
      }
      const auto& settled = changes.settled[kindIndex(kind)];
      for (size_t from = 0; from < settled.size(); from += kValuesPerQuery) {
        std::vector<std::string_view> values(
            settled.begin() + static_cast<std::ptrdiff_t>(from),
            settled.begin() +
                static_cast<std::ptrdiff_t>(std::min(settled.size(), from + kValuesPerQuery)));
        run(writer_, "DELETE FROM pending_sightings WHERE kind = $1 AND value = ANY($2::text[])",
            {kindText(kind), textArray(values)});
      }
    }
    if (!rows.empty()) {
      copyIn(writer_, "COPY shared_blocks (kind, first_seq, row_count, day, payload) FROM STDIN",
             rows);
    }
    run(writer_, "COMMIT");
  } catch (...) {
    Result r(PQexec(writer_, "ROLLBACK"), &PQclear);
    throw;
  }
}

void PgStorage::readRange(Kind kind, int64_t fromSeq, int64_t toSeq, std::string& out) {
  Lease lease(*this);
  auto r = run(lease.get(),
               "SELECT first_seq, row_count, payload FROM shared_blocks WHERE kind = $1 AND "
               "first_seq >= (SELECT coalesce(max(first_seq), 1) FROM shared_blocks WHERE "
               "kind = $1 AND first_seq <= $2) AND first_seq < $3 ORDER BY first_seq",
               {kindText(kind), std::to_string(fromSeq), std::to_string(toSeq)});
  RowBlock b;
  for (int i = 0; i < PQntuples(r.get()); ++i) {
    b.firstSeq = std::stoll(PQgetvalue(r.get(), i, 0));
    b.count = std::stoll(PQgetvalue(r.get(), i, 1));
    b.payload.assign(PQgetvalue(r.get(), i, 2), static_cast<size_t>(PQgetlength(r.get(), i, 2)));
    sliceBlock(b, fromSeq, toSeq, out);
  }
}

bool PgStorage::lockForServer() {
  std::lock_guard lock(writeMutex_);
  auto r = run(writer_, "SELECT pg_try_advisory_lock(" + std::to_string(kServerLockKey) + ")");
  serverLock_ = std::string_view(PQgetvalue(r.get(), 0, 0)) == "t";
  return serverLock_;
}

}  // namespace quorvel::service
