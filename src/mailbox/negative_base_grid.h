#pragma once
// The grid of the user's own negative base on the mailbox window: the filter boxes, the column
// sort, the search, and the rows it deletes or adds.

#include <array>
#include <chrono>
#include <string>
#include <vector>

#include "common/notifier.h"

namespace quorvel {

class Database;

struct NegativeBaseRow {
  std::string email, dataCadastro, contaEmail, textoRetorno, tipoErro;
  // The cell of a visible column (0..4).
  const std::string& coluna(int i) const;
};

// What changed in the grid: its rows were read again or put in another order, or only the
// current row moved.
struct NegativeBaseGridNotice {
  enum class Kind { linhas, linhaAtual };
  Kind kind = Kind::linhas;
  bool operator==(const NegativeBaseGridNotice&) const = default;
};

class NegativeBaseGrid {
 public:
  explicit NegativeBaseGrid(Database& banco) : banco_(banco) {}

  // The titles of the visible columns (`seu`, `uid` and `hits` are not shown).
  static constexpr std::array<const char*, 5> kTitulos = {"E-mail", "Cadastro", "Conta", "Retorno",
                                                          "Tipo erro"};

  // Told after every operation below; a view that sets linhaAtual itself is not told back.
  Notifier<NegativeBaseGridNotice> notices;

  bool ckbPermanentes = false;
  bool ckbRelativos = false;
  bool ckbDescadastrados = false;
  std::vector<NegativeBaseRow> linhas;
  int linhaAtual = -1;
  int colunaOrdem = -1;  // -1: the statement's own order
  bool descendente = false;

  // The statement the filter boxes give.
  std::string sql() const;
  // Runs the statement again (keeping the column order chosen by the user).
  void abrir();
  // A title clicked: ascending, then descending, then ascending again.
  void clicarTitulo(int coluna);
  // Moves to the first row whose address starts with `inicio`, ignoring case; false when none.
  bool localizar(const std::string& inicio);
  void irParaUltima();
  // Deletes the current row from the table.
  void excluirAtual();
  // The manual unsubscribe row; throws when it cannot be stored (the address exists already).
  void inserirDescadastro(const std::string& email, std::chrono::year_month_day hoje);

 private:
  void ordenar();
  void avisar(NegativeBaseGridNotice::Kind k) { notices.notify({k}); }
  Database& banco_;
};

}  // namespace quorvel
