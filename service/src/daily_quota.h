#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace quorvel::service {

// How many values each user may send per UTC day (actions 1, 4 and 8 together). Counted in
// memory: a restart of the server starts the day's counts again.
class DailyQuota {
 public:
  explicit DailyQuota(int64_t perDay);  // 0: no limit

  // Takes `count` values of the user's allowance for today; false, taking nothing, when they
  // do not fit.
  bool take(int64_t user, int64_t count);
  // Returns values taken for a batch that was not stored after all.
  void giveBack(int64_t user, int64_t count);

 private:
  void rollOver();

  const int64_t perDay_;
  std::mutex mutex_;
  std::string day_;
  std::unordered_map<int64_t, int64_t> used_;
};

}  // namespace quorvel::service
