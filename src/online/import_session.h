#pragma once
// A large import into the store (the shared bases of a definitions update): while it runs, the
// connection keeps more pages in memory and folds its write-ahead log into the file less often.
// Each batch stays its own transaction; the settings return when the import ends.

#include <string>

#include "store/database.h"

namespace quorvel {

class ImportSession {
 public:
  explicit ImportSession(Database& banco);
  ~ImportSession();
  ImportSession(const ImportSession&) = delete;
  ImportSession& operator=(const ImportSession&) = delete;

 private:
  std::string valor(const std::string& pragma);
  SqliteDb& db_;
  std::string cache_, checkpoint_;
};

}  // namespace quorvel
