#pragma once

#include <mutex>
#include <vector>

#include "storage.h"

typedef struct pg_conn PGconn;

namespace quorvel::service {

// The server storage: a PostgreSQL database through libpq, same tables as the embedded one.
// The server's group commits go through one connection; downloads and users use a pool.
class PgStorage : public Storage {
 public:
  explicit PgStorage(std::string url);
  ~PgStorage() override;

  void prepare() override;
  std::optional<User> findUser(std::string_view email) override;
  bool addUser(const User& user) override;
  bool setUserActive(std::string_view email, bool active) override;
  bool setUserKey(std::string_view email, const std::string& hash,
                  const std::string& salt) override;
  void setCompartilha(int64_t userId, bool on) override;
  std::vector<User> listUsers() override;
  void scanRows(Kind kind, const std::function<void(const RowBlock&)>& block) override;
  void scanSightings(Kind kind, const std::function<void(const SightingBlock&)>& block) override;
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
  PGconn* acquire();
  void release(PGconn* conn);

  std::string url_;
  std::mutex poolMutex_;
  std::vector<PGconn*> idle_;
  std::mutex writeMutex_;
  PGconn* writer_ = nullptr;
};

}  // namespace quorvel::service
