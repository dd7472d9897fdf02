#pragma once
// Tells a model's views once an operation returns, whatever it changed on the way: an operation
// a window calls starts with one, so no view has to read its model again after a click. A
// failure that leaves the operation tells nothing (the error box comes first; the next notice
// redraws).

#include <exception>
#include <utility>

namespace quorvel {

template <class Tell>
class NoticeOnReturn {
 public:
  explicit NoticeOnReturn(Tell tell) : tell_(std::move(tell)) {}
  NoticeOnReturn(const NoticeOnReturn&) = delete;
  NoticeOnReturn& operator=(const NoticeOnReturn&) = delete;
  ~NoticeOnReturn() {
    if (std::uncaught_exceptions() == falhasAntes_) tell_();
  }

 private:
  Tell tell_;
  int falhasAntes_ = std::uncaught_exceptions();
};

}  // namespace quorvel
