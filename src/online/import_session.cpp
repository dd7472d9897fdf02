#include "online/import_session.h"

namespace quorvel {

ImportSession::ImportSession(Database& banco) : db_(banco.db()) {
  try {
    cache_ = valor("PRAGMA cache_size");
    checkpoint_ = valor("PRAGMA wal_autocheckpoint");
    db_.exec("PRAGMA cache_size = -65536");
    db_.exec("PRAGMA wal_autocheckpoint = 20000");
  } catch (const std::exception&) {
    // Only slower without them.
  }
}

ImportSession::~ImportSession() {
  try {
    if (!cache_.empty()) db_.exec("PRAGMA cache_size = " + cache_);
    if (!checkpoint_.empty()) db_.exec("PRAGMA wal_autocheckpoint = " + checkpoint_);
  } catch (const std::exception&) {
  }
}

std::string ImportSession::valor(const std::string& pragma) {
  Table t = db_.query(pragma);
  if (t.linhas.empty() || t.linhas[0].empty() || !t.linhas[0][0]) return {};
  const std::string& v = *t.linhas[0][0];
  return !v.empty() && v.find_first_not_of("-0123456789") == std::string::npos ? v : std::string();
}

}  // namespace quorvel
