// Sharing from a validation run: the domains the MX test learns go to the service in batches of
// 50 to 250, only while the user takes part; a service that cannot be asked never stops a run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "online/sync_protocol.h"
#include "support/online_fixture.h"
#include "support/scripted_http_server.h"

namespace quorvel {
namespace {

using ::testing::ElementsAre;
using testing::OnlineFixture;
using testing::ScriptedHttpServer;

// A validation run over `n` addresses of domains without a mail server, each domain new.
struct Validacao : OnlineFixture {
  std::vector<int> enviosTentados;  // queue sizes when the sharing note came up

  explicit Validacao(int n) {
    app->carregarDefinicoes();
    TextGrid& g = app->editor.gridMain;
    g.setColCount(1);
    g.setRowCount(n + 1);
    g.setCell(0, 0, "emails");
    for (int i = 1; i <= n; ++i) g.setCell(0, i, "u@novo" + std::to_string(i) + ".test");
    colaboracao().gCompartilha = true;
    colaboracao().gSyncCheck = true;
  }
  SharingFlags& colaboracao() { return app->dtm.colaboracao; }
  std::vector<std::string>& fila() { return app->validationWindow.chain.gSyncInvalidos; }
  void validar() {
    app->validationWindow.mostrar();
    app->validationWindow.iniciarValidacao();
  }
  int64_t invalidos() const { return app->editor.gridInvalidos.dataRowCount(); }
  // Everything the service offers of the domains without a mail server.
  int64_t noServico() { return contarLinhas(app->online.sync.getSitesMXInValidos("")); }
};

TEST(CompartilharDominios, ThreeHundredLearntDomainsGoInBatchesOfFiftyWhenStored) {
  Validacao f(300);
  int notas = 0;
  auto contar = f.app->validationWindow.chain.notices.listen([&](const ChainNotice&) {
    if (f.app->validationWindow.chain.notaSincronizando) ++notas;
  });
  f.validar();
  EXPECT_TRUE(f.app->validationWindow.podeSincronizarNestaExecucao);
  EXPECT_TRUE(f.fila().empty());
  EXPECT_EQ(notas, 6);
  EXPECT_EQ(f.noServico(), 300);
}

TEST(CompartilharDominios, AServiceStoppedMidwayKeepsTheQueueUpTo250AndThenNoMoreIsSent) {
  Validacao f(300);
  bool parado = false;
  auto parar = f.app->validationWindow.chain.notices.listen([&](const ChainNotice&) {
    // The first batch was answered: the service goes away.
    if (!f.app->validationWindow.chain.notaSincronizando && !parado) {
      parado = true;
      f.servico.parar();
    }
  });
  f.validar();
  ASSERT_TRUE(parado);
  // Sends were tried up to 250 domains, and the queue kept growing past them.
  EXPECT_EQ(f.fila().size(), 250u);
  EXPECT_EQ(f.invalidos(), 300);
  f.servico.reiniciar();
  f.app->online.setBaseUrl(f.servico.url());
  EXPECT_EQ(f.noServico(), 50);
}

TEST(CompartilharDominios, AnAnswerOtherThanInseriuKeepsTheQueue) {
  Validacao f(300);
  ScriptedHttpServer roteiro;
  roteiro.responderCom(kSyncScript, [](const ScriptedHttpServer::Pedido& p) {
    return ScriptedHttpServer::Resposta{200, p.campo("action") == "2" ? "sim\r\n" : "Inseriu"};
  });
  f.app->online.setBaseUrl(roteiro.url());
  f.validar();
  EXPECT_EQ(f.fila().size(), 300u);
  auto pedidos = roteiro.pedidos();
  ASSERT_EQ(pedidos.size(), 1u + 201u);  // the question, then one try at each size 50..250
  EXPECT_EQ(pedidos[0].campo("action"), "2");
  const std::string dados = pedidos[1].campo("dados");
  EXPECT_EQ(std::count(dados.begin(), dados.end(), ';'), 50);
  EXPECT_THAT(dados, ::testing::StartsWith("novo1.test;novo2.test;"));
  const std::string ultimo = pedidos.back().campo("dados");
  EXPECT_EQ(std::count(ultimo.begin(), ultimo.end(), ';'), 250);
}

TEST(CompartilharDominios, WithCollaborationOffNothingIsSentNorAsked) {
  Validacao f(60);
  ScriptedHttpServer roteiro;
  f.app->online.setBaseUrl(roteiro.url());
  f.colaboracao().gCompartilha = false;
  f.validar();
  EXPECT_TRUE(roteiro.pedidos().empty());
  EXPECT_TRUE(f.fila().empty());
  EXPECT_TRUE(f.app->validationWindow.chain.gSyncValidos.empty());
  EXPECT_EQ(f.invalidos(), 60);
}

TEST(CompartilharDominios, WithTheServiceStoppedTheRunStillValidatesAndSaysSoInOneLine) {
  Validacao f(80);
  f.servico.parar();
  f.validar();
  EXPECT_EQ(f.invalidos(), 80);
  EXPECT_FALSE(f.app->validationWindow.podeSincronizarNestaExecucao);
  EXPECT_THAT(f.app->validationWindow.avisoCompartilhamento,
              ::testing::StartsWith(std::string(kAvisoSemCompartilhamento) +
                                    " (não foi possível conectar ao serviço em"));
  EXPECT_TRUE(f.dialogs.texts("error").empty());
  EXPECT_THAT(f.dialogs.texts("information"), ElementsAre("Processamento finalizado"));
}

}  // namespace
}  // namespace quorvel
