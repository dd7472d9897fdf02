#pragma once
// Change notices with any number of listeners: the one way a model tells its views (a window,
// its status bar, a progress line) what changed. A listener stays registered while the
// Subscription that listen() returned lives. Listeners belong to one object: copying or moving
// the owner never carries them along.

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace quorvel {

template <class Notice>
class Notifier {
  struct Entry {
    int id;
    std::function<void(const Notice&)> fn;
  };
  struct State {
    std::vector<Entry> entries;
    int nextId = 1;
  };

 public:
  // Ends the registration when it goes out of scope (also after the notifier is gone).
  class Subscription {
   public:
    Subscription() = default;
    Subscription(std::weak_ptr<State> state, int id) : state_(std::move(state)), id_(id) {}
    Subscription(Subscription&& o) noexcept : state_(std::move(o.state_)), id_(o.id_) { o.id_ = 0; }
    Subscription& operator=(Subscription&& o) noexcept {
      if (this != &o) {
        cancel();
        state_ = std::move(o.state_);
        id_ = o.id_;
        o.id_ = 0;
      }
      return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { cancel(); }

    void cancel() {
      if (auto s = state_.lock(); s && id_) {
        auto& e = s->entries;
        for (auto it = e.begin(); it != e.end(); ++it)
          if (it->id == id_) {
            e.erase(it);
            break;
          }
      }
      id_ = 0;
    }

   private:
    std::weak_ptr<State> state_;
    int id_ = 0;
  };

  Notifier() = default;
  Notifier(const Notifier&) : Notifier() {}
  Notifier& operator=(const Notifier&) { return *this; }

  [[nodiscard]] Subscription listen(std::function<void(const Notice&)> fn) {
    if (!state_) state_ = std::make_shared<State>();
    int id = state_->nextId++;
    state_->entries.push_back({id, std::move(fn)});
    return Subscription(state_, id);
  }

  bool hasListeners() const { return state_ && !state_->entries.empty(); }

  // Every listener hears the notice; one may subscribe or leave while it is being told.
  void notify(const Notice& n) const {
    if (!hasListeners()) return;
    auto keep = state_;
    const auto snapshot = keep->entries;
    for (const auto& e : snapshot)
      if (registered(*keep, e.id)) e.fn(n);
  }

 private:
  static bool registered(const State& s, int id) {
    for (const auto& e : s.entries)
      if (e.id == id) return true;
    return false;
  }
  std::shared_ptr<State> state_;
};

}  // namespace quorvel
