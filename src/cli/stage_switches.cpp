#include "cli/stage_switches.h"

#include "cli/cli_failure.h"
#include "cli/json_text.h"

namespace quorvel::cli {

std::string counterPanel(const ValidationChain& v) {
  std::string out;
  for (size_t i = 0; i < kCounterCount; ++i) {
    auto c = static_cast<Counter>(i);
    out += counterName(c);
    out += '\t';
    out += v.counters.text(c);
    out += '\n';
  }
  return out;
}

std::string counterPanelJson(const ValidationChain& v) {
  std::string out = "{\"counters\":{";
  for (size_t i = 0; i < kCounterCount; ++i) {
    auto c = static_cast<Counter>(i);
    if (i > 0) out += ',';
    out += jsonString(counterName(c));
    out += ':';
    out += v.counters.undefined(c) ? std::string("null") : std::to_string(v.counters.value(c));
  }
  out += "}}\n";
  return out;
}

void switchStagesOff(ValidationChain& v, const std::vector<std::string>& nomes) {
  for (const auto& nome : nomes) {
    bool* opcao = stageOptionByName(v.opcoes, nome);
    if (!opcao)
      throw CliFailure("etapa desconhecida: " + nome +
                       " (as etapas são: sintaxe, regras, armadilhas, internacional, empirico, "
                       "nomesraros, testemx, emailsinvalidos; e sugestoes)");
    *opcao = false;
  }
}

}  // namespace quorvel::cli
