// The single-address chain, the window's buttons and the checks made before a run.
#include <gtest/gtest.h>

#include "validation/iniciar_pelo_principal.h"
#include "validator_fixture.h"

namespace quorvel {
namespace {

using ::testing::ElementsAre;
using Fixture = testing::ValidatorFixture;

TEST(ValidarEmail, DiffersFromTheGridRunWhereItShould) {
  Fixture f;
  std::string erro = "x";
  EXPECT_EQ(f.v.validarEmail("Ana@Gmail.com", erro), "ana@gmail.com");
  EXPECT_EQ(erro, "");
  EXPECT_EQ(f.v.validarEmail("ANA@gmail.com", erro), "");
  EXPECT_EQ(erro, "E-mail repetido");
  // Only the first empirical stage applies.
  EXPECT_EQ(f.v.validarEmail("ab12cd34ef56@x.com", erro), "ab12cd34ef56@x.com");
  EXPECT_EQ(f.v.validarEmail("bcdfghjk@x.com", erro), "");
  EXPECT_EQ(erro, "Filtro empírico - 8 consoantes seguidas");
  // Empty after trimming: nothing is counted.
  EXPECT_EQ(f.v.validarEmail(" \t", erro), "");
  EXPECT_EQ(erro, "");
  EXPECT_EQ(f.contador(Counter::lbTotalFinal), "2");
  EXPECT_EQ(f.contador(Counter::lbTotalInvalidos), "2");
  EXPECT_EQ(f.contador(Counter::lbRepetidos), "1");
  EXPECT_EQ(f.contador(Counter::lbEmpirico), "1");
  EXPECT_EQ(f.contador(Counter::lbProcessados), "0");  // the caller counts lines
  // Nothing is written to any grid.
  EXPECT_EQ(f.editor.gridValidos.rowCount(), 2);
  EXPECT_FALSE(f.editor.gridInvalidos.rowHasText(0));
}

TEST(ValidarEmail, ExhaustedDuplicateMemoryWarnsAndStartsAfresh) {
  Fixture f;
  std::string erro;
  f.v.validarEmail("a@b.com", erro);
  f.v.gProcessados->setLimiteBytes(1);
  EXPECT_EQ(f.v.validarEmail("c@d.com", erro), "c@d.com");
  EXPECT_EQ(erro, "");
  ASSERT_EQ(f.dialogs.texts("warning").size(), 1u);
  EXPECT_EQ(f.dialogs.texts("warning")[0].rfind("ATENÇÃO: a checagem de e-mails repetidos", 0), 0u);
  // The fresh memory has forgotten the first address but remembers the current one.
  EXPECT_EQ(f.v.validarEmail("a@b.com", erro), "a@b.com");
  EXPECT_EQ(f.v.validarEmail("c@d.com", erro), "");
  EXPECT_EQ(erro, "E-mail repetido");
}

TEST(ValidarEmail, HostileInputIsAnsweredNotCrashedOn) {
  Fixture f;
  std::string erro;
  const std::string casos[] = {std::string("a\0b@x.com", 9), "\xFF\xFE@x.com",
                               std::string(1 << 20, 'a') + "@x.com", "\xC3"};
  for (const auto& c : casos) {
    EXPECT_EQ(f.v.validarEmail(c, erro), "");
    EXPECT_FALSE(erro.empty());
  }
}

TEST(Counters, IncLabelNumberAndZerar) {
  Fixture f;
  f.v.counters.set(Counter::lbProcessados, 999);
  f.v.incLabelNumber(Counter::lbProcessados);
  EXPECT_EQ(f.contador(Counter::lbProcessados), "1.000");
  f.v.counters.setUndefined(Counter::lbTotalOriginal);
  f.v.incLabelNumber(Counter::lbTotalOriginal);
  EXPECT_EQ(f.contador(Counter::lbTotalOriginal), "indefinido");
  f.v.gRodando = true;
  f.v.btnIniciarHabilitado = false;
  f.v.zerarContadores();
  EXPECT_EQ(f.contador(Counter::lbTotalOriginal), "0");
  EXPECT_EQ(f.contador(Counter::lbProcessados), "0");
  EXPECT_FALSE(f.v.btnIniciarHabilitado);  // stays off while a run goes on
  EXPECT_TRUE(f.v.btnFecharHabilitado);
}

TEST(BotaoFechar, AsksDuringARunAndShowsTheTipAfterOne) {
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
  f.v.counters.set(Counter::lbTotalFinal, 5);
  EXPECT_TRUE(f.v.fecharClicado());
  ASSERT_FALSE(f.dialogs.messages.empty());
  EXPECT_EQ(f.dialogs.messages.back().kind, "tip");
  EXPECT_EQ(f.dialogs.messages.back().id, "160421");
  EXPECT_EQ(f.dialogs.messages.back().altura, 350);
  EXPECT_EQ(f.contador(Counter::lbTotalFinal), "0");
  EXPECT_FALSE(f.v.visible);
}

TEST(Opcoes, TickingTheDatabaseFiltersShowsTheirTip) {
  Fixture f;
  f.v.opcaoMarcada(&f.v.opcoes.ckbTesteMX, false);
  f.v.opcaoMarcada(&f.v.opcoes.ckbSintaxe, true);
  EXPECT_TRUE(f.dialogs.messages.empty());
  f.v.opcaoMarcada(&f.v.opcoes.ckbEmailsInvalidos, true);
  ASSERT_EQ(f.dialogs.messages.size(), 1u);
  EXPECT_EQ(f.dialogs.messages[0].id, "260320213");
  EXPECT_EQ(f.dialogs.messages[0].altura, 250);
  EXPECT_FALSE(f.v.opcoes.ckbTesteMX);
}

struct PrincipalFixture : Fixture {
  int definicoesAbertas = 0, paginaLista = 0;
  MainWindowActions acoes{[this] { ++definicoesAbertas; }, [this] { ++paginaLista; }};
  PrincipalFixture() {
    v.visible = false;
    v.ligarListas(nullptr);
  }
};

TEST(ValidarEmailsPrincipal, RefusesUntilTheDefinitionsAreLoaded) {
  PrincipalFixture f;
  f.v.gRegras.reset();
  EXPECT_FALSE(validarEmailsPrincipal(f.v, f.editor, f.dialogs, f.acoes));
  EXPECT_EQ(f.definicoesAbertas, 1);
  EXPECT_EQ(f.dialogs.texts("error").size(), 1u);
  EXPECT_FALSE(f.v.visible);
}

TEST(ValidarEmailsPrincipal, WarnsAboutTheHeaderButGoesOn) {
  PrincipalFixture f;
  f.lista({{"contatos"}, {"a@b.com"}, {"c@d.com"}});
  EXPECT_TRUE(validarEmailsPrincipal(f.v, f.editor, f.dialogs, f.acoes));
  EXPECT_EQ(f.paginaLista, 1);
  ASSERT_EQ(f.dialogs.texts("error").size(), 1u);
  EXPECT_EQ(f.dialogs.texts("error")[0].rfind("Não foi identificada uma coluna chamada emails.", 0),
            0u);
  EXPECT_TRUE(f.v.visible);
  EXPECT_EQ(f.contador(Counter::lbTotalOriginal), "2");
}

TEST(ValidarEmailsPrincipal, AsksBeforeDiscardingEarlierResults) {
  PrincipalFixture f;
  f.emails({"a@b.com"});
  f.editor.gridValidos.setCell(0, 1, "velho@x.com");
  f.editor.gridInvalidos.setColCount(2);
  f.editor.gridInvalidos.setCell(1, 0, "Erro");

  f.dialogs.answers = {kEsc};
  EXPECT_FALSE(validarEmailsPrincipal(f.v, f.editor, f.dialogs, f.acoes));
  EXPECT_EQ(f.editor.gridValidos.cell(0, 1), "velho@x.com");

  f.dialogs.answers = {kSim};
  EXPECT_TRUE(validarEmailsPrincipal(f.v, f.editor, f.dialogs, f.acoes));
  EXPECT_EQ(f.editor.gridValidos.cell(0, 1), "");
  EXPECT_EQ(f.editor.gridInvalidos.colCount(), 1);
  EXPECT_TRUE(f.dialogs.texts("error").empty());  // the header holds "emails"
}

}  // namespace
}  // namespace quorvel
