#include "validation/base_negativa_bd.h"

namespace quorvel {

void BaseNegativaBD::inicioExecucao() {
  consultas_ = 0;
  carregada_ = false;
  tipos_.clear();
}

void BaseNegativaBD::carregar() {
  std::unordered_map<std::string, int> tipos;
  bool compartilha = banco_.colaboracao().gCompartilha;
  Statement st = banco_.db().prepare(
      compartilha ? "SELECT email, tipo_erro FROM tbemailsinvalidos WHERE tipo_erro > 0"
                  : "SELECT email, tipo_erro FROM tbemailsinvalidos WHERE tipo_erro > 0 AND "
                    "seu = 1");
  while (st.step()) tipos.emplace(st.columnText(0), static_cast<int>(st.columnInt(1)));
  st.reset();
  tipos_ = std::move(tipos);
  carregada_ = true;
  carregadaCompartilha_ = compartilha;
}

int BaseNegativaBD::temEmailInvalido(std::string_view email) {
  if (carregada_ && carregadaCompartilha_ != banco_.colaboracao().gCompartilha) inicioExecucao();
  if (!carregada_ && ++consultas_ > consultasAntesDeCarregar) carregar();
  if (!carregada_) return banco_.temEmailInvalido(email);
  auto it = tipos_.find(std::string(email));
  return it == tipos_.end() ? 0 : it->second;
}

}  // namespace quorvel
