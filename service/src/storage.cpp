#include "storage.h"

#include "pg_storage.h"
#include "sqlite_storage.h"

namespace quorvel::service {

bool Changes::empty() const {
  for (size_t i = 0; i < 3; ++i) {
    if (!pending[i].empty() || !settled[i].empty() || !rows[i].empty()) return false;
  }
  return true;
}

void sliceBlock(const RowBlock& block, int64_t fromSeq, int64_t toSeq, std::string& out) {
  int64_t seq = block.firstSeq;
  size_t pos = 0;
  const std::string& p = block.payload;
  while (seq < fromSeq && pos < p.size()) {  // skip the rows before the range
    pos = p.find('\n', pos);
    if (pos == std::string::npos) return;
    ++pos;
    ++seq;
  }
  size_t start = pos;
  while (seq < toSeq && pos < p.size()) {
    pos = p.find('\n', pos);
    if (pos == std::string::npos) {
      pos = p.size();
      break;
    }
    ++pos;
    ++seq;
  }
  out.append(p, start, pos - start);
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
