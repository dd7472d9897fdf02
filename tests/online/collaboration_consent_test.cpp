// The collaboration consent window's object: its two panels, the account kept in config.txt with
// the choice (known from the next start on), the service's word on the choice, and the links of
// the other windows following it when it closes.
#include "online/collaboration_consent.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/online_fixture.h"

namespace quorvel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::OnlineFixture;

TEST(CollaborationConsent, EachChoiceHasItsPanelAndTheServiceHasTheLastWord) {
  OnlineFixture f;
  CollaborationConsent& c = f.app->online.consentimento;
  c.mostrar();
  EXPECT_EQ(c.email, testing::kEmailDaConta);
  EXPECT_FALSE(c.ativada());
  EXPECT_STREQ(c.status(), "Status atual: Colaboração DESATIVADA");
  EXPECT_STREQ(c.botao(), "Ativar  a colaboração de dados");
  EXPECT_THAT(c.textoPainel(), HasSubstr("total privacidade"));

  ASSERT_TRUE(c.botaoClicado());
  EXPECT_TRUE(f.app->dtm.colaboracao.gCompartilha);
  EXPECT_STREQ(c.status(), "Status atual: Colaboração ATIVADA");
  EXPECT_STREQ(c.botao(), "Desativar");
  EXPECT_FALSE(c.ocupado);
  // Kept beside the program: the next start knows the choice before its first run.
  Settings lidas(f.pasta.str());
  ASSERT_TRUE(lidas.loadConfig().ok());
  EXPECT_EQ(lidas.valor(kSyncEmail), testing::kEmailDaConta);
  EXPECT_EQ(lidas.valor(kSyncChave), f.chave);
  EXPECT_EQ(lidas.valor(kSyncCompartilha), "true");
  testing::ProgramFixture proximo;
  std::filesystem::copy_file(f.pasta / "config.txt", proximo.pasta / "config.txt");
  Application depois(AppPorts{proximo.dialogs, proximo.progress, proximo.pump, proximo.platform});
  EXPECT_TRUE(depois.dtm.colaboracao.gCompartilha);
  EXPECT_EQ(depois.online.sync.credenciais.chave, f.chave);

  ASSERT_TRUE(c.botaoClicado());
  EXPECT_FALSE(f.app->dtm.colaboracao.gCompartilha);
  Settings deNovo(f.pasta.str());
  deNovo.loadConfig();
  EXPECT_EQ(deNovo.valor(kSyncCompartilha), "false");
  EXPECT_TRUE(f.dialogs.messages.empty());
}

TEST(CollaborationConsent, AWrongOrMissingKeyLeavesTheChoiceAsItWas) {
  OnlineFixture f;
  CollaborationConsent& c = f.app->online.consentimento;
  c.mostrar();
  c.chave = "errada";
  EXPECT_FALSE(c.botaoClicado());
  EXPECT_FALSE(f.app->dtm.colaboracao.gCompartilha);
  EXPECT_THAT(f.dialogs.texts("error"),
              ElementsAre("Não foi possível alterar a colaboração: o serviço recusou o e-mail e "
                          "a chave de acesso informados."));
  c.chave = "";
  EXPECT_FALSE(c.botaoClicado());
  EXPECT_THAT(f.dialogs.texts("warning"), ElementsAre(HasSubstr("Informe o e-mail e a chave")));
  EXPECT_FALSE(f.app->dtm.colaboracao.gCompartilha);
}

TEST(CollaborationConsent, MoreInformationAndClosingRefreshTheLinksOfTheOtherWindows) {
  testing::ProgramFixture f;
  CollaborationConsent& c = f.app->online.consentimento;
  c.maisInformacoes();
  ASSERT_EQ(f.dialogs.messages.size(), 1u);
  EXPECT_EQ(f.dialogs.messages[0].kind, "help");
  EXPECT_EQ(f.dialogs.messages[0].altura, 500);
  EXPECT_THAT(f.dialogs.messages[0].texto,
              ::testing::StartsWith("Informações importantes sobre dados compartilhados"));
  int avisosValidacao = 0;
  auto v = f.app->validationWindow.notices.listen(
      [&](const ValidationWindowNotice&) { ++avisosValidacao; });
  f.app->definicoes.mostrar();
  EXPECT_TRUE(f.app->definicoes.linksSemColaboracaoVisiveis);
  EXPECT_TRUE(f.app->validationWindow.linksSemColaboracaoVisiveis());
  f.app->dtm.colaboracao.gCompartilha = true;  // as a successful "Ativar" leaves it
  c.fechar();
  EXPECT_EQ(avisosValidacao, 1);
  EXPECT_FALSE(f.app->validationWindow.linksSemColaboracaoVisiveis());
  EXPECT_FALSE(f.app->definicoes.linksSemColaboracaoVisiveis);
}

TEST(CollaborationConsent, OpenedAgainWhileItShowsItKeepsWhatWasTyped) {
  testing::ProgramFixture f;
  CollaborationConsent& c = f.app->online.consentimento;
  ASSERT_TRUE(c.guardarConta("ana@loja.com.br", "chave-guardada"));
  c.mostrar();
  EXPECT_EQ(c.email, "ana@loja.com.br");
  c.email = "bia@loja.com.br";  // typed, not stored yet
  c.mostrar();                  // another link leads to it
  EXPECT_EQ(c.email, "bia@loja.com.br");
  c.fechar();
  c.mostrar();  // a new opening starts from what is stored
  EXPECT_EQ(c.email, "ana@loja.com.br");
  EXPECT_EQ(c.chave, "chave-guardada");
}

}  // namespace
}  // namespace quorvel
