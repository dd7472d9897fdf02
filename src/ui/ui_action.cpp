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

int acoesEmAndamento() {
  return gEmAndamento;
}

void executarAcao(const std::function<void()>& acao) {
  struct Contagem {
    Contagem() { ++gEmAndamento; }
    ~Contagem() { --gEmAndamento; }
  } contagem;
  try {
    acao();
  } catch (...) {
    if (gDialogs) relatarFalha(*gDialogs, std::current_exception());
  }
}

}  // namespace quorvel::ui
