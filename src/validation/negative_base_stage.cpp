#include "validation/negative_base_stage.h"

namespace quorvel {

void NegativeBaseStage::runStarts() {
  consultas_ = 0;
  carregada_ = false;
  tipos_.reset();
}

void NegativeBaseStage::carregar() {
  auto tipos = std::make_unique<DuplicateMemory>();
  bool compartilha = banco_.colaboracao().gCompartilha;
  tipos->reserve(static_cast<size_t>(banco_.qtdTabela(kTbEmailsInvalidos)));
  Statement st = banco_.db().prepare(
      compartilha ? "SELECT email, tipo_erro FROM tbemailsinvalidos WHERE tipo_erro > 0"
                  : "SELECT email, tipo_erro FROM tbemailsinvalidos WHERE tipo_erro > 0 AND "
                    "seu = 1");
  while (st.step()) {
    const auto* texto = sqlite3_column_text(st.handle(), 0);
    int n = sqlite3_column_bytes(st.handle(), 0);
    int64_t tipo = st.columnInt(1);
    if (!texto) continue;
    tipos->insert(std::string_view(reinterpret_cast<const char*>(texto), static_cast<size_t>(n)),
                  static_cast<uint8_t>(tipo > 255 ? 255 : tipo));
  }
  st.reset();
  tipos_ = std::move(tipos);
  carregada_ = true;
  carregadaCompartilha_ = compartilha;
}

int NegativeBaseStage::temEmailInvalido(std::string_view email) {
  if (carregada_ && carregadaCompartilha_ != banco_.colaboracao().gCompartilha) runStarts();
  if (!carregada_ && ++consultas_ > consultasAntesDeCarregar) carregar();
  if (!carregada_) return banco_.temEmailInvalido(email);
  int tipo = tipos_->valor(email);
  return tipo < 0 ? 0 : tipo;
}

}  // namespace quorvel
