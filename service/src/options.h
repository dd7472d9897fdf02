#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvel::service {

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Options {
  std::string dataDir;
  std::string listenHost = "127.0.0.1";
  int listenPort = 8080;
  std::string databaseUrl;  // empty: SQLite in the data folder
  std::string tlsCert;
  std::string tlsKey;
  int minSenders = 2;
  int threads = 64;
  size_t maxBody = 2 * 1024 * 1024;
  int requestTimeoutSeconds = 20;
  int headerTimeoutSeconds = 10;
  int maxConnections = 10000;
  int maxPerAddress = 64;            // 0: no cap
  int64_t userDailyValues = 100000;  // 0: no limit
  int pendingDays = 30;
  int64_t pageSize = 500000;
  std::string seedDir;
  std::vector<std::string> command;  // empty: run the server
  bool help = false;
  bool version = false;
};

// Throws UsageError with a Portuguese message.
Options parseOptions(const std::vector<std::string>& args);

std::string usageText();

}  // namespace quorvel::service
