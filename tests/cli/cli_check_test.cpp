// quorvel-cli check, run as a user would: a real workspace folder, stdin and arguments.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "store/database.h"
#include "support/cli_runner.h"
#include "support/dns_peer.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class CliCheck : public ::testing::Test {
 protected:
  fs::path home;
  // Every run of the program asks this server, never the machine's resolver.
  quorvel::testing::DnsPeer dns;
  void SetUp() override {
    ::setenv("QUORVEL_DNS_SERVER", dns.server().c_str(), 1);
    ::setenv("QUORVEL_DNS_TIMEOUT_MS", "200", 1);
    home = fs::temp_directory_path() /
           ("quorvel-cli-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(home / "dados" / "config");
    // A UTF-16 rule file and CR-only line ends: both must be read.
    std::ofstream(home / "dados/config/local_regras.filter", std::ios::binary)
        << std::string("\xFF\xFE*\0.\0g\0o\0v\0.\0b\0r\0\r\0\n\0", 20);
    std::ofstream(home / "dados/config/sys_paises.filter", std::ios::binary) << ".fr\r.jp\r";
  }
  void TearDown() override { fs::remove_all(home); }
  std::string homeArg() const { return "--home " + home.string(); }
};

TEST_F(CliCheck, SingleAddressChainPrintsInputAddressAndReason) {
  auto r = run("check " + homeArg(), " Ana@X.com\nana@x.com\nx@pref.gov.br\r\nj@o.fr\n\nbad\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            " Ana@X.com\tana@x.com\t\n"
            "ana@x.com\t\tE-mail repetido\n"
            "x@pref.gov.br\t\tRegra personalizada (*.gov.br)\n"
            "j@o.fr\t\tFiltro de países: .fr\n"
            "\t\t\n"
            "bad\t\tErro de sintaxe\n");
}

TEST_F(CliCheck, GridRunListsValidThenInvalidAndTheCounters) {
  auto r = run("check --grid --counters " + homeArg(), "b@x.com\nbad\nB@X.COM\n\nc@y.com\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "V\tb@x.com\n"
            "V\tc@y.com\n"
            "I\tbad\tErro de sintaxe\n"
            "lbTotalOriginal\t5\nlbProcessados\t5\nlbTotalInvalidos\t2\nlbTotalFinal\t2\n"
            "lbRepetidos\t1\nlbSintaxe\t1\nlbRegras\t0\nlbArmadilhas\t0\nlbInternacional\t0\n"
            "lbEmpirico\t0\nlbNomesRaros\t0\nlbTesteMx\t0\nlbEmailsInvalidos\t0\nlbBases\t0\n");
}

TEST_F(CliCheck, ALongInputGetsEveryVerdictInItsLineOrder) {
  // Lines are prepared a few ahead of their turn: repeats at every distance around that window,
  // blank lines and lines of fields must still get the verdict of their own line.
  std::string entrada, esperado;
  std::vector<std::string> vistos;
  for (int i = 0; i < 300; ++i) {
    std::string linha;
    if (i % 17 == 5) {
      entrada += "\n";
      esperado += "\t\t\n";
      continue;
    }
    const int distancia = 1 + i % 7;  // 1 to 7 lines back
    const bool repete = i % 3 == 0 && static_cast<int>(vistos.size()) >= distancia;
    const std::string endereco = repete ? vistos[vistos.size() - static_cast<size_t>(distancia)]
                                        : "p" + std::to_string(i) + "@loja.com.br";
    vistos.push_back(endereco);
    if (i % 11 == 4)
      linha = "Nome " + std::to_string(i) + ";" + endereco + ";Recife";
    else
      linha = i % 2 ? endereco
                    : std::string(" ") + static_cast<char>(std::toupper(endereco[0])) +
                          endereco.substr(1);
    entrada += linha + "\n";
    const bool repetido = std::count(vistos.begin(), vistos.end() - 1, endereco) > 0;
    esperado += linha + (repetido ? "\t\tE-mail repetido\n" : "\t" + endereco + "\t\n");
  }
  auto r = run("check --disable empirico,testemx,emailsinvalidos " + homeArg(), entrada);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, esperado);
}

TEST_F(CliCheck, ArgumentsDisabledStagesAndUndefinedTotal) {
  auto r =
      run("check --counters --disable sintaxe,internacional " + homeArg() + " 'a b' j@o.fr", "");
  EXPECT_EQ(r.status, 0);
  // Without "@" there is no domain: no mail server.
  EXPECT_THAT(r.out, HasSubstr("a b\t\tTeste MX - \nj@o.fr\tj@o.fr\t\n"));
  EXPECT_THAT(r.out, HasSubstr("lbTotalOriginal\tindefinido\n"));
  EXPECT_THAT(r.out, HasSubstr("lbProcessados\t2\n"));
}

TEST_F(CliCheck, HostileInputIsAnsweredLineByLine) {
  std::string input =
      std::string("a\0b@x.com\r", 10) + "\xFF@x.com\r" + std::string(1 << 20, 'z') + "\r";
  auto r = run("check " + homeArg(), input);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);
  EXPECT_THAT(r.out, HasSubstr("\t\tErro de sintaxe\n"));
}

// A line of fields without any address (88 in 20,000 lines of real lists) gets a verdict like
// every other line: printed, and counted with the invalid ones.
TEST_F(CliCheck, ALineWithoutAnyAddressStillGetsAVerdict) {
  const std::string linhas =
      "ana@gmail,com\nlmartins@superig,com.br\nMATHEUS#@UOL.COM.BR\t\nbia@x.com;Bia\n\n";
  auto r = run("check --counters --disable testemx " + homeArg(), linhas);
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.out, HasSubstr("ana@gmail,com\t\tNenhum e-mail encontrado\n"
                               "lmartins@superig,com.br\t\tNenhum e-mail encontrado\n"
                               "MATHEUS#@UOL.COM.BR\t\t\tNenhum e-mail encontrado\n"
                               "bia@x.com;Bia\tbia@x.com\t\n"
                               "\t\t\n"));
  EXPECT_THAT(r.out, HasSubstr("lbProcessados\t4\nlbTotalInvalidos\t3\nlbTotalFinal\t1\n"));
  auto j = run("check --json --disable testemx " + homeArg() + " 'ana@gmail,com'", "");
  EXPECT_EQ(j.out,
            "{\"input\":\"ana@gmail,com\",\"address\":\"\",\"valid\":false,\"reason\":\"Nenhum "
            "e-mail encontrado\"}\n");
}

TEST_F(CliCheck, MissingWorkspaceOrUnknownStageIsAClearError) {
  auto r = run("check --home /nao/existe a@b.com", "", true);
  EXPECT_NE(r.status, 0);
  EXPECT_THAT(r.out, HasSubstr("a pasta de trabalho não existe: /nao/existe"));
  r = run("check --disable sintax " + homeArg() + " a@b.com", "", true);
  EXPECT_NE(r.status, 0);
  EXPECT_THAT(r.out, HasSubstr("etapa desconhecida: sintax"));
}

TEST_F(CliCheck, WorkspaceWithoutFilterFilesRejectsOnlyBySyntaxAndShape) {
  fs::remove_all(home / "dados");
  auto r = run("check " + homeArg() + " x@pref.gov.br j@o.fr", "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "x@pref.gov.br\tx@pref.gov.br\t\nj@o.fr\tj@o.fr\t\n");
}

}  // namespace

namespace {

TEST_F(CliCheck, AllNineStagesWithTheWorkspaceDatabase) {
  auto r = run("check " + homeArg() + " a@good.test b@naoexiste.test c@aonly.test", "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "a@good.test\ta@good.test\t\n"
            "b@naoexiste.test\t\tTeste MX - naoexiste.test\n"
            "c@aonly.test\t\tTeste MX - aonly.test\n");
  // The answers are now in the database: the second time they come from the cache.
  r = run("mx " + homeArg() + " good.test NaoExiste.test nullmx.test servfail.test", "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "good.test\t1\tcache\n"
            "naoexiste.test\t0\tcache\n"
            "nullmx.test\t0\tDNS\n"
            "servfail.test\t2\tsem resposta do DNS\n");
  r = run("db stats " + homeArg(), "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "tbconfig\t0\ntbmxvalidos\t1\ntbmxinvalidos\t3\ntbemailsinvalidos\t0\ntbContas\t0\n");
  r = run("check --disable testemx,emailsinvalidos " + homeArg() + " b@naoexiste.test", "");
  EXPECT_EQ(r.out, "b@naoexiste.test\tb@naoexiste.test\t\n");
}

TEST_F(CliCheck, ASuggestionIsTheFourthFieldOrAJsonMember) {
  std::ofstream(home / "dados/config/sys_provedores.filter", std::ios::binary) << "good.test\n";
  auto r = run("check " + homeArg() + " a@goood.test b@godo.test c@god.test", "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "a@goood.test\t\tTeste MX - goood.test\ta@good.test\n"
            "b@godo.test\t\tTeste MX - godo.test\tb@good.test\n"
            "c@god.test\t\tTeste MX - god.test\tc@good.test\n");
  r = run("check --json " + homeArg() + " d@goood.test e@naoexiste.test", "");
  EXPECT_EQ(
      r.out,
      "{\"input\":\"d@goood.test\",\"address\":\"\",\"valid\":false,\"reason\":\"Teste MX - "
      "goood.test\",\"suggestion\":\"d@good.test\"}\n"
      "{\"input\":\"e@naoexiste.test\",\"address\":\"\",\"valid\":false,\"reason\":\"Teste MX - "
      "naoexiste.test\"}\n");
  r = run("check --grid " + homeArg(), "f@goood.test\ng@naoexiste.test\n");
  EXPECT_EQ(r.out,
            "I\tf@goood.test\tTeste MX - goood.test\tf@good.test\n"
            "I\tg@naoexiste.test\tTeste MX - naoexiste.test\n");
  r = run("check --disable sugestoes " + homeArg() + " h@goood.test", "");
  EXPECT_EQ(r.out, "h@goood.test\t\tTeste MX - goood.test\n");
}

TEST_F(CliCheck, ADamagedDatabaseIsAClearErrorAndIsKept) {
  fs::path bd = home / "dados" / "config" / "quorvel.bd";
  std::ofstream(bd, std::ios::binary) << std::string(4096, 'x');
  auto r = run("db stats " + homeArg(), "", true);
  EXPECT_EQ(r.status, 1);  // a failure of the system, not of the command line
  EXPECT_THAT(r.out, HasSubstr("Não foi possível abrir o banco de dados"));
  EXPECT_EQ(fs::file_size(bd), 4096u);
  r = run("check " + homeArg() + " a@good.test", "", true);
  EXPECT_EQ(r.status, 1);
}

TEST_F(CliCheck, AStoreLockedByAnotherProgramOrAnUnreadableFileEndsWithStatusOne) {
  ASSERT_EQ(run("db stats " + homeArg(), "").status, 0);  // the store exists
  quorvel::SqliteDb outro;
  outro.open((home / "dados" / "config" / "quorvel.bd").string(), false);
  outro.exec(std::string("PRAGMA key = '") + quorvel::Database::kSenha + "';");
  outro.exec("BEGIN IMMEDIATE;");
  auto r = run("check " + homeArg() + " a@good.test", "", true);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.out, HasSubstr("bloqueado por outro programa"));
  outro.exec("ROLLBACK;");
  r = run("check " + homeArg() + " --file " + (home / "nada.txt").string(), "", true);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.out, HasSubstr("não foi possível abrir o arquivo"));
  // A usage error stays 2.
  EXPECT_EQ(run("check --frob " + homeArg(), "", true).status, 2);
}

}  // namespace
