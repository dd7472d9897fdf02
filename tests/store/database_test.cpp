// The encrypted database on disk: opening, the schema, every operation, own-only and shared.
#include "store/database.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "common/text_file.h"
#include "support/scripted_ports.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using std::chrono::day;
using std::chrono::month;
using std::chrono::year;

class DatabaseTest : public ::testing::Test {
 protected:
  fs::path home;
  SharingFlags colaboracao;
  std::unique_ptr<Database> banco;

  void SetUp() override {
    home = fs::temp_directory_path() /
           ("quorvel-bd-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(home);
    fs::create_directories(home);
    abrir();
  }
  void TearDown() override {
    banco.reset();
    fs::remove_all(home);
  }
  void abrir() {
    banco = std::make_unique<Database>(home.string(), colaboracao);
    banco->esperaAberturaMs = 0;
    banco->hoje = [] { return std::chrono::year_month_day{year{2026}, month{12}, day{10}}; };
    banco->abrirBD();
  }
  std::string linha(const std::string& sql) {
    auto t = banco->db().query(sql);
    std::string out;
    for (const auto& r : t.linhas)
      for (const auto& c : r) out += (c ? *c : "NULL") + "|";
    return out;
  }
};

TEST_F(DatabaseTest, CreatesAnEncryptedFileWithTheSchemaAndReopensCleanly) {
  fs::path arquivo = home / "dados" / "config" / "quorvel.bd";
  ASSERT_TRUE(fs::exists(arquivo));
  banco->inserirMX(kTbMxValidos, "gmail.com", "2026-12-10", true);
  banco.reset();
  // Not a plain SQLite file: its header is encrypted.
  auto bytes = readFileBytes(arquivo.string());
  ASSERT_TRUE(bytes);
  EXPECT_NE(bytes->substr(0, 15), "SQLite format 3");
  EXPECT_EQ(bytes->find("gmail.com"), std::string::npos);
  abrir();  // the second opening creates nothing and reports nothing
  EXPECT_TRUE(banco->temDominioMX(kTbMxValidos, "gmail.com"));
  EXPECT_EQ(linha("SELECT count(*) FROM sqlite_master WHERE name = 'data_cadastro_index'"), "1|");
  for (const char* t :
       {"tbconfig", "tbmxvalidos", "tbmxinvalidos", "tbemailsinvalidos", "tbContas"})
    EXPECT_EQ(banco->qtdTabela(t) >= 0, true) << t;
}

TEST_F(DatabaseTest, AWrongKeyOrADamagedFileIsReportedAndLeftUntouched) {
  banco->inserirMX(kTbMxValidos, "gmail.com", "2026-12-10", true);
  banco.reset();
  fs::path arquivo = home / "dados" / "config" / "quorvel.bd";
  std::string original = *readFileBytes(arquivo.string());

  // Another key: the same bytes read as garbage.
  {
    SqliteDb db;
    db.open(arquivo.string(), false);
    db.exec("PRAGMA key = 'outra senha';");
    EXPECT_THROW(db.query("SELECT count(*) FROM sqlite_master;"), SqliteError);
  }
  // A damaged file: the middle overwritten.
  std::string danificado = original;
  for (size_t i = 0; i < 64 && i < danificado.size(); ++i) danificado[i] = 'x';
  std::ofstream(arquivo, std::ios::binary | std::ios::trunc) << danificado;
  try {
    abrir();
    FAIL() << "a damaged file opened";
  } catch (const DatabaseError& e) {
    EXPECT_THAT(e.what(), ::testing::StartsWith("Não foi possível abrir o banco de dados "));
    EXPECT_THAT(e.what(), ::testing::HasSubstr("O arquivo não foi alterado."));
  }
  EXPECT_EQ(*readFileBytes(arquivo.string()), danificado);
  EXPECT_FALSE(banco->aberto());
}

TEST_F(DatabaseTest, AFileLockedByAnotherProgramIsReported) {
  banco.reset();
  fs::path arquivo = home / "dados" / "config" / "quorvel.bd";
  SqliteDb outro;
  outro.open(arquivo.string(), false);
  outro.exec(std::string("PRAGMA key = '") + Database::kSenha + "';");
  outro.exec("BEGIN EXCLUSIVE;");
  banco = std::make_unique<Database>(home.string(), colaboracao);
  banco->esperaAberturaMs = 0;
  banco->esperaBloqueioMs = 50;
  try {
    banco->abrirBD();
    FAIL() << "opened a locked file";
  } catch (const DatabaseError& e) {
    EXPECT_THAT(e.what(), ::testing::HasSubstr("bloqueado por outro programa"));
  }
  outro.exec("ROLLBACK;");
  banco->abrirBD();
  EXPECT_TRUE(banco->aberto());
}

// The store holds the mail passwords: on a shared computer only its owner may read it.
TEST_F(DatabaseTest, TheStoreAndItsFolderAreTheOwnersAlone) {
  const mode_t mascara = ::umask(022);
  const fs::path config = home / "dados" / "config";
  auto modo = [](const fs::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 0777 : 01000u;
  };
  // A new workspace.
  banco.reset();
  fs::remove_all(home / "dados");
  abrir();
  banco->inserirMX(kTbMxValidos, "gmail.com", "2026-12-10", true);
  EXPECT_EQ(modo(home / "dados"), 0700u);
  EXPECT_EQ(modo(config), 0700u);
  for (const char* f : {"quorvel.bd", "quorvel.bd-wal", "quorvel.bd-shm"})
    EXPECT_EQ(modo(config / f), 0600u) << f;
  // One made by an older version is tightened when the store opens.
  banco.reset();
  fs::permissions(config, fs::perms(0755));
  fs::permissions(config / "quorvel.bd", fs::perms(0644));
  abrir();
  EXPECT_EQ(modo(config), 0700u);
  EXPECT_EQ(modo(config / "quorvel.bd"), 0600u);
  ::umask(mascara);
}

// Older versions stored hand-typed removals as typed: they never matched a normalised address.
TEST_F(DatabaseTest, AddressesStoredAsTypedAreNormalisedWhenTheStoreOpens) {
  for (auto [email, seu] : {std::pair{"Fulano.Tal@Cliente.com.br", true},
                            std::pair{" ana@x.test ", true},  // own, over a received row
                            std::pair{"ana@x.test", false},
                            std::pair{"Bia@X.test", false},  // received, under an own row
                            std::pair{"bia@x.test", true}, std::pair{"JOÃO@X.TEST", true}})
    banco->db()
        .prepare(
            "INSERT INTO tbemailsinvalidos (email, seu, data_cadastro, tipo_erro) VALUES "
            "(:e, :s, '2026-12-01', 3)")
        .bind(":e", email)
        .bind(":s", seu ? 1 : 0)
        .exec();
  banco.reset();
  abrir();
  EXPECT_EQ(linha("SELECT email, seu FROM tbemailsinvalidos ORDER BY email"),
            "ana@x.test|1|bia@x.test|1|fulano.tal@cliente.com.br|1|joão@x.test|1|");
  EXPECT_EQ(banco->temEmailInvalido("fulano.tal@cliente.com.br"), 3);
  EXPECT_TRUE(banco->removerEmailInvalido(" Ana@X.test"));
}

TEST_F(DatabaseTest, InserirMxOwnAndReceivedRows) {
  // Received rows never overwrite; own data turns a received row into an own one, keeping its date.
  EXPECT_TRUE(banco->inserirMX(kTbMxValidos, "recebido.com", "2024-01-02", false));
  EXPECT_FALSE(banco->inserirMX(kTbMxValidos, "recebido.com", "2026-12-10", false));
  EXPECT_EQ(linha("SELECT dominio, data_cadastro, seu, hits FROM tbmxvalidos"),
            "recebido.com|2024-01-02|0|NULL|");
  EXPECT_FALSE(banco->temDominioMX(kTbMxValidos, "recebido.com"));  // own-only by default
  colaboracao.gCompartilha = true;
  EXPECT_TRUE(banco->temDominioMX(kTbMxValidos, "recebido.com"));
  colaboracao.gCompartilha = false;
  EXPECT_TRUE(banco->inserirMX(kTbMxValidos, "recebido.com", "2026-12-10", true));
  EXPECT_EQ(linha("SELECT dominio, data_cadastro, seu FROM tbmxvalidos"),
            "recebido.com|2024-01-02|1|");
  EXPECT_TRUE(banco->temDominioMX(kTbMxValidos, "recebido.com"));
  EXPECT_THROW(banco->inserirMX("tbmxvalidos; drop table tbconfig", "x", "y", true), StoreFailure);
}

TEST_F(DatabaseTest, MassInsertsIgnoreExistingRowsInOneTransaction) {
  banco->inserirMX(kTbMxInvalidos, "meu.com", "2020-05-05", true);
  banco->inserirMXMass(kTbMxInvalidos, "meu.com\r\nnovo.com\r\n\r\n  outro.com  \n", false);
  EXPECT_EQ(linha("SELECT dominio, data_cadastro, seu FROM tbmxinvalidos ORDER BY dominio"),
            "meu.com|2020-05-05|1|novo.com|2026-12-10|0|outro.com|2026-12-10|0|");
  banco->inserirEmailInvalidoMass("a@x.com\nb@x.com\n");
  EXPECT_EQ(linha("SELECT email, data_cadastro, seu, tipo_erro FROM tbemailsinvalidos ORDER BY 1"),
            "a@x.com|2026-12-10|0|1|b@x.com|2026-12-10|0|1|");
}

TEST_F(DatabaseTest, LearntRowsCanBeListedForgottenAndRemoved) {
  banco->inserirMX(kTbMxValidos, "b.com", "2026-01-02", true);
  banco->inserirMX(kTbMxValidos, "a.com", "2025-05-06", false);
  banco->inserirMX(kTbMxInvalidos, "nx.com", "2026-01-02", true);
  std::string lista;
  banco->listarMX(kTbMxValidos, [&](std::string_view d, std::string_view data, bool seu) {
    lista += std::string(d) + "|" + std::string(data) + "|" + (seu ? "1" : "0") + ";";
  });
  EXPECT_EQ(lista, "a.com|2025-05-06|0;b.com|2026-01-02|1;");
  EXPECT_TRUE(banco->esquecerMX("nx.com"));
  EXPECT_FALSE(banco->esquecerMX("nx.com"));
  EXPECT_FALSE(banco->temDominioMX(kTbMxInvalidos, "nx.com"));
  banco->inserirEmailInvalido("a@x.com", "", "", {}, 1, 0, true);
  EXPECT_TRUE(banco->removerEmailInvalido("a@x.com"));
  EXPECT_FALSE(banco->removerEmailInvalido("a@x.com"));
  EXPECT_EQ(banco->temEmailInvalido("a@x.com"), 0);
}

TEST_F(DatabaseTest, NegativeBaseRowsAndLookups) {
  const auto data = std::chrono::year_month_day{year{2025}, month{3}, day{4}};
  EXPECT_EQ(
      banco->inserirEmailInvalido("a@x.com", "550 no such user", "eu@x.com", data, 1, 77, false),
      1);
  EXPECT_EQ(banco->temEmailInvalido("a@x.com"), 0);  // received, own-only mode
  colaboracao.gCompartilha = true;
  EXPECT_EQ(banco->temEmailInvalido("a@x.com"), 1);
  colaboracao.gCompartilha = false;
  // Own data replaces every column of an existing row; the result is 0.
  EXPECT_EQ(banco->inserirEmailInvalido("a@x.com", "mailbox full", "outra@x.com",
                                        std::chrono::year_month_day{year{2026}, month{1}, day{2}},
                                        2, 99, true),
            0);
  EXPECT_EQ(linha("SELECT email, data_cadastro, seu, tipo_erro, uid, texto_retorno, conta_email "
                  "FROM tbemailsinvalidos"),
            "a@x.com|2026-01-02|1|2|99|mailbox full|outra@x.com|");
  EXPECT_EQ(banco->temEmailInvalido("a@x.com"), 2);
  // Received data never overwrites.
  EXPECT_EQ(banco->inserirEmailInvalido("a@x.com", "z", "z", data, 3, 1, false), 0);
  EXPECT_EQ(banco->temEmailInvalido("a@x.com"), 2);
  banco->db().exec(
      "INSERT INTO tbemailsinvalidos (email, seu, tipo_erro) VALUES ('n@x.com', 1, NULL)");
  EXPECT_EQ(banco->temEmailInvalido("n@x.com"), 0);
  EXPECT_EQ(banco->temEmailInvalido("ninguem@x.com"), 0);
}

TEST_F(DatabaseTest, CountsIdsAndDeletion) {
  EXPECT_EQ(banco->qtdEmailsOnline(), "seu=0\r\nonline=0\r\n");
  EXPECT_EQ(banco->getNextId("tbContas", "id_conta"), 1);
  banco->db().exec("INSERT INTO tbContas (id_conta, email) VALUES (41, 'a@b.com')");
  EXPECT_EQ(banco->getNextId("tbContas", "id_conta"), 42);
  EXPECT_THROW(banco->getNextId("tbnaoexiste", "id"), StoreFailure);
  banco->inserirEmailInvalidoMass("a@x.com\nb@x.com");
  banco->inserirEmailInvalido("c@x.com", "", "", {year{2026}, month{1}, day{1}}, 1, 0, true);
  EXPECT_EQ(banco->qtdEmailsOnline(), "seu=1\r\nonline=2\r\n");
  EXPECT_EQ(banco->qtdTabela("tbemailsinvalidos"), 3);
  banco->inserirMX(kTbMxValidos, "a.com", "2026-01-01", true);
  EXPECT_EQ(banco->qtdTabela(kTbMxValidos, "data_cadastro_index"), 1);
  EXPECT_EQ(banco->consultaEmailsInvalidosProprios().linhas.size(), 1u);
  EXPECT_EQ(banco->consultaContas().linhas.size(), 1u);
  banco->apagarTabela("tbemailsinvalidos");
  EXPECT_EQ(banco->qtdTabela("tbemailsinvalidos"), 0);
}

TEST_F(DatabaseTest, MaintenanceVacuumsAndReopens) {
  banco->inserirMXMass(kTbMxValidos, "a.com\nb.com\nc.com", true);
  RecordingProgress progress;
  banco->manutencao(progress);
  EXPECT_EQ(progress.operation, "Fazendo manutenção no banco...");
  EXPECT_EQ(progress.legend1, "Aguarde...");
  EXPECT_FALSE(progress.visible);
  EXPECT_TRUE(banco->aberto());
  EXPECT_EQ(banco->qtdTabela(kTbMxValidos), 3);
}

}  // namespace
}  // namespace quorvel
