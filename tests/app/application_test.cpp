// The program's objects as the start order builds and connects them.
#include "app/application.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "lists/list_loading.h"
#include "store/database.h"
#include "support/dns_peer.h"
#include "support/program_fixture.h"

namespace quorvel {
namespace {

struct ProgramaOnline : testing::ProgramFixture {
  ProgramaOnline() { platform.online = true; }
};

TEST(Application, LauncherFoldersAndDatabaseAreCreatedInTheProgramFolder) {
  ProgramaOnline p;
  EXPECT_EQ(p.app->home(), p.pasta.str());
  p.app->createFolders();
  EXPECT_TRUE(std::filesystem::is_directory(p.pasta / "dados"));
  EXPECT_TRUE(std::filesystem::is_directory(p.pasta / "dados/listas"));
  p.app->abrirBD();
  EXPECT_TRUE(std::filesystem::exists(p.pasta / "dados/config/quorvel.bd"));
  EXPECT_NE(p.app->mx(), nullptr);
  EXPECT_NE(p.app->baseNegativa(), nullptr);
}

TEST(Application, TheValidationRunUsesTheMxStageOnceTheDatabaseIsOpen) {
  testing::DnsPeer dns;
  ProgramaOnline p;
  p.app->dns.server = dns.server();
  p.app->dns.timeoutMs = 300;
  p.app->abrirBD();
  p.app->carregarDefinicoes();
  std::string erro;
  EXPECT_EQ(p.app->validationWindow.chain.validarEmail("ana@good.test", erro), "ana@good.test");
  EXPECT_EQ(p.app->validationWindow.chain.validarEmail("ana@naoexiste.test", erro), "");
  EXPECT_EQ(erro, "Teste MX - naoexiste.test");
  // Offline: the platform says so and the stage lets the address pass without asking.
  p.platform.online = false;
  EXPECT_EQ(p.app->validationWindow.chain.validarEmail("bia@outro.test", erro), "bia@outro.test");
}

TEST(Application, TheEditorsExtractorPageUsesTheExtractor) {
  ProgramaOnline p;
  ASSERT_TRUE(extrairEmails(p.app->editor,
                            "Fale com a gente: vendas@loja.com.br ou mailto:sac@loja.co", true));
  const TextGrid& g = p.app->editor.gridMain;
  EXPECT_EQ(g.rowCount(), 3);
  EXPECT_EQ(g.cell(0, 0), "e-mails");
  EXPECT_EQ(g.cell(0, 1), "vendas@loja.com.br");
  EXPECT_EQ(g.cell(0, 2), "sac@loja.com");
}

}  // namespace
}  // namespace quorvel
