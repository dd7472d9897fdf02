#include "cli/ambiente.h"

#include <stdexcept>

#include "common/paths.h"

namespace quorvel::cli {

Ambiente::Ambiente(const std::string& homeOpcao, bool verbose)
    : home(homeOpcao.empty() ? paths::programFolder() : homeOpcao) {
  if (!paths::isFolder(home)) throw std::runtime_error("a pasta de trabalho não existe: " + home);
  dialogs.verbose = verbose;
  carregarDefinicoes(validador, home);
}

void Ambiente::abrirBancoSeUsado() {
  if (validador.opcoes.ckbTesteMX || validador.opcoes.ckbEmailsInvalidos) abrirBanco();
}

void Ambiente::abrirBanco() {
  banco = std::make_unique<Database>(home, colaboracao);
  banco->esperaAberturaMs = 0;
  banco->abrirBD();
  resolver = std::make_unique<CaresResolver>();
  mx = std::make_unique<TesteMX>(*banco, colaboracao, *resolver, pump);
  base = std::make_unique<NegativeBaseStage>(*banco);
  validador.setMxTeste(mx.get());
  validador.setBaseNegativa(base.get());
}

}  // namespace quorvel::cli
