#pragma once

#include <algorithm>
#include <chrono>
#include <mutex>
#include <vector>

namespace quorvel::bench {

// Request latencies in milliseconds, gathered from several threads.
struct Latencies {
  std::mutex mutex;
  std::vector<double> ms;

  void add(const std::vector<double>& more) {
    std::lock_guard lock(mutex);
    ms.insert(ms.end(), more.begin(), more.end());
  }
  double percentile(double p) {
    std::lock_guard lock(mutex);
    if (ms.empty()) return 0;
    std::sort(ms.begin(), ms.end());
    return ms[std::min(ms.size() - 1, static_cast<size_t>(p * static_cast<double>(ms.size())))];
  }
  double max() {
    std::lock_guard lock(mutex);
    return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end());
  }
};

inline double msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace quorvel::bench
