#pragma once
// The window-opening port of a program without windows (the command line, the core's tests):
// the validation window and the definitions window are their models alone, so opening the
// definitions loads the filter lists at once; every other window is unavailable.

#include "common/window_opener.h"

namespace quorvel {

class Application;

class HeadlessWindows : public WindowOpener {
 public:
  explicit HeadlessWindows(Application& app) : app_(app) {}
  bool available(WindowId w) const override;
  void open(WindowId w) override;

 private:
  Application& app_;
};

}  // namespace quorvel
