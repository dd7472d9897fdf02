#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::service {

// The three shared bases. The numbers are stored in the database: never renumber.
enum class Kind : int { MxValidos = 1, MxInvalidos = 2, EmailsInvalidos = 3 };
inline constexpr std::array<Kind, 3> kAllKinds = {Kind::MxValidos, Kind::MxInvalidos,
                                                  Kind::EmailsInvalidos};
inline size_t kindIndex(Kind kind) {
  return static_cast<size_t>(kind) - 1;
}

struct StorageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct User {
  int64_t id = 0;
  std::string email;
  std::string keyHash;  // hex SHA-256 of salt + key
  std::string keySalt;  // hex
  bool active = true;
  bool compartilha = false;
  std::string createdOn;
};

// The columns of a User, in the order both storages read them.
inline constexpr const char* kUserColumns =
    "SELECT id, email, key_hash, key_salt, active, compartilha, created_on FROM users";

// Consecutive rows offered to downloads, stored together: the values with seq firstSeq ..
// firstSeq + count - 1 (dense per base, from 1, in commit order), each followed by "\n", all
// offered on the same UTC day. One row per block keeps a group commit of thousands of values
// down to a few inserts.
struct RowBlock {
  int64_t firstSeq = 0;
  int64_t count = 0;
  std::string day;
  std::string payload;
};

// A user's sending of a value not offered yet (a later sending renews its day). These wait on
// disk only (never in memory) until enough distinct users sent the value, or until they expire.
struct PendingSighting {
  std::string value;
  int64_t user = 0;
};

// Where a pass over the pending sightings stands: their key (kind, value, user); the initial
// value is before the first.
struct PendingKey {
  int kind = 0;
  std::string value;
  int64_t user = 0;
};

// Everything one group commit writes, per base.
struct Changes {
  std::string day;  // UTC day of the pending sightings
  std::array<std::vector<PendingSighting>, 3> pending;
  // Values offered in this group that had pending sightings: those are deleted.
  std::array<std::vector<std::string>, 3> settled;
  std::array<std::vector<RowBlock>, 3> rows;
  bool empty() const;
};

// Storage behind the service: SQLite in the data folder or a PostgreSQL server, with the same
// tables. The shared bases are append-only: rows are only ever added, so the writer writes at
// the end of its tables and pages are ranges of `seq`.
class Storage {
 public:
  virtual ~Storage() = default;

  // Creates the tables when missing (and brings older layouts up to date).
  virtual void prepare() = 0;

  // Checks that the stored data can be read back whole; throws StorageError naming the damage.
  virtual void checkIntegrity() = 0;

  // Users (used by the command line while a server may be running, and by the server).
  virtual std::optional<User> findUser(std::string_view email) = 0;
  // False when the e-mail is already registered.
  virtual bool addUser(const User& user) = 0;
  // False when the e-mail is unknown.
  virtual bool setUserActive(std::string_view email, bool active) = 0;
  virtual bool setUserKey(std::string_view email, const std::string& hash,
                          const std::string& salt) = 0;
  virtual void setCompartilha(int64_t userId, bool on) = 0;
  virtual std::vector<User> listUsers() = 0;

  // Renames a user (when the rule folding addresses changed); false when `to` is taken.
  virtual bool renameUser(std::string_view from, std::string_view to) = 0;

  // Start-up of the server: the whole shared bases in seq order.
  virtual void scanRows(Kind kind, const std::function<void(const RowBlock&)>& block) = 0;

  // The users who sent each of `values` on `sinceDay` or later: sender(i, user) per sighting
  // of values[i] (older ones have expired, deleted or not yet). Called by the writer only,
  // before it commits.
  virtual void pendingSenders(Kind kind, const std::vector<std::string_view>& values,
                              const std::string& sinceDay,
                              const std::function<void(size_t, int64_t)>& sender) = 0;
  // The waiting values sent by at least `senders` distinct users on `sinceDay` or later, sorted
  // (at start-up, when the number of senders asked for was lowered).
  virtual void pendingWithSenders(Kind kind, int senders, const std::string& sinceDay,
                                  const std::function<void(std::string_view)>& value) = 0;
  // One slice of the daily clean-up: looks at up to `rows` pending sightings after `from` in
  // key order, deletes those of days before `beforeDay`, and moves `from` past them. Fewer
  // than `rows` seen: the pass reached the end.
  struct ExpirySlice {
    int64_t seen = 0;
    int64_t deleted = 0;
  };
  virtual ExpirySlice expirePending(const std::string& beforeDay, PendingKey& from,
                                    int64_t rows) = 0;

  // Writes one group in one transaction; throws StorageError when it did not commit.
  virtual void commit(const Changes& changes) = 0;

  // Appends the values with fromSeq <= seq < toSeq, each followed by "\n". Thread-safe.
  // Implementations read the blocks that overlap the range and cut them with sliceBlock().
  virtual void readRange(Kind kind, int64_t fromSeq, int64_t toSeq, std::string& out) = 0;

  // The server runs alone on its storage: a second server on the same data is refused.
  // False when another server holds the storage.
  virtual bool lockForServer() = 0;
};

// Appends the part of block that lies in [fromSeq, toSeq) to out.
void sliceBlock(const RowBlock& block, int64_t fromSeq, int64_t toSeq, std::string& out);

// "postgresql://..." or "postgres://..." opens PostgreSQL; otherwise SQLite at sqlitePath.
std::unique_ptr<Storage> openStorage(const std::string& databaseUrl, const std::string& sqlitePath);

}  // namespace quorvel::service
