#pragma once

#include <mutex>
#include <vector>

#include "storage.h"

struct sqlite3;

namespace quorvel::service {

// The embedded storage: one SQLite file in WAL mode, readable by its owner only. SQLCipher's
// library without a key is plain SQLite (3.15): no UPSERT, no RETURNING.
//
// A missing file is created whole (tables included) beside its place and then linked there, so
// an empty file at the path is always damage: it is refused, never taken for a new database.
class SqliteStorage : public Storage {
 public:
  explicit SqliteStorage(std::string path);
  ~SqliteStorage() override;

  void prepare() override;
  void checkIntegrity() override;
  std::optional<User> findUser(std::string_view email) override;
  bool addUser(const User& user) override;
  bool setUserActive(std::string_view email, bool active) override;
  bool setUserKey(std::string_view email, const std::string& hash,
                  const std::string& salt) override;
  void setCompartilha(int64_t userId, bool on) override;
  std::vector<User> listUsers() override;
  bool renameUser(std::string_view from, std::string_view to) override;
  void scanRows(Kind kind, const std::function<void(const RowBlock&)>& block) override;
  void pendingSenders(Kind kind, const std::vector<std::string_view>& values,
                      const std::string& sinceDay,
                      const std::function<void(size_t, int64_t)>& sender) override;
  void pendingWithSenders(Kind kind, int senders, const std::string& sinceDay,
                          const std::function<void(std::string_view)>& value) override;
  ExpirySlice expirePending(const std::string& beforeDay, PendingKey& from, int64_t rows) override;
  void commit(const Changes& changes) override;
  void readRange(Kind kind, int64_t fromSeq, int64_t toSeq, std::string& out) override;
  bool lockForServer() override;

 private:
  class Lease;
  sqlite3* acquire();
  void migrateSightingBlocks();
  void release(sqlite3* db);

  std::string path_;
  std::mutex poolMutex_;
  std::vector<sqlite3*> idle_;
  std::mutex writeMutex_;
  sqlite3* writer_ = nullptr;
  int lockFd_ = -1;
};

}  // namespace quorvel::service
