// The start order as steps on the launcher and the main window, without a display.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/launcher_window.h"
#include "app/main_window.h"
#include "store/settings.h"
#include "support/program_fixture.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

struct Programa : testing::ProgramFixture {
  std::unique_ptr<LauncherWindow> launcher;
  std::vector<LauncherNotice::Kind> avisos;
  Notifier<LauncherNotice>::Subscription sub;

  explicit Programa(const std::string& configTxt = {}) : ProgramFixture(configTxt) {
    launcher = std::make_unique<LauncherWindow>(*app);
    launcher->esperaAberturaMs = 0;
    sub = launcher->notices.listen([this](const LauncherNotice& n) { avisos.push_back(n.kind); });
  }
  // Steps 2 to 7: up to the main window on screen.
  MainWindow& ateJanelaPrincipal() {
    launcher->criar();
    launcher->exibir();
    launcher->abrirQuorvel();
    launcher->principal->aoExibir();
    return *launcher->principal;
  }
};

TEST(StartOrder, FirstStartInAnEmptyFolderCreatesTheWorkspaceBehindTheSplash) {
  Programa p;
  p.launcher->criar();
  EXPECT_TRUE(fs::is_directory(p.pasta / "dados"));
  EXPECT_TRUE(fs::is_directory(p.pasta / "dados/listas"));
  EXPECT_TRUE(p.launcher->splash.visivel);
  EXPECT_EQ(p.launcher->splash.versao, "Versão 2023 - Build 651");
  EXPECT_EQ(p.launcher->splash.slogan, "A ferramenta para validação de e-mails");
  EXPECT_EQ(p.launcher->splash.desde, "...Desde 2014");
  EXPECT_FALSE(fs::exists(p.pasta / "dados/config/quorvel.bd"));

  p.launcher->exibir();
  EXPECT_EQ(p.launcher->caption, "Quorvel - Validação avançada de e-mails");
  EXPECT_TRUE(p.launcher->visivel);
  EXPECT_EQ(p.launcher->tamanhoFonteMenu, 12);
  EXPECT_EQ(p.launcher->splash.status, "Abrindo o banco de dados...");
  EXPECT_FALSE(p.launcher->splash.visivel);
  EXPECT_TRUE(fs::exists(p.pasta / "dados/config/quorvel.bd"));
  EXPECT_TRUE(p.app->dtm.bancoAberto());
  // The filter lists wait for the definitions.
  EXPECT_EQ(p.app->validationWindow.chain.gRegras, nullptr);
}

TEST(StartOrder, TheMainWindowReplacesTheLauncherAndClosingItBringsTheLauncherBack) {
  Programa p;
  MainWindow& m = p.ateJanelaPrincipal();
  EXPECT_FALSE(p.launcher->visivel);
  EXPECT_EQ(m.caption, "Quorvel - Build: 651");
  EXPECT_EQ(m.pagina, PaginaPrincipal::primeira);
  EXPECT_EQ(m.primeiraPagina, PrimeiraPagina::classico);
  EXPECT_FALSE(m.abasVisiveis);
  EXPECT_TRUE(m.aceitaArquivos);
  EXPECT_TRUE(m.listaEmbutida);
  EXPECT_TRUE(p.app->janelaValidacaoCriada);
  EXPECT_FALSE(p.app->validationWindow.visible);  // hidden until a run starts
  EXPECT_EQ(p.app->editor.gGrid, &p.app->editor.gridMain);
  EXPECT_NE(std::find(p.avisos.begin(), p.avisos.end(), LauncherNotice::Kind::principalAberta),
            p.avisos.end());

  m.configuracoes();
  EXPECT_EQ(m.destaque, BotaoLateral::configuracoes);
  EXPECT_EQ(m.pagina, PaginaPrincipal::configuracoes);
  m.voltarPrincipal();
  EXPECT_EQ(m.pagina, PaginaPrincipal::primeira);

  m.fechar();
  EXPECT_EQ(p.launcher->principal, nullptr);
  EXPECT_TRUE(p.launcher->visivel);
  // The second showing does not open the database again.
  p.launcher->exibir();
  EXPECT_TRUE(p.app->dtm.bancoAberto());
}

TEST(StartOrder, TheStartTimerLoadsTheDefinitionsOnlyWhenCheckDefinitionIsTrue) {
  {
    Programa p("check_definition=true\r\n");
    MainWindow& m = p.ateJanelaPrincipal();
    EXPECT_EQ(p.app->validationWindow.chain.gRegras, nullptr);
    m.aoTemporizadorInicio();
    EXPECT_TRUE(m.ckbCheckDefinition);
    EXPECT_NE(p.app->validationWindow.chain.gRegras, nullptr);
  }
  for (const char* config : {"", "check_definition=false\r\n"}) {
    Programa p(config);
    MainWindow& m = p.ateJanelaPrincipal();
    m.aoTemporizadorInicio();
    EXPECT_FALSE(m.ckbCheckDefinition);
    EXPECT_EQ(p.app->validationWindow.chain.gRegras, nullptr);
  }
}

TEST(StartOrder, TheStartTimerSeedsAnEmptySettingsTableFromTheSnapshot) {
  Programa p;
  p.pasta.write("config.db",
                "categoria\tnome\tvalor\ttipo\tdescricao\n"
                "geral\tcheck_max\t500\tint\tMensagens por conta\n");
  MainWindow& m = p.ateJanelaPrincipal();
  m.aoTemporizadorInicio();
  EXPECT_EQ(p.app->dtm.banco().qtdTabela("tbconfig"), 1);
  EXPECT_TRUE(p.dialogs.messages.empty());
}

TEST(StartOrder, TheCheckBoxWritesCheckDefinitionAndSavesTheSettings) {
  Programa p;
  MainWindow& m = p.ateJanelaPrincipal();
  m.setCheckDefinition(true);
  EXPECT_EQ(p.pasta.bytes("config.txt"),
            "\xEF\xBB\xBF"
            "check_definition=true\r\n");
  m.setCheckDefinition(false);
  EXPECT_EQ(p.app->dtm.settings.valor(kCheckDefinition), "false");
  EXPECT_EQ(p.pasta.bytes("config.txt"),
            "\xEF\xBB\xBF"
            "check_definition=false\r\n");
}

TEST(StartOrder, SairAsksAndEndsOnlyOnYesClosingTheDatabase) {
  Programa p;
  p.launcher->criar();
  p.launcher->exibir();
  p.dialogs.answers = {kNao, kEsc, kSim};
  EXPECT_FALSE(p.launcher->sair());
  EXPECT_FALSE(p.launcher->sair());
  EXPECT_FALSE(p.launcher->encerrado);
  EXPECT_TRUE(p.app->dtm.bancoAberto());
  EXPECT_TRUE(p.launcher->sair());
  EXPECT_TRUE(p.launcher->encerrado);
  EXPECT_FALSE(p.app->dtm.bancoAberto());
  EXPECT_EQ(p.avisos.back(), LauncherNotice::Kind::encerrar);
  EXPECT_EQ(p.dialogs.texts("question"), std::vector<std::string>(3, "Deseja encerrar o Quorvel?"));
}

TEST(StartOrder, ADatabaseThatCannotBeOpenedIsReportedAndTheSplashStillGoes) {
  Programa p;
  p.launcher->criar();
  fs::create_directories(p.pasta / "dados/config");
  p.pasta.write("dados/config/quorvel.bd", std::string(4096, 'x'));  // not a database
  EXPECT_THROW(p.launcher->exibir(), DatabaseError);
  EXPECT_FALSE(p.launcher->splash.visivel);
  EXPECT_TRUE(p.launcher->visivel);
  EXPECT_EQ(p.pasta.bytes("dados/config/quorvel.bd"), std::string(4096, 'x'));
}

TEST(StartOrder, DroppedFilesGoToTheBulkListOnTheBulkPageAndIntoTheListElsewhere) {
  Programa p;
  MainWindow& m = p.ateJanelaPrincipal();
  p.pasta.write("a.txt", "ana@x.com\r\nbia@y.com\r\n");
  p.pasta.write("b.txt", "caio@z.com\r\n");
  const std::string a = (p.pasta / "a.txt").string(), b = (p.pasta / "b.txt").string();

  m.grandes();
  m.soltarArquivos({a, b});
  ASSERT_EQ(p.app->grandes.lstFiles.size(), 2u);
  EXPECT_EQ(p.app->grandes.lstFiles[0].arquivo, a);
  EXPECT_EQ(p.app->grandes.lstFiles[0].informacoes, "1 KB");
  EXPECT_EQ(p.app->editor.gridMain.rowCount(), 2);

  m.configuracoes();  // any page but the bulk page loads the list
  m.soltarArquivos({" " + a + " ", (p.pasta / "nao-existe.txt").string(), b});
  const TextGrid& g = p.app->editor.gridMain;
  ASSERT_EQ(g.rowCount(), 4);
  EXPECT_EQ(g.cell(0, 1), "ana@x.com");
  EXPECT_EQ(g.cell(0, 3), "caio@z.com");
  EXPECT_EQ(p.app->editor.editouDaAba(kAbaPrincipal), "1");
  EXPECT_EQ(p.app->editor.status.saved, "Não");
}

TEST(StartOrder, TutorialLinksOpenInTheBrowser) {
  Programa p;
  MainWindow& m = p.ateJanelaPrincipal();
  auto links = m.tutoriais();
  EXPECT_EQ(m.destaque, BotaoLateral::tutoriais);
  ASSERT_FALSE(links.empty());
  m.abrirLink(links.front());
  p.launcher->tutoriais();
  ASSERT_EQ(p.platform.opened.size(), 2u);
  EXPECT_EQ(p.platform.opened[0], links.front().url);
  EXPECT_NE(p.platform.opened[1].find("/quorvel/tutoriais"), std::string::npos);
}

}  // namespace
}  // namespace quorvel
