#include "store/tbconfig_seed.h"

#include "common/paths.h"
#include "store/database.h"

namespace quorvel {

SeedResult seedTbconfig(Database& banco, const std::string& programFolder) {
  SeedResult r;
  const std::string path = paths::join(programFolder, kConfigSnapshotFile);
  if (!paths::exists(path)) return r;
  if (!banco.aberto()) {
    r.erro = "O banco de dados não está aberto; a tabela de configurações não foi preenchida.";
    return r;
  }
  SqliteDb& db = banco.db();
  const std::string prefixo = "Não foi possível preencher a tabela de configurações: ";
  try {
    if (banco.qtdTabela("tbconfig") > 0) return r;
    r.snapshot = readConfigSnapshot(path);
    if (!r.snapshot.ok()) {
      r.erro = r.snapshot.erro + " A tabela de configurações não foi preenchida.";
      return r;
    }
    // IMMEDIATE takes the write lock before the count, so a second copy of the program that
    // starts at the same moment cannot seed the table twice.
    db.exec("BEGIN IMMEDIATE");
  } catch (const SqliteError& e) {
    r.erro = prefixo + e.what();
    return r;
  }
  try {
    if (banco.qtdTabela("tbconfig") == 0) {
      banco.apagarTabela("tbconfig");
      Statement st = db.prepare(
          "INSERT INTO tbconfig (categoria, nome, valor, tipo, descricao) VALUES (:acategoria, "
          ":anome, :avalor, :atipo, :adescricao)");
      for (const ConfigRow& l : r.snapshot.linhas) {
        st.bind(":acategoria", l.categoria)
            .bind(":anome", l.nome)
            .bind(":avalor", l.valor)
            .bind(":atipo", l.tipo)
            .bind(":adescricao", l.descricao);
        r.inseridas += st.exec();
      }
    }
    db.exec("COMMIT");
  } catch (const SqliteError& e) {
    try {
      db.exec("ROLLBACK");
    } catch (const SqliteError&) {
    }
    r.inseridas = 0;
    r.erro = prefixo + e.what() + ". A tabela não foi alterada.";
  }
  return r;
}

}  // namespace quorvel
