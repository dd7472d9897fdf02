#pragma once
// The negative-base stage over the database. A long run stops asking the database address by
// address: after enough lookups it reads the addresses with a positive error type once and
// answers from memory for the rest of the run (the run itself never writes that table).

#include <memory>
#include <string>

#include "store/database.h"
#include "validation/duplicate_memory.h"
#include "validation/stage_hooks.h"

namespace quorvel {

class NegativeBaseStage : public NegativeBase {
 public:
  explicit NegativeBaseStage(Database& banco) : banco_(banco) {}

  int temEmailInvalido(std::string_view email) override;
  int temEmailInvalido(HashedText email) override;
  void prefetchLookup(std::string_view email) override {
    if (carregada_) tipos_->prefetch(email);
  }
  void prefetchLookup(uint64_t hashEmail) override {
    if (carregada_) tipos_->prefetch(hashEmail);
  }
  // A new run: the next lookups go to the database again.
  void runStarts() override;
  // A run of more lookups than are worth asking one by one reads the base at its first lookup.
  void expectLookups(size_t n) override {
    if (!carregada_ && n > consultasAntesDeCarregar) consultas_ = consultasAntesDeCarregar;
  }

  size_t consultasAntesDeCarregar = 20000;
  bool carregadaNaMemoria() const { return carregada_; }

 private:
  void carregar();

  Database& banco_;
  size_t consultas_ = 0;
  bool carregada_ = false;
  bool carregadaCompartilha_ = false;
  // email → positive tipo_erro (types above 255 are kept as 255: only "positive" matters here
  // besides type 1).
  std::unique_ptr<DuplicateMemory> tipos_;
};

}  // namespace quorvel
