#pragma once
// The grid of the user's own negative base on the mailbox window: the filter boxes, the column
// sort, the search, and the rows it deletes or adds.

#include <array>
#include <chrono>
#include <string>
#include <vector>

namespace quorvel {

class Database;

struct NegativeBaseRow {
  std::string email, dataCadastro, contaEmail, textoRetorno, tipoErro;
  // The cell of a visible column (0..4).
  const std::string& coluna(int i) const;
};

class NegativeBaseGrid {
 public:
  explicit NegativeBaseGrid(Database& banco) : banco_(banco) {}

  // The titles of the visible columns (`seu`, `uid` and `hits` are not shown).
  static constexpr std::array<const char*, 5> kTitulos = {"E-mail", "Cadastro", "Conta", "Retorno",
                                                          "Tipo erro"};

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
  void irParaUltima() { linhaAtual = static_cast<int>(linhas.size()) - 1; }
  // Deletes the current row from the table.
  void excluirAtual();
  // The manual unsubscribe row; throws when it cannot be stored (the address exists already).
  void inserirDescadastro(const std::string& email, std::chrono::year_month_day hoje);

 private:
  void ordenar();
  Database& banco_;
};

}  // namespace quorvel
