// "Validar e-mails" on the main window: the checks made before the validation window opens.
#include <gtest/gtest.h>

#include "app/main_window_validation.h"
#include "support/validator_fixture.h"

namespace quorvel {
namespace {

using Fixture = testing::ValidatorFixture;

struct PrincipalFixture : Fixture {
  int definicoesAbertas = 0, paginaLista = 0;
  MainWindowActions acoes{[this] { ++definicoesAbertas; }, [this] { ++paginaLista; }};
  PrincipalFixture() {
    v.visible = false;
    v.ligarListas(nullptr);
  }
};

TEST(ValidarEmailsPrincipal, LoadsTheDefinitionsFirstAndGoesOnWithoutABox) {
  PrincipalFixture f;
  f.v.chain.gRegras.reset();
  f.emails({"a@b.com"});
  f.acoes.carregarDefinicoes = [&f] {
    ++f.definicoesAbertas;
    f.v.chain.gRegras = filterListOf({});
  };
  EXPECT_TRUE(validarEmailsPrincipal(f.v, f.listas, f.dialogs, f.acoes));
  EXPECT_EQ(f.definicoesAbertas, 1);
  EXPECT_TRUE(f.dialogs.messages.empty());
  EXPECT_TRUE(f.v.visible);
  // Lists that cannot be loaded: the box of old, and no window.
  PrincipalFixture g;
  g.v.chain.gRegras.reset();
  EXPECT_FALSE(validarEmailsPrincipal(g.v, g.listas, g.dialogs, g.acoes));
  EXPECT_EQ(g.dialogs.texts("error").size(), 1u);
  EXPECT_FALSE(g.v.visible);
}

TEST(ValidarEmailsPrincipal, WarnsOnlyWhenNoColumnHoldsTheAddressesAndGoesOn) {
  // A column that holds the addresses, whatever its name: no box.
  for (const char* cabecalho : {"contatos", "E-mail", "Email", "e-mails", "E-MAILS"}) {
    PrincipalFixture f;
    f.list({{cabecalho}, {"a@b.com"}, {"c@d.com"}});
    EXPECT_TRUE(validarEmailsPrincipal(f.v, f.listas, f.dialogs, f.acoes)) << cabecalho;
    EXPECT_TRUE(f.dialogs.texts("error").empty()) << cabecalho;
  }
  PrincipalFixture f;
  f.list({{"nome"}, {"Ana"}, {"Bia"}});
  EXPECT_TRUE(validarEmailsPrincipal(f.v, f.listas, f.dialogs, f.acoes));
  EXPECT_EQ(f.paginaLista, 1);
  ASSERT_EQ(f.dialogs.texts("error").size(), 1u);
  EXPECT_EQ(f.dialogs.texts("error")[0].rfind("Não foi identificada uma coluna chamada emails.", 0),
            0u);
  EXPECT_TRUE(f.v.visible);
  EXPECT_EQ(f.counter(Counter::lbTotalOriginal), "2");
}

TEST(ValidarEmailsPrincipal, AsksBeforeDiscardingEarlierResults) {
  PrincipalFixture f;
  f.emails({"a@b.com"});
  f.editor.gridValidos.setCell(0, 1, "velho@x.com");
  f.editor.gridInvalidos.setColCount(2);
  f.editor.gridInvalidos.setCell(1, 0, "Erro");

  f.dialogs.answers = {kEsc};
  EXPECT_FALSE(validarEmailsPrincipal(f.v, f.listas, f.dialogs, f.acoes));
  EXPECT_EQ(f.editor.gridValidos.cell(0, 1), "velho@x.com");

  f.dialogs.answers = {kSim};
  EXPECT_TRUE(validarEmailsPrincipal(f.v, f.listas, f.dialogs, f.acoes));
  EXPECT_EQ(f.editor.gridValidos.cell(0, 1), "");
  EXPECT_EQ(f.editor.gridInvalidos.colCount(), 1);
  EXPECT_TRUE(f.dialogs.texts("error").empty());  // the header holds "emails"
}

}  // namespace
}  // namespace quorvel
