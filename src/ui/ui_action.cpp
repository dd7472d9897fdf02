#include "ui/ui_action.h"

#include <exception>

#include "app/error_report.h"

namespace quorvel::ui {

namespace {
Dialogs* gDialogs = nullptr;
int gEmAndamento = 0;
}  // namespace

void setErrorDialogs(Dialogs* dialogs) {
  gDialogs = dialogs;
}

Dialogs* errorDialogs() {
  return gDialogs;
}

int runningActions() {
  return gEmAndamento;
}

void runGuarded(const std::function<void()>& action) {
  struct Contagem {
    Contagem() { ++gEmAndamento; }
    ~Contagem() { --gEmAndamento; }
  } contagem;
  try {
    action();
  } catch (...) {
    if (gDialogs) reportFailure(*gDialogs, std::current_exception());
  }
}

}  // namespace quorvel::ui
