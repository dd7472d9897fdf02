// The message box's kinds and results, the tip memory and the shared progress box.
#include <gtest/gtest.h>

#include <string>

#include "app/message_box.h"
#include "app/progress_box.h"
#include "app/tip_memory.h"
#include "support/scripted_ports.h"
#include "support/temp_folder.h"

namespace quorvel {
namespace {

TEST(MessageBox, EachKindHasItsTitleIconAndButtons) {
  struct Case {
    TipoMsg tipo;
    const char* titulo;
    std::vector<MessageButton> botoes;
  } cases[] = {
      {TipoMsg::informacao, "Informação", {{"Ok", 6}}},
      {TipoMsg::erro, "Erro", {{"Ok", 6}}},
      {TipoMsg::aviso, "Aviso", {{"Ok", 6}}},
      {TipoMsg::pergunta, "Pergunta", {{"&Sim", 6}, {"&Não", 7}}},
      {TipoMsg::dica, "Dica", {{"Ok", 6}}},
      {TipoMsg::ajuda, "Ajuda", {{"Ok", 6}}},
  };
  for (const auto& c : cases) {
    MessageBox box = exibirMensagem("texto", c.tipo, 0);
    EXPECT_EQ(box.titulo, c.titulo);
    EXPECT_EQ(box.icone, static_cast<int>(c.tipo));
    ASSERT_EQ(box.botoes.size(), c.botoes.size()) << c.titulo;
    for (size_t i = 0; i < c.botoes.size(); ++i) {
      EXPECT_EQ(box.botoes[i].caption, c.botoes[i].caption);
      EXPECT_EQ(box.botoes[i].resultado, c.botoes[i].resultado);
    }
    EXPECT_EQ(box.resultadoEsc(), 2);
    EXPECT_EQ(box.resultadoAutoFechar(), 7);
    // Enter answers 1 when only one button shows; with two the focused button answers.
    EXPECT_EQ(box.resultadoEnter(), c.botoes.size() == 1 ? std::optional<int>(1) : std::nullopt);
  }
}

TEST(MessageBox, BackslashNInEitherCaseBecomesALineBreak) {
  EXPECT_EQ(comQuebrasDeLinha("um\\n\\ndois\\Ntrês"), "um\r\n\r\ndois\r\ntrês");
  EXPECT_EQ(comQuebrasDeLinha("c:\\pasta\\arquivo"), "c:\\pasta\\arquivo");
  EXPECT_EQ(comQuebrasDeLinha("fim\\"), "fim\\");
  MessageBox box = exibirMensagem("a\\nb", TipoMsg::aviso, 3);
  EXPECT_EQ(box.texto, "a\r\nb");
  EXPECT_EQ(box.tempoSeg, 3);
}

TEST(TipMemory, ATickedBoxSilencesTheTipForGoodAndUntickingBringsItBack) {
  testing::TempFolder pasta;
  TipMemory memoria(pasta.str());
  // No tipfile.txt: every tip shows, with the check box.
  auto box = showTip(memoria, "230609", "Atenção\\nTexto", TipoMsg::dica);
  ASSERT_TRUE(box);
  EXPECT_TRUE(box->exibirNaoExibirMais);
  EXPECT_EQ(box->tipId, "230609");
  EXPECT_EQ(box->texto, "Atenção\r\nTexto");
  EXPECT_EQ(box->tempoSeg, 0);

  // Ticked: updateTip(id, not ticked) stores "true"; the first tick creates the file.
  ASSERT_TRUE(memoria.updateTip("230609", false));
  EXPECT_FALSE(showTip(memoria, "230609", "x", TipoMsg::dica));
  EXPECT_TRUE(showTip(memoria, "2007081806", "x", TipoMsg::dica));
  // Unticked again: "false", shown again; other ids keep their lines.
  ASSERT_TRUE(memoria.updateTip("2007081806", false));
  ASSERT_TRUE(memoria.updateTip("230609", true));
  EXPECT_TRUE(showTip(memoria, "230609", "x", TipoMsg::dica));
  EXPECT_FALSE(showTip(memoria, "2007081806", "x", TipoMsg::dica));
  EXPECT_EQ(pasta.bytes("tipfile.txt"),
            "\xEF\xBB\xBF"
            "230609=false\r\n2007081806=true\r\n");
}

struct ProgressFixture : ::testing::Test {
  ScriptedDialogs dialogs;
  NoEventPump pump;
  ProgressBox box{dialogs, pump};
  int64_t agora = 0;
  int avisos = 0;
  Notifier<ProgressNotice>::Subscription sub;
  void SetUp() override {
    box.relogioMs = [this] { return agora; };
    sub = box.notices.listen([this](const ProgressNotice&) { ++avisos; });
  }
};

TEST_F(ProgressFixture, SetProgressResetsAndShowsAndStepsReplaceOnlyNonEmptyLegends) {
  box.setProgress("Carregando dados...", 10, "Processados: 0", "Total de linhas: 5", "", 0);
  EXPECT_TRUE(box.visivel);
  EXPECT_EQ(box.caption, "Aguarde...");
  EXPECT_EQ(box.botao, "Cancelar");
  EXPECT_EQ(box.operacao, "Carregando dados...");
  EXPECT_EQ(box.maximo, 10);
  EXPECT_EQ(box.posicao, 0);
  EXPECT_EQ(pump.calls, 1);  // pending events let through at once

  box.stepProgress("", "", "", 0);
  EXPECT_EQ(box.posicao, 1);
  EXPECT_EQ(box.legenda1, "Processados: 0");
  EXPECT_EQ(box.legenda2, "Total de linhas: 5");
  box.stepProgress("Processados: 2", "", "fim", 0);
  EXPECT_EQ(box.posicao, 2);
  EXPECT_EQ(box.legenda1, "Processados: 2");
  EXPECT_EQ(box.legenda2, "Total de linhas: 5");
  EXPECT_EQ(box.legenda3, "fim");

  box.setConcluido("Pronto");
  EXPECT_EQ(box.operacao, "Pronto");
  EXPECT_EQ(box.botao, "Fechar");
  EXPECT_EQ(box.caption, "Processamento concluído!");
  EXPECT_FALSE(box.gaugeVisivel);
  // "Fechar" resets and hides; the next setProgress shows the gauge again.
  box.botaoClicado();
  EXPECT_FALSE(box.visivel);
  EXPECT_EQ(box.operacao, "");
  EXPECT_EQ(box.botao, "Cancelar");
  box.setProgress("De novo", 1, "", "", "", 0);
  EXPECT_TRUE(box.gaugeVisivel);
  EXPECT_EQ(box.caption, "Aguarde...");
}

TEST_F(ProgressFixture, CancelAsksAndTheNextProgressClearsTheRequest) {
  box.setProgress("Ordenando coluna...", 100, "Aguarde...", "", "", 0);
  dialogs.answers = {kNao, kEsc, kSim};
  box.botaoClicado();
  EXPECT_FALSE(box.gCancelou);
  EXPECT_TRUE(box.visivel);
  box.botaoClicado();  // Esc counts as no
  EXPECT_FALSE(box.gCancelou);
  box.botaoClicado();
  EXPECT_TRUE(box.cancelou());
  EXPECT_FALSE(box.visivel);
  EXPECT_EQ(dialogs.texts("question"),
            std::vector<std::string>(3, "Deseja cancelar esse processamento?"));
  box.setProgress("Outra", 1, "", "", "", 0);
  EXPECT_FALSE(box.cancelou());
}

TEST_F(ProgressFixture, ALockCodeKeepsOtherOperationsOutOfTheBox) {
  box.gBloqueadoCode = 7;
  box.setProgress("Verificando contas...", 5, "", "", "", 7);
  box.setProgress("Outra operação", 9, "", "", "", 3);
  EXPECT_EQ(box.operacao, "Verificando contas...");
  box.stepProgress("x", "", "", 3);
  EXPECT_EQ(box.posicao, 0);
  box.stepProgress("y", "", "", 7);
  box.stepProgress("z", "", "", 0);  // code 0 always passes
  EXPECT_EQ(box.posicao, 2);
  EXPECT_EQ(box.legenda1, "z");
}

TEST_F(ProgressFixture, StepsRepaintAtMostOncePerIntervalButNothingIsLost) {
  box.intervaloMs = 25;
  box.setProgress("Ordenando coluna...", 1000, "", "", "", 0);
  const int avisosInicio = avisos, bombasInicio = pump.calls;
  for (int i = 0; i < 100; ++i) box.stepProgress("Etapa 1/3", "", "", 0);  // same instant
  EXPECT_EQ(avisos, avisosInicio);
  EXPECT_EQ(pump.calls, bombasInicio);
  agora += 30;
  box.stepProgress("Etapa 2/3", "", "", 0);
  EXPECT_EQ(avisos, avisosInicio + 1);
  EXPECT_EQ(pump.calls, bombasInicio + 1);
  EXPECT_EQ(box.posicao, 101);
  EXPECT_EQ(box.legenda1, "Etapa 2/3");
  box.hide();
  EXPECT_FALSE(box.visivel);
  EXPECT_EQ(avisos, avisosInicio + 2);
}

}  // namespace
}  // namespace quorvel
