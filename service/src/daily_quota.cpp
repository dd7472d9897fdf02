#include "daily_quota.h"

#include <algorithm>

#include "dates.h"

namespace quorvel::service {

DailyQuota::DailyQuota(int64_t perDay) : perDay_(perDay) {}

void DailyQuota::rollOver() {
  std::string today = todayUtc();
  if (today != day_) {
    day_ = today;
    used_.clear();
  }
}

bool DailyQuota::take(int64_t user, int64_t count) {
  if (perDay_ <= 0) return true;
  std::lock_guard lock(mutex_);
  rollOver();
  int64_t& used = used_[user];
  if (used + count > perDay_) return false;
  used += count;
  return true;
}

void DailyQuota::giveBack(int64_t user, int64_t count) {
  if (perDay_ <= 0) return;
  std::lock_guard lock(mutex_);
  auto it = used_.find(user);
  if (it != used_.end()) it->second = std::max<int64_t>(0, it->second - count);
}

}  // namespace quorvel::service
