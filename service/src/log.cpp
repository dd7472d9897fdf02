#include "log.h"

#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

namespace quorvel::service {

void logLine(std::string_view text) {
  static std::mutex mutex;
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &tm);
  std::string line = std::string(stamp) + " " + std::string(text) + "\n";
  std::lock_guard lock(mutex);
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace quorvel::service
