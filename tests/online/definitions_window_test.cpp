// The definitions window's loading sequence: the five lists into the chain, the three tables
// counted, one small step per tick, then the service asked.
#include "online/definitions_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "support/scripted_ports.h"
#include "support/temp_folder.h"

namespace quorvel {
namespace {

struct Janela {
  testing::TempFolder pasta;
  ScriptedDialogs dialogs;
  NoEventPump pump;
  FakePlatform platform;
  ValidationChain chain{dialogs};
  SharingFlags flags;
  std::unique_ptr<Database> banco;
  DefinitionsWindow d{chain, pasta.str(), pump, platform};

  Janela() {
    std::filesystem::create_directories(pasta / "dados" / "config");
    pasta.write("dados/config/sys_armadilhas.filter", "spamtrap\r\n*@lixo.com\r\n");
    pasta.write("dados/config/sys_paises.filter", ".fr\r\n.jp\r\n.de\r\n");
    banco = std::make_unique<Database>(pasta.str(), flags);
    banco->esperaAberturaMs = 0;
    banco->abrirBD();
    banco->inserirMX(kTbMxValidos, "a.com", "2026-01-01", true);
    d.setBanco(banco.get());
    d.setColaboracao(&flags);
  }
  // Ticks until the timer stops; the ticks it took.
  int rodar() {
    int n = 0;
    while (d.timerAtivo() && n < 100) {
      d.tmCheckTimer();
      ++n;
    }
    return n;
  }
};

TEST(DefinitionsWindow, ClosingHalfwayStillLoadsEveryList) {
  // The custom rules (step 5) tell the validation that the definitions are there; closing the
  // window before step 9 must not leave the country list missing.
  Janela j;
  j.d.mostrar();
  for (int i = 0; i < 6; ++i) j.d.tmCheckTimer();
  ASSERT_TRUE(j.chain.gRegras);
  ASSERT_FALSE(j.chain.gFiltroPaises);
  j.d.fechar();
  ASSERT_TRUE(j.chain.gFiltroPaises);
  EXPECT_EQ(j.chain.gFiltroPaises->linhas().size(), 3u);
  EXPECT_TRUE(j.chain.gTraps && j.chain.gNomesRaros && j.chain.gSitesIgnorados);
  EXPECT_FALSE(j.d.visivel);
  EXPECT_FALSE(j.d.timerAtivo());
}

TEST(DefinitionsWindow, LoadsTheListsAndCountsTheTablesThenChecksTheService) {
  Janela j;
  int carregadas = 0;
  auto sub = j.d.notices.listen([&](const DefinitionsNotice& n) {
    if (n.kind == DefinitionsNotice::Kind::loaded) ++carregadas;
  });
  j.d.mostrar();
  EXPECT_TRUE(j.d.linksSemColaboracaoVisiveis);
  j.d.tmCheckTimer();
  EXPECT_EQ(j.d.titulo, "Carregando as definições atuais. Aguarde...");
  for (int i = 0; i < 5; ++i) j.d.tmCheckTimer();  // through step 6
  EXPECT_EQ(j.d.linha(Definicao::armadilhas).icone, IconeDefinicao::carregando);
  EXPECT_EQ(j.rodar(), 16);
  // Steps 21 and 22 ask the service; without one, one line says so and nothing waits.
  EXPECT_THAT(j.d.titulo, ::testing::StartsWith("Definições de checagem - "));
  EXPECT_EQ(j.d.avisoServico, kAvisoSemServico);
  EXPECT_FALSE(j.d.painelVisivel);
  EXPECT_EQ(carregadas, 1);
  EXPECT_EQ(j.d.gEtapa, 0);
  EXPECT_EQ(j.d.linha(Definicao::armadilhas).itens, "itens: 2");
  EXPECT_EQ(j.d.linha(Definicao::paises).itens, "itens: 3");
  EXPECT_EQ(j.d.linha(Definicao::nomesRaros).itens, "itens: 0");  // a missing file: empty
  EXPECT_EQ(j.d.linha(Definicao::mxValidos).itens, "itens: 1");
  EXPECT_EQ(j.d.linha(Definicao::emailsInvalidos).itens, "itens: 0");
  EXPECT_FALSE(j.d.linha(Definicao::regras).visivel);
  ASSERT_TRUE(j.chain.gRegras);  // the chain can validate now
  EXPECT_TRUE(j.chain.gFiltroPaises->contem(".jp"));
  std::string erro;
  EXPECT_EQ(j.chain.validarEmail("spamtrap9@x.com.br", erro), "");
  EXPECT_EQ(erro, "Armadilha");
}

TEST(DefinitionsWindow, WithoutTheStoreTheCountsAreSkippedAndForcingStartsAgain) {
  Janela j;
  j.d.setBanco(nullptr);
  j.flags.gCompartilha = true;
  j.d.mostrar();
  EXPECT_FALSE(j.d.linksSemColaboracaoVisiveis);
  j.rodar();
  EXPECT_EQ(j.d.linha(Definicao::mxValidos).itens, "");
  EXPECT_EQ(j.d.linha(Definicao::armadilhas).icone, IconeDefinicao::pronto);
  std::ofstream(j.d.arquivoDatas()) << "armadilhas=2026-01-01\r\n";
  j.d.forcarAtualizacao();
  EXPECT_FALSE(std::filesystem::exists(j.d.arquivoDatas()));
  EXPECT_TRUE(j.d.gForcarAtualizacoes);
  EXPECT_FALSE(j.d.btnForcarHabilitado);
  EXPECT_TRUE(j.d.timerAtivo());
  EXPECT_EQ(j.d.linha(Definicao::armadilhas).icone, IconeDefinicao::nenhum);
  j.rodar();
  EXPECT_TRUE(j.d.btnForcarHabilitado);
}

}  // namespace
}  // namespace quorvel
