#include "app/tdtm_principal.h"

#include <stdexcept>

namespace quorvel {

TdtmPrincipal::TdtmPrincipal(std::string programFolder)
    : home(std::move(programFolder)), settings(home) {
  settingsLoad = settings.loadConfig();
}

Database& TdtmPrincipal::abrirBD(EventPump* pump, int esperaMs) {
  if (bancoAberto()) return *banco_;
  auto banco = std::make_unique<Database>(home, colaboracao);
  banco->pump = pump;
  banco->esperaAberturaMs = esperaMs;
  banco->abrirBD();
  banco_ = std::move(banco);
  return *banco_;
}

Database& TdtmPrincipal::banco() {
  if (!banco_) throw std::logic_error("o banco de dados não foi aberto");
  return *banco_;
}

}  // namespace quorvel
