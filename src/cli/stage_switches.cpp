#include "cli/stage_switches.h"

#include <cstdio>

namespace quorvel::cli {

void printCounters(const ValidationChain& v, std::string& out) {
  for (size_t i = 0; i < kCounterCount; ++i) {
    auto c = static_cast<Counter>(i);
    out += counterName(c);
    out += '\t';
    out += v.counters.text(c);
    out += '\n';
  }
}

bool switchStagesOff(ValidationChain& v, const std::vector<std::string>& nomes) {
  for (const auto& nome : nomes) {
    bool* opcao = stageOptionByName(v.opcoes, nome);
    if (!opcao) {
      std::fprintf(stderr, "quorvel-cli: etapa desconhecida: %s\n", nome.c_str());
      return false;
    }
    *opcao = false;
  }
  return true;
}

}  // namespace quorvel::cli
