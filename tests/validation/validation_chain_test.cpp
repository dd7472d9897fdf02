// The single-address chain, the window's buttons and the checks made before a run.
#include <gtest/gtest.h>

#include "support/validation_window_fixture.h"

namespace quorvel {
namespace {

using ::testing::ElementsAre;
using Fixture = testing::ValidationWindowFixture;

TEST(ValidarEmail, DiffersFromTheGridRunWhereItShould) {
  Fixture f;
  std::string erro = "x";
  EXPECT_EQ(f.v.chain.validarEmail("Ana@Gmail.com", erro), "ana@gmail.com");
  EXPECT_EQ(erro, "");
  EXPECT_EQ(f.v.chain.validarEmail("ANA@gmail.com", erro), "");
  EXPECT_EQ(erro, "E-mail repetido");
  // Only the first empirical stage applies.
  EXPECT_EQ(f.v.chain.validarEmail("ab12cd34ef56@x.com", erro), "ab12cd34ef56@x.com");
  EXPECT_EQ(f.v.chain.validarEmail("bcdfghjk@x.com", erro), "");
  EXPECT_EQ(erro, "Filtro empírico - 8 consoantes seguidas");
  // Empty after trimming: nothing is counted.
  EXPECT_EQ(f.v.chain.validarEmail(" \t", erro), "");
  EXPECT_EQ(erro, "");
  EXPECT_EQ(f.counter(Counter::lbTotalFinal), "2");
  EXPECT_EQ(f.counter(Counter::lbTotalInvalidos), "2");
  EXPECT_EQ(f.counter(Counter::lbRepetidos), "1");
  EXPECT_EQ(f.counter(Counter::lbEmpirico), "1");
  EXPECT_EQ(f.counter(Counter::lbProcessados), "0");  // the caller counts lines
  // Nothing is written to any grid.
  EXPECT_EQ(f.editor.gridValidos.rowCount(), 2);
  EXPECT_FALSE(f.editor.gridInvalidos.rowHasText(0));
}

TEST(ValidarEmail, ExhaustedDuplicateMemoryWarnsAndStartsAfresh) {
  Fixture f;
  std::string erro;
  f.v.chain.validarEmail("a@b.com", erro);
  f.v.chain.gProcessados->setLimiteBytes(1);
  EXPECT_EQ(f.v.chain.validarEmail("c@d.com", erro), "c@d.com");
  EXPECT_EQ(erro, "");
  ASSERT_EQ(f.dialogs.texts("warning").size(), 1u);
  EXPECT_EQ(f.dialogs.texts("warning")[0].rfind("ATENÇÃO: a checagem de e-mails repetidos", 0), 0u);
  // The fresh memory has forgotten the first address but remembers the current one.
  EXPECT_EQ(f.v.chain.validarEmail("a@b.com", erro), "a@b.com");
  EXPECT_EQ(f.v.chain.validarEmail("c@d.com", erro), "");
  EXPECT_EQ(erro, "E-mail repetido");
}

TEST(ValidarEmail, HostileInputIsAnsweredNotCrashedOn) {
  Fixture f;
  std::string erro;
  const std::string casos[] = {std::string("a\0b@x.com", 9), "\xFF\xFE@x.com",
                               std::string(1 << 20, 'a') + "@x.com", "\xC3"};
  for (const auto& c : casos) {
    EXPECT_EQ(f.v.chain.validarEmail(c, erro), "");
    EXPECT_FALSE(erro.empty());
  }
}

// A verdict of the filter stages found ahead of the chain (on the bulk run's preparing thread)
// is the chain's own while the lists and check boxes are the ones it was found with; after a
// change the chain checks the address again.
TEST(ValidarEmail, AVerdictFoundAheadHoldsOnlyForTheListsItWasFoundWith) {
  Fixture f;
  auto preparado = [](std::string_view e, const FilterStages& etapas, std::string& detalhe) {
    PreparedAddress a{HashedText(e), HashedText(dominioDe(e)), &etapas, FilterStage::nenhuma, {}};
    a.etapa = etapas.rejeita(e, false, detalhe);
    a.detalhe = detalhe;
    return a;
  };
  std::string erro, d1, d2, d3;
  const FilterStages antes(f.v.chain);
  const auto a = preparado("bloqueado@x.com", antes, d1);
  f.v.chain.gRegras = filterListOf({"bloqueado*"});
  EXPECT_EQ(f.v.chain.validarPreparado(a, erro), "");
  EXPECT_EQ(erro, "Regra personalizada (bloqueado*)");

  const FilterStages agora(f.v.chain);
  const auto b = preparado("bloqueado2@x.com", agora, d2);
  EXPECT_EQ(b.etapa, FilterStage::regras);
  f.v.chain.opcoes.ckbRegras = false;
  EXPECT_EQ(f.v.chain.validarPreparado(b, erro), "bloqueado2@x.com");

  // Unchanged lists: the verdict is taken as it came.
  const FilterStages mesmas(f.v.chain);
  auto c = preparado("ana@x.com", mesmas, d3);
  c.etapa = FilterStage::nomesRaros;
  c.detalhe = " (ana)";
  EXPECT_EQ(f.v.chain.validarPreparado(c, erro), "");
  EXPECT_EQ(erro, "Nomes raros:  (ana)");
  EXPECT_EQ(f.counter(Counter::lbNomesRaros), "1");
}

TEST(Counters, IncLabelNumberAndReset) {
  Fixture f;
  f.v.chain.counters.set(Counter::lbProcessados, 999);
  f.v.chain.incLabelNumber(Counter::lbProcessados);
  EXPECT_EQ(f.counter(Counter::lbProcessados), "1.000");
  f.v.chain.counters.setUndefined(Counter::lbTotalOriginal);
  f.v.chain.incLabelNumber(Counter::lbTotalOriginal);
  EXPECT_EQ(f.counter(Counter::lbTotalOriginal), "indefinido");
  f.v.gRodando = true;
  f.v.btnIniciarHabilitado = false;
  f.v.zerarContadores();
  EXPECT_EQ(f.counter(Counter::lbTotalOriginal), "0");
  EXPECT_EQ(f.counter(Counter::lbProcessados), "0");
  EXPECT_FALSE(f.v.btnIniciarHabilitado);  // stays off while a run goes on
  EXPECT_TRUE(f.v.btnFecharHabilitado);
}

TEST(CloseButton, AsksDuringARunAndShowsTheTipAfterOne) {
  Fixture f;
  f.v.gRodando = true;
  f.dialogs.answers = {kNao, kEsc, kSim};
  EXPECT_FALSE(f.v.fecharClicado());
  EXPECT_FALSE(f.v.gCancelou);
  EXPECT_FALSE(f.v.fecharClicado());
  EXPECT_FALSE(f.v.gCancelou);
  EXPECT_FALSE(f.v.fecharClicado());
  EXPECT_TRUE(f.v.gCancelou);
  EXPECT_THAT(f.dialogs.texts("question"),
              ElementsAre("Quer cancelar a validação?", "Quer cancelar a validação?",
                          "Quer cancelar a validação?"));
  f.v.gRodando = false;
  f.v.gRodou = true;
  f.v.chain.counters.set(Counter::lbTotalFinal, 5);
  EXPECT_TRUE(f.v.fecharClicado());
  ASSERT_FALSE(f.dialogs.messages.empty());
  EXPECT_EQ(f.dialogs.messages.back().kind, "tip");
  EXPECT_EQ(f.dialogs.messages.back().id, "160421");
  EXPECT_EQ(f.dialogs.messages.back().altura, 350);
  EXPECT_EQ(f.counter(Counter::lbTotalFinal), "0");
  EXPECT_FALSE(f.v.visible);
}

TEST(StageOptions, TickingTheDatabaseFiltersShowsTheirTip) {
  Fixture f;
  f.v.opcaoMarcada(&f.v.chain.opcoes.ckbTesteMX, false);
  f.v.opcaoMarcada(&f.v.chain.opcoes.ckbSintaxe, true);
  EXPECT_TRUE(f.dialogs.messages.empty());
  f.v.opcaoMarcada(&f.v.chain.opcoes.ckbEmailsInvalidos, true);
  ASSERT_EQ(f.dialogs.messages.size(), 1u);
  EXPECT_EQ(f.dialogs.messages[0].id, "260320213");
  EXPECT_EQ(f.dialogs.messages[0].altura, 250);
  EXPECT_FALSE(f.v.chain.opcoes.ckbTesteMX);
}

}  // namespace
}  // namespace quorvel
