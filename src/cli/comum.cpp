#include "cli/comum.h"

#include <cstdio>

namespace quorvel::cli {

void printCounters(const Validador& v, std::string& out) {
  for (size_t i = 0; i < kNumContadores; ++i) {
    auto c = static_cast<Contador>(i);
    out += nomeContador(c);
    out += '\t';
    out += v.contadores.texto(c);
    out += '\n';
  }
}

bool desligarEtapas(Validador& v, const std::vector<std::string>& nomes) {
  for (const auto& nome : nomes) {
    bool* opcao = opcaoPorNome(v.opcoes, nome);
    if (!opcao) {
      std::fprintf(stderr, "quorvel-cli: etapa desconhecida: %s\n", nome.c_str());
      return false;
    }
    *opcao = false;
  }
  return true;
}

}  // namespace quorvel::cli
