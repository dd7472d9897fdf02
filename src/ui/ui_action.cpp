#include "ui/ui_action.h"

#include <exception>

#include "app/error_report.h"

namespace quorvel::ui {

namespace {
Dialogs* gDialogs = nullptr;
}

void setErrorDialogs(Dialogs* dialogs) {
  gDialogs = dialogs;
}

Dialogs* errorDialogs() {
  return gDialogs;
}

void executarAcao(const std::function<void()>& acao) {
  try {
    acao();
  } catch (...) {
    if (gDialogs) relatarFalha(*gDialogs, std::current_exception());
  }
}

}  // namespace quorvel::ui
