// Filling the settings table from config.db, against the real encrypted database file.
#include "store/tbconfig_seed.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "store/database.h"
#include "support/temp_folder.h"

namespace quorvel {
namespace {

using testing::TempFolder;

class TbconfigSeed : public ::testing::Test {
 protected:
  TempFolder home;
  SharingFlags colaboracao;
  std::unique_ptr<Database> banco;

  void SetUp() override { abrir(); }

  // A fresh connection, as at the next start of the program.
  void abrir() {
    banco.reset();
    banco = std::make_unique<Database>(home.str(), colaboracao);
    banco->esperaAberturaMs = 0;
    banco->abrirBD();
  }
  // Every row as "id|categoria|nome|valor|tipo|descricao", NULL spelled out.
  std::vector<std::string> linhas() {
    Table t = banco->db().query(
        "SELECT id_config, categoria, nome, valor, tipo, descricao FROM tbconfig ORDER BY "
        "id_config");
    std::vector<std::string> out;
    for (const auto& linha : t.linhas) {
      std::string s;
      for (const auto& c : linha) s += (s.empty() ? "" : "|") + (c ? *c : "NULL");
      out.push_back(s);
    }
    return out;
  }
  void gravarSnapshot(const std::string& bytes) { home.write(kConfigSnapshotFile, bytes); }
};

const std::string kSnapshotValido =
    "categoria\tnome\tvalor\ttipo\tdescricao\r\n"
    "geral\tcheck_definition\ttrue\tbool\tVerificar definições\r\n"
    "conta\tassinatura\tAtenciosamente,\\r\\nEquipe\ttexto\t\r\n";

TEST_F(TbconfigSeed, LeavesTheTableAloneWithoutSnapshotOrWhenItHoldsRows) {
  struct Caso {
    const char* what;
    const char* snapshot;  // nullptr: no config.db
    bool comLinha;         // tbconfig already holds a row
  };
  const std::vector<Caso> casos = {
      {"no config.db, empty table", nullptr, false},
      {"no config.db, a row in the table", nullptr, true},
      {"config.db and a row in the table", kSnapshotValido.c_str(), true},
      // The table is not empty, so the file is not even read.
      {"an unusable config.db and a row in the table", "lixo", true},
  };
  for (const auto& caso : casos) {
    banco->apagarTabela("tbconfig");
    std::filesystem::remove(home / kConfigSnapshotFile);
    if (caso.snapshot) gravarSnapshot(caso.snapshot);
    if (caso.comLinha)
      banco->db().exec(
          "INSERT INTO tbconfig (categoria, nome, valor) VALUES ('minha', 'chave', 'valor')");
    const std::vector<std::string> antes = linhas();
    abrir();

    SeedResult r = seedTbconfig(*banco, home.str());
    EXPECT_TRUE(r.ok()) << caso.what << ": " << r.erro;
    EXPECT_EQ(r.inseridas, 0) << caso.what;
    abrir();
    EXPECT_EQ(linhas(), antes) << caso.what;
  }
}

TEST_F(TbconfigSeed, FillsAnEmptyTableColumnByColumnOnce) {
  // Columns in another order, an id that SQLite replaces, a column the table does not have.
  gravarSnapshot(
      "\xEF\xBB\xBF"
      "descricao\tvalor\tid_config\tnome\tcategoria\textra\ttipo\n"
      "Verificar definições\ttrue\t99\tcheck_definition\tgeral\tx\tbool\n"
      "\tAtenciosamente,\\nEquipe\\tQuorvel\t\tassinatura\tconta\n"
      "\t\t\t\t\t\t\n");
  SeedResult r = seedTbconfig(*banco, home.str());
  ASSERT_TRUE(r.ok()) << r.erro;
  EXPECT_EQ(r.inseridas, 3);

  abrir();
  const std::vector<std::string> esperado = {
      "1|geral|check_definition|true|bool|Verificar definições",
      "2|conta|assinatura|Atenciosamente,\nEquipe\tQuorvel||",
      "3|||||",
  };
  EXPECT_EQ(linhas(), esperado);

  // The next start finds rows and leaves them, even with another snapshot beside the program.
  gravarSnapshot(kSnapshotValido);
  r = seedTbconfig(*banco, home.str());
  EXPECT_TRUE(r.ok()) << r.erro;
  EXPECT_EQ(r.inseridas, 0);
  EXPECT_EQ(linhas(), esperado);
}

TEST_F(TbconfigSeed, AFailureIsReportedAndLeavesTheTableEmpty) {
  struct Caso {
    const char* what;
    std::string snapshot;
    std::string trecho;  // part of the message the user sees
  };
  const std::vector<Caso> casos = {
      {"no header", "geral\tcheck_definition\ttrue\n", "config.db"},
      // The database refuses the second row after the first went in.
      {"a row refused by the database", kSnapshotValido, "A tabela não foi alterada."},
  };
  for (const auto& caso : casos) {
    banco->db().exec(
        "CREATE TRIGGER recusa BEFORE INSERT ON tbconfig WHEN NEW.nome = 'assinatura' "
        "BEGIN SELECT RAISE(ABORT, 'linha recusada'); END");
    gravarSnapshot(caso.snapshot);

    SeedResult r = seedTbconfig(*banco, home.str());
    EXPECT_FALSE(r.ok()) << caso.what;
    EXPECT_NE(r.erro.find(caso.trecho), std::string::npos) << caso.what << ": " << r.erro;
    EXPECT_EQ(r.inseridas, 0) << caso.what;
    EXPECT_TRUE(linhas().empty()) << caso.what;

    // Nothing was left half done: the same connection seeds normally afterwards.
    banco->db().exec("DROP TRIGGER recusa");
    gravarSnapshot(kSnapshotValido);
    r = seedTbconfig(*banco, home.str());
    EXPECT_TRUE(r.ok()) << caso.what << ": " << r.erro;
    EXPECT_EQ(r.inseridas, 2) << caso.what;
    abrir();
    EXPECT_EQ(linhas().size(), 2u) << caso.what;
    banco->apagarTabela("tbconfig");
  }
}

}  // namespace
}  // namespace quorvel
