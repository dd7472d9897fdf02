#pragma once

#include <chrono>
#include <mutex>
#include <vector>

#include "storage.h"

typedef struct pg_conn PGconn;

namespace quorvel::service {

// The server storage: a PostgreSQL database through libpq, same tables as the embedded one.
// The server's group commits go through one connection; downloads and users use a pool.
// While the server cannot be reached, connection attempts back off (a quarter of a second,
// doubling up to five seconds, one attempt at a time) and requests meanwhile fail at once.
class PgStorage : public Storage {
 public:
  explicit PgStorage(std::string url);
  ~PgStorage() override;

  void prepare() override;
  void checkIntegrity() override {}  // the server keeps its own data whole
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
  PGconn* connect();
  // A writer connection lost with the server (a restart) is opened again, and the server lock
  // taken again with it.
  void ensureWriter();
  bool serverLock_ = false;
  // Throws while the back-off after a failed attempt lasts; afterAttempt() records the outcome.
  void beforeAttempt();
  void afterAttempt(bool ok);
  void migrateSightingBlocks();
  PGconn* acquire();
  void release(PGconn* conn);

  std::string url_;
  std::mutex poolMutex_;
  std::vector<PGconn*> idle_;
  std::mutex writeMutex_;
  PGconn* writer_ = nullptr;

  std::mutex backoffMutex_;
  std::chrono::steady_clock::time_point retryAt_{};
  std::chrono::milliseconds delay_{0};
  bool probing_ = false;
};

}  // namespace quorvel::service
