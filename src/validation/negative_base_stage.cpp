#include "validation/negative_base_stage.h"

namespace quorvel {

void NegativeBaseStage::runStarts() {
  consultas_ = 0;
  carregada_ = false;
  tipos_.reset();
}

void NegativeBaseStage::carregar() {
  // The memory grows as the rows come (growing never rereads the texts): counting the rows
  // first would read the whole table twice.
  auto tipos = std::make_unique<DuplicateMemory>();
  bool compartilha = banco_.colaboracao().gCompartilha;
  banco_.lerEmailsInvalidos(
      [&](std::string_view email, int tipo) { tipos->insert(email, static_cast<uint8_t>(tipo)); });
  tipos_ = std::move(tipos);
  carregada_ = true;
  carregadaCompartilha_ = compartilha;
}

int NegativeBaseStage::temEmailInvalido(std::string_view email) {
  return temEmailInvalido(HashedText(email));
}

int NegativeBaseStage::temEmailInvalido(HashedText email) {
  if (carregada_ && carregadaCompartilha_ != banco_.colaboracao().gCompartilha) runStarts();
  if (!carregada_ && ++consultas_ > consultasAntesDeCarregar) carregar();
  if (!carregada_) return banco_.temEmailInvalido(email.texto);
  int tipo = tipos_->valor(email);
  return tipo < 0 ? 0 : tipo;
}

}  // namespace quorvel
