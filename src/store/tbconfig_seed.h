#pragma once
// Fills the settings table tbconfig from the snapshot config.db when the table is empty. Runs
// once at start-up; a table that already holds rows is never touched.

#include <cstdint>
#include <string>

#include "store/config_snapshot.h"

namespace quorvel {

class Database;

struct SeedResult {
  int64_t inseridas = 0;
  ConfigSnapshot snapshot;  // what was read, with its skipped lines; empty when not read
  std::string erro;         // Portuguese; the table is unchanged when set
  bool ok() const { return erro.empty(); }
};

// Without config.db, or with rows already in tbconfig: nothing. Otherwise every row of the
// snapshot is inserted in one transaction, so a failure leaves the table as it was.
SeedResult seedTbconfig(Database& banco, const std::string& programFolder);

}  // namespace quorvel
