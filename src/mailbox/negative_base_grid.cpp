#include "mailbox/negative_base_grid.h"

#include <algorithm>

#include "common/format.h"
#include "common/text.h"
#include "mailbox/bounce_rules.h"
#include "store/database.h"

namespace quorvel {

const std::string& NegativeBaseRow::coluna(int i) const {
  switch (i) {
    case 0:
      return email;
    case 1:
      return dataCadastro;
    case 2:
      return contaEmail;
    case 3:
      return textoRetorno;
    default:
      return tipoErro;
  }
}

std::string NegativeBaseGrid::sql() const {
  std::string tipos;
  for (auto [marcado, tipo] : {std::pair{ckbPermanentes, "1"}, std::pair{ckbRelativos, "2"},
                               std::pair{ckbDescadastrados, "3"}})
    if (marcado) tipos += (tipos.empty() ? "" : ",") + std::string(tipo);
  if (tipos.empty()) return "SELECT * FROM tbemailsinvalidos where seu = 1 order by data_cadastro";
  return "SELECT * FROM tbemailsinvalidos where (seu = 1) and (tipo_erro in (" + tipos +
         ")) order by data_cadastro";
}

void NegativeBaseGrid::abrir() {
  Table t = banco_.db().query(sql());
  auto indice = [&](const char* nome) {
    for (size_t i = 0; i < t.colunas.size(); ++i)
      if (t.colunas[i] == nome) return static_cast<int>(i);
    return -1;
  };
  const int c[] = {indice("email"), indice("data_cadastro"), indice("conta_email"),
                   indice("texto_retorno"), indice("tipo_erro")};
  linhas.clear();
  for (const auto& l : t.linhas) {
    auto v = [&](int i) { return i >= 0 ? l[i].value_or("") : std::string(); };
    linhas.push_back({v(c[0]), v(c[1]), v(c[2]), v(c[3]), v(c[4])});
  }
  ordenar();
  if (linhaAtual >= (int)linhas.size()) linhaAtual = (int)linhas.size() - 1;
  if (linhaAtual < 0 && !linhas.empty()) linhaAtual = 0;
  avisar(NegativeBaseGridNotice::Kind::linhas);
}

void NegativeBaseGrid::ordenar() {
  if (colunaOrdem < 0) return;
  int col = colunaOrdem;
  bool desc = descendente;
  std::stable_sort(linhas.begin(), linhas.end(), [&](const auto& a, const auto& b) {
    int r;
    if (col == 4)
      r = std::stoll("0" + a.tipoErro) < std::stoll("0" + b.tipoErro)   ? -1
          : std::stoll("0" + a.tipoErro) > std::stoll("0" + b.tipoErro) ? 1
                                                                        : 0;
    else
      r = compareText(a.coluna(col), b.coluna(col));
    return desc ? r > 0 : r < 0;
  });
}

void NegativeBaseGrid::clicarTitulo(int coluna) {
  if (coluna < 0 || coluna >= (int)kTitulos.size()) return;
  descendente = coluna == colunaOrdem ? !descendente : false;
  colunaOrdem = coluna;
  ordenar();
  avisar(NegativeBaseGridNotice::Kind::linhas);
}

bool NegativeBaseGrid::localizar(const std::string& inicio) {
  std::string alvo = toLower(inicio);
  for (size_t i = 0; i < linhas.size(); ++i)
    if (toLower(linhas[i].email).rfind(alvo, 0) == 0) {
      linhaAtual = static_cast<int>(i);
      avisar(NegativeBaseGridNotice::Kind::linhaAtual);
      return true;
    }
  return false;
}

void NegativeBaseGrid::irParaUltima() {
  linhaAtual = static_cast<int>(linhas.size()) - 1;
  avisar(NegativeBaseGridNotice::Kind::linhaAtual);
}

void NegativeBaseGrid::excluirAtual() {
  if (linhaAtual < 0 || linhaAtual >= (int)linhas.size()) return;
  banco_.db()
      .prepare("DELETE FROM tbemailsinvalidos WHERE email = :email")
      .bind(":email", linhas[linhaAtual].email)
      .exec();
  abrir();
}

void NegativeBaseGrid::inserirDescadastro(const std::string& email,
                                          std::chrono::year_month_day hoje) {
  // Stored as every address is compared: lower case, trimmed.
  const std::string normal = toLower(trimView(email));
  SqliteDb& db = banco_.db();
  try {
    db.prepare(
          "INSERT INTO tbemailsinvalidos (email, seu, data_cadastro, tipo_erro, texto_retorno) "
          "VALUES (:email, 1, :data, :tipo, :texto)")
        .bind(":email", normal)
        .bind(":data", getDataSQL(hoje))
        .bind(":tipo", kTipoDescadastro)
        .bind(":texto", "descadastramento incluído manualmente")
        .exec();
  } catch (const SqliteError& e) {
    // An address received from the service counts only while sharing is on: the user's own
    // request makes it the user's row. An own row is left as it is (the failure is told).
    if (e.primary() != SQLITE_CONSTRAINT) throw;
    if (db.prepare("UPDATE tbemailsinvalidos SET seu = 1, data_cadastro = :data, tipo_erro = "
                   ":tipo, texto_retorno = :texto, conta_email = NULL, uid = NULL WHERE email = "
                   ":email AND (seu IS NULL OR seu <> 1)")
            .bind(":email", normal)
            .bind(":data", getDataSQL(hoje))
            .bind(":tipo", kTipoDescadastro)
            .bind(":texto", "descadastramento incluído manualmente")
            .exec() == 0)
      throw;
  }
}

}  // namespace quorvel
