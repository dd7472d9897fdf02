// Program updates: the launcher's build check against the service's build files, and the update
// window that downloads the setup package whole, starts it and ends the program.
#include "online/program_update.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/launcher_window.h"
#include "online/curl_http_client.h"
#include "support/dns_peer.h"
#include "support/program_fixture.h"
#include "support/scripted_http_server.h"
#include "support/service_peer.h"

namespace quorvel {
namespace {

using ::testing::ElementsAre;
using testing::ScriptedHttpServer;
using testing::ServicePeer;

struct Atualizacao : testing::ProgramFixture {
  ProgramUpdate& u() { return app->online.atualizacao; }
  int encerrar = 0;
  Notifier<UpdateNotice>::Subscription fim = app->online.atualizacao.notices.listen(
      [this](const UpdateNotice& n) { encerrar += n.kind == UpdateNotice::encerrar; });
};

TEST(VerificarBuild, TheBuildFilesDecideBetweenNothingThePanelAndTheEnd) {
  ServicePeer servico;
  struct Caso {
    long atual, minimo;
    ResultadoBuild r;
    bool painel;
  } casos[] = {{651, 651, ResultadoBuild::atual, false},
               {652, 651, ResultadoBuild::novaVersao, true},
               {700, 700, ResultadoBuild::desabilitada, true}};
  for (const auto& c : casos) {
    SCOPED_TRACE(c.atual);
    servico.definirBuilds(c.atual, c.minimo);
    Atualizacao f;
    f.u().baseUrl = servico.url();
    std::vector<std::string> splash;
    EXPECT_EQ(f.u().verificarBuild([&](const std::string& t) { splash.push_back(t); }), c.r);
    EXPECT_THAT(splash, ElementsAre("Verificando se há atualização...", ""));
    EXPECT_EQ(f.u().painelNovaVersaoVisivel, c.painel);
    EXPECT_EQ(f.encerrar, c.r == ResultadoBuild::desabilitada ? 1 : 0);
    if (c.r == ResultadoBuild::desabilitada)
      EXPECT_THAT(f.dialogs.texts("error"),
                  ElementsAre("Essa versão do produto foi desabilitada. Favor baixar uma versão "
                              "mais recente no site https://www.quorvel.com.br ou entre em "
                              "contato com nosso suporte"));
    else
      EXPECT_TRUE(f.dialogs.messages.empty());
  }
}

TEST(VerificarBuild, ATextThatIsNoNumberEndsTheCheckSilently) {
  ScriptedHttpServer roteiro;
  roteiro.responder(kArquivoBuildAtual, {200, "versão nova\r\n"});
  roteiro.responder(kArquivoBuildMinimo, {200, "700"});
  Atualizacao f;
  f.u().baseUrl = roteiro.url();
  EXPECT_EQ(f.u().verificarBuild(), ResultadoBuild::semResposta);
  EXPECT_FALSE(f.u().painelNovaVersaoVisivel);
  EXPECT_EQ(roteiro.pedidos().size(), 1u);  // the minimum is not read in this start
  EXPECT_TRUE(f.dialogs.messages.empty());
}

TEST(VerificarBuild, TheLauncherShowsThePanelAndANewBuildOnlyWithAService) {
  ServicePeer servico;
  servico.definirBuilds(652, 651);
  servico.publicar("buildnotas.htm", "<h1>Build 652</h1>");
  Atualizacao f;
  LauncherWindow semServico(*f.app);
  semServico.esperaAberturaMs = 0;
  semServico.exibir();
  EXPECT_FALSE(semServico.painelNovaVersaoVisivel);
  EXPECT_EQ(f.u().notasVersao, "");
  Atualizacao g;
  g.app->online.setBaseUrl(servico.url());
  LauncherWindow lancador(*g.app);
  lancador.esperaAberturaMs = 0;
  lancador.exibir();
  EXPECT_TRUE(lancador.painelNovaVersaoVisivel);
  EXPECT_EQ(g.u().notasVersao, "<h1>Build 652</h1>");
  EXPECT_EQ(lancador.notasVersao, "<h1>Build 652</h1>");
  EXPECT_TRUE(g.app->dtm.bancoAberto());
  // A link of the notes opens in the web browser; nothing else a page names is opened.
  for (const char* alvo : {"https://www.quorvel.com.br/novidades", "http://exemplo.com.br/a",
                           "file:///etc/passwd", "/usr/bin/xterm", "javascript:alert(1)", ""})
    lancador.abrirEndereco(alvo);
  EXPECT_THAT(g.platform.opened,
              ElementsAre("https://www.quorvel.com.br/novidades", "http://exemplo.com.br/a"));
}

TEST(BaixarAtualizacao, ThePackageArrivesWholeIsStartedAndTheProgramEnds) {
  ServicePeer servico;
  std::string pacote(400000, '\0');
  for (size_t i = 0; i < pacote.size(); ++i) pacote[i] = static_cast<char>(i * 7);
  servico.publicar(kArquivoSetup, pacote);
  Atualizacao f;
  f.u().baseUrl = servico.url();
  f.pasta.write(kArquivoSetup, "um pacote de antes");
  // The button during the download only asks to wait.
  int cliques = 0;
  f.pump.onPump = [&] {
    if (f.u().visivel && f.u().posAtual > 0 && cliques++ == 0) f.u().botaoClicado();
  };
  std::vector<int64_t> maximos;
  auto seguir =
      f.u().notices.listen([&](const UpdateNotice&) { maximos.push_back(f.u().maxAtual); });
  f.dialogs.answers = {kSim};
  f.u().painelClicado();
  EXPECT_EQ(f.pasta.bytes(kArquivoSetup), pacote);
  EXPECT_THAT(f.platform.opened, ElementsAre(f.u().arquivoSetup()));
  EXPECT_EQ(f.encerrar, 1);
  EXPECT_EQ(f.u().gMaxAtual, 400000);
  EXPECT_THAT(maximos, ::testing::Contains(40000));
  EXPECT_EQ(f.u().btnCaption, "Fechar");
  EXPECT_EQ(f.u().status, "Processamento concluído!!");
  EXPECT_THAT(f.dialogs.texts("question"),
              ElementsAre("Deseja efetuar a atualização do Quorvel agora? (recomendado)"));
  EXPECT_THAT(f.dialogs.texts("error"), ElementsAre("Por favor aguarde o término da instalação"));
  EXPECT_THAT(f.dialogs.texts("information"), ElementsAre(kMsgSeraFechado));
  f.u().botaoClicado();  // "Fechar" closes
  EXPECT_FALSE(f.u().visivel);
}

TEST(BaixarAtualizacao, ACutDownloadIsNeverStartedAndWithoutALengthTheKilobytesStillCount) {
  ScriptedHttpServer roteiro;
  const std::string pacote(300000, 'p');
  const std::string caminho = std::string("/quorvel/download/") + kArquivoSetup;
  roteiro.responder(caminho, {200, pacote, false, 120000});
  Atualizacao f;
  f.u().baseUrl = roteiro.url();
  EXPECT_FALSE(f.u().baixarAtualizacao());
  EXPECT_FALSE(std::filesystem::exists(f.u().arquivoSetup()));
  EXPECT_TRUE(f.platform.opened.empty());
  EXPECT_EQ(f.encerrar, 0);
  EXPECT_THAT(f.dialogs.texts("error"), ElementsAre(kMsgFalhaAtualizacao));
  EXPECT_FALSE(f.u().visivel);

  roteiro.responder(caminho, {200, pacote, true});
  int64_t maiorMaximo = 0;
  std::string descricao;
  auto seguir = f.u().notices.listen([&](const UpdateNotice&) {
    maiorMaximo = std::max(maiorMaximo, f.u().maxAtual);
    if (!f.u().descricao.empty()) descricao = f.u().descricao;
  });
  EXPECT_TRUE(f.u().baixarAtualizacao());
  EXPECT_EQ(maiorMaximo, 0);  // the bar keeps the maximum zerarProgresso gave it
  EXPECT_EQ(descricao, "baixando " + roteiro.url() + caminho + ": 300 kb");
  EXPECT_EQ(f.u().gMaxAtual, 0);
  EXPECT_EQ(f.pasta.bytes(kArquivoSetup), pacote);
}

}  // namespace
}  // namespace quorvel
