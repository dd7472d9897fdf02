#pragma once
// The negative-base stage over the database. A long run stops asking the database address by
// address: after enough lookups it reads the addresses with a positive error type once and
// answers from memory for the rest of the run (the run itself never writes that table).

#include <memory>
#include <string>

#include "store/banco_dados.h"
#include "validation/duplicate_memory.h"
#include "validation/stage_hooks.h"

namespace quorvel {

class BaseNegativaBD : public BaseNegativa {
 public:
  explicit BaseNegativaBD(BancoDados& banco) : banco_(banco) {}

  int temEmailInvalido(std::string_view email) override;
  void anteciparConsulta(std::string_view email) override {
    if (carregada_) tipos_->prefetch(email);
  }
  // A new run: the next lookups go to the database again.
  void inicioExecucao() override;

  size_t consultasAntesDeCarregar = 20000;
  bool carregadaNaMemoria() const { return carregada_; }

 private:
  void carregar();

  BancoDados& banco_;
  size_t consultas_ = 0;
  bool carregada_ = false;
  bool carregadaCompartilha_ = false;
  // email → positive tipo_erro (types above 255 are kept as 255: only "positive" matters here
  // besides type 1).
  std::unique_ptr<DuplicateMemory> tipos_;
};

}  // namespace quorvel
