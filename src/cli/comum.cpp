#include "cli/comum.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace quorvel::cli {

bool readStdin(std::string& out) {
  out.clear();
  char buf[1 << 16];
  for (;;) {
    ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    out.append(buf, static_cast<size_t>(n));
  }
}

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
