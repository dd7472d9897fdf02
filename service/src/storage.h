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

// One user's first sendings of values not offered yet, each followed by "\n".
struct SightingBlock {
  int64_t user = 0;
  std::string day;
  std::string payload;
};

// Everything one group commit writes, per base.
struct Changes {
  std::array<std::vector<SightingBlock>, 3> sightings;
  std::array<std::vector<RowBlock>, 3> rows;
  bool empty() const;
};

// Storage behind the service: SQLite in the data folder or a PostgreSQL server, with the same
// tables. The shared bases are append-only: rows are only ever added, so the writer writes at
// the end of its tables and pages are ranges of `seq`.
class Storage {
 public:
  virtual ~Storage() = default;

  // Creates the tables when missing.
  virtual void prepare() = 0;

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

  // Start-up of the server: the whole shared bases in seq order, and the pending sightings.
  virtual void scanRows(Kind kind, const std::function<void(const RowBlock&)>& block) = 0;
  virtual void scanSightings(Kind kind, const std::function<void(const SightingBlock&)>& block) = 0;

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
