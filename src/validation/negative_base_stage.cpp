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
  banco_.lerEmailsInvalidos(
      [&](std::string_view email, int tipo) { tipos->insert(email, static_cast<uint8_t>(tipo)); });
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
