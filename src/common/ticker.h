#pragma once
// A repeating tick on the program's own thread: how a model acts on its own after some time (the
// automatic mailbox check, polling a helper program's answer). The desktop ticks from its event
// loop; without one (the command line, the core tests) a ManualTicker only records what it was
// asked and ticks when told to.

#include <chrono>
#include <functional>
#include <utility>

namespace quorvel {

class Ticker {
 public:
  virtual ~Ticker() = default;
  // Ticks every `intervalo` from now on (a running ticker starts over).
  virtual void start(std::chrono::milliseconds intervalo) = 0;
  virtual void stop() = 0;
  virtual bool active() const = 0;
  virtual std::chrono::milliseconds intervalo() const = 0;
};

class ManualTicker : public Ticker {
 public:
  explicit ManualTicker(std::function<void()> tick) : tick_(std::move(tick)) {}
  void start(std::chrono::milliseconds intervalo) override {
    intervalo_ = intervalo;
    ativo_ = true;
  }
  void stop() override { ativo_ = false; }
  bool active() const override { return ativo_; }
  std::chrono::milliseconds intervalo() const override { return intervalo_; }
  // One tick, as the event loop would give it when the interval has passed.
  void tick() {
    if (ativo_) tick_();
  }

 private:
  std::function<void()> tick_;
  std::chrono::milliseconds intervalo_{0};
  bool ativo_ = false;
};

}  // namespace quorvel
