#include "storage.h"

#include "pg_storage.h"
#include "sqlite_storage.h"

namespace quorvel::service {

bool Changes::empty() const {
  for (size_t i = 0; i < 3; ++i) {
    if (!sightings[i].empty() || !visible[i].empty()) return false;
  }
  return true;
}

std::unique_ptr<Storage> openStorage(const std::string& databaseUrl,
                                     const std::string& sqlitePath) {
  if (databaseUrl.rfind("postgresql://", 0) == 0 || databaseUrl.rfind("postgres://", 0) == 0) {
    return std::make_unique<PgStorage>(databaseUrl);
  }
  if (!databaseUrl.empty()) {
    throw StorageError("endereço de banco de dados não reconhecido (use postgresql://...): " +
                       databaseUrl);
  }
  return std::make_unique<SqliteStorage>(sqlitePath);
}

}  // namespace quorvel::service
