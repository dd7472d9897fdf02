// The grid run over the working list.
#include <gtest/gtest.h>

#include <random>

#include "support/grid_builder.h"
#include "support/validation_window_fixture.h"

namespace quorvel {
namespace {

using ::testing::ElementsAre;
using Fixture = testing::ValidationWindowFixture;

TEST(ExecutarValidacao, EveryStageRejectsWithItsReasonAndCounters) {
  Fixture f;
  f.v.chain.gRegras = filterListOf({"*.gov.br"});
  f.v.chain.gTraps = filterListOf({"spamtrap"});
  f.v.chain.gFiltroPaises = filterListOf({".FR"});
  f.v.chain.gNomesRaros = filterListOf({"reyansh"});
  f.mx.answers = {{"semmx.com.br", 0}, {"mudo.com.br", 2}};
  f.base.types = {{"sumiu@uol.com.br", 1}, {"saiu@uol.com.br", 3}};
  f.emails({"  Ana@Gmail.COM ", "ana@gmail.com", "sem arroba", "x@prefeitura.gov.br",
            "spamtrap1@x.com.br", "jean@orange.fr", "bcdfghjk@x.com.br", "reyansh@x.com",
            "reyansh@x.com.br", "a@semmx.com.br", "a@mudo.com.br", "sumiu@uol.com.br",
            "saiu@uol.com.br", "", "ok@net.net"});
  // The box that ends the run appears over a full bar, never over 14 of 15.
  int64_t barraNaCaixa = -1, maximoNaCaixa = -1;
  f.dialogs.onMessage = [&](const RecordedMessage& m) {
    if (m.texto != "Processamento finalizado") return;
    barraNaCaixa = f.v.barraPos;
    maximoNaCaixa = f.v.barraMax;
  };
  f.v.iniciarValidacao();
  EXPECT_EQ(maximoNaCaixa, 15);
  EXPECT_EQ(barraNaCaixa, 15);

  EXPECT_THAT(f.valid(),
              ElementsAre("ana@gmail.com", "reyansh@x.com.br", "a@mudo.com.br", "ok@net.net"));
  EXPECT_THAT(f.invalid(), ElementsAre("sem arroba", "x@prefeitura.gov.br", "spamtrap1@x.com.br",
                                       "jean@orange.fr", "bcdfghjk@x.com.br", "reyansh@x.com",
                                       "a@semmx.com.br", "sumiu@uol.com.br", "saiu@uol.com.br"));
  EXPECT_THAT(f.reasons(),
              ElementsAre("Erro de sintaxe", "Regra personalizada (*.gov.br)", "Armadilha",
                          "Filtro de países: .fr", "Filtro empírico - 8 consoantes seguidas",
                          "Nomes raros:  (reyansh)", "Teste MX - semmx.com.br",
                          "Base negativa: e-mail inexistente",
                          "Base negativa: e-mail indisponível para recebimento"));
  // The working list stays as the user left it; the valid list holds the normalised address.
  EXPECT_EQ(f.editor.gridMain.cell(0, 1), "  Ana@Gmail.COM ");
  EXPECT_EQ(f.editor.gridValidos.cell(0, 1), "ana@gmail.com");
  const std::pair<Counter, const char*> esperado[] = {
      {Counter::lbTotalOriginal, "15"},  {Counter::lbProcessados, "15"},
      {Counter::lbTotalInvalidos, "10"}, {Counter::lbTotalFinal, "4"},
      {Counter::lbRepetidos, "1"},       {Counter::lbSintaxe, "1"},
      {Counter::lbRegras, "1"},          {Counter::lbArmadilhas, "1"},
      {Counter::lbInternacional, "1"},   {Counter::lbEmpirico, "1"},
      {Counter::lbNomesRaros, "1"},      {Counter::lbTesteMx, "1"},
      {Counter::lbEmailsInvalidos, "2"}, {Counter::lbBases, "3"}};
  for (auto [c, texto] : esperado) EXPECT_EQ(f.counter(c), texto) << counterName(c);
  EXPECT_THAT(f.dialogs.texts("information"), ElementsAre("Processamento finalizado"));
}

TEST(ExecutarValidacao, DisabledStagesLetEveryDistinctAddressThrough) {
  Fixture f;
  f.v.chain.gTraps = filterListOf({"*"});
  for (const char* nome : {"sintaxe", "regras", "armadilhas", "internacional", "empirico",
                           "nomesraros", "testemx", "emailsinvalidos"})
    *stageOptionByName(f.v.chain.opcoes, nome) = false;
  f.emails({"x y", "X Y", "__a@b", "z"});
  f.v.iniciarValidacao();
  EXPECT_THAT(f.valid(), ElementsAre("x y", "__a@b", "z"));
  EXPECT_EQ(f.counter(Counter::lbRepetidos), "1");
}

TEST(ExecutarValidacao, SecondRunInTheSameWindowFindsEveryAddressRepeated) {
  Fixture f;
  f.emails({"a@b.com", "c@d.com"});
  f.v.iniciarValidacao();
  f.editor.novaLista(f.editor.gridValidos, true);
  f.v.iniciarValidacao();
  EXPECT_EQ(f.counter(Counter::lbRepetidos), "2");
  EXPECT_EQ(f.counter(Counter::lbTotalFinal), "0");
  EXPECT_TRUE(f.valid().empty());
  // Closing and showing the window again starts with a fresh memory.
  f.dialogs.answers.clear();
  EXPECT_TRUE(f.v.fecharClicado());
  f.v.mostrar();
  f.v.iniciarValidacao();
  EXPECT_EQ(f.counter(Counter::lbTotalFinal), "2");
}

TEST(ExecutarValidacao, ResultRowsFollowTheHeadersAndTheFirstRowRule) {
  Fixture f;
  f.list({{"Nome", "emails", "Cidade"},
          {"Ana", "ana@x.com", "Recife"},
          {"Bia", "sem-arroba", "Natal"},
          {"Caio", "caio@x.com", ""}});
  // The valid list already has a column "CIDADE": it is matched ignoring case.
  f.editor.gridValidos.setCell(0, 0, "CIDADE");
  f.v.iniciarValidacao();
  const TextGrid& val = f.editor.gridValidos;
  ASSERT_EQ(val.colCount(), 3);
  EXPECT_EQ(val.cell(0, 0), "CIDADE");
  EXPECT_EQ(val.cell(1, 0), "Nome");
  EXPECT_EQ(val.cell(2, 0), "emails");
  ASSERT_EQ(val.rowCount(), 3);  // the first result lands in row 1
  EXPECT_EQ(val.cell(0, 1), "Recife");
  EXPECT_EQ(val.cell(1, 2), "Caio");
  EXPECT_EQ(val.cell(0, 2), "");
  const TextGrid& inv = f.editor.gridInvalidos;
  ASSERT_EQ(inv.colCount(), 3);
  EXPECT_EQ(inv.cell(0, 0), "E-mail");
  EXPECT_EQ(inv.cell(1, 0), "Erro");
  EXPECT_EQ(inv.cell(2, 0), "Sugestão");
  EXPECT_EQ(inv.rowCount(), 2);
  // The run ends on the "Válidos" tab with sized columns.
  EXPECT_EQ(f.editor.abaAtiva(), kAbaValidos);
  EXPECT_EQ(f.editor.gGrid, &f.editor.gridValidos);
  EXPECT_GE(val.colWidth(1), 70);
}

TEST(ExecutarValidacao, BlankRowsAreCountedAndNothingElse) {
  Fixture f;
  f.emails({"", "   ", "\t"});
  f.v.iniciarValidacao();
  EXPECT_EQ(f.counter(Counter::lbProcessados), "3");
  EXPECT_EQ(f.counter(Counter::lbTotalInvalidos), "0");
  EXPECT_EQ(f.counter(Counter::lbTotalFinal), "0");
  EXPECT_TRUE(f.valid().empty());
  EXPECT_EQ(f.editor.gridValidos.rowCount(), 2);
}

TEST(ExecutarValidacao, CancelKeepsTheRowsProcessedSoFar) {
  Fixture f;
  std::vector<std::string> enderecos;
  for (int i = 0; i < 120; ++i) enderecos.push_back("u" + std::to_string(i) + "@x.com");
  f.emails(enderecos);
  // The cancel click is seen when events are let through at row 50.
  f.pump.onPump = [&] { f.v.gCancelou = true; };
  f.v.iniciarValidacao();
  EXPECT_EQ(f.valid().size(), 50u);
  EXPECT_THAT(f.dialogs.texts("information"),
              ElementsAre("A validação foi cancelada", "Processamento finalizado"));
  EXPECT_FALSE(f.v.gCancelou);
  EXPECT_FALSE(f.v.gRodando);
  EXPECT_EQ(f.v.btnFecharCaption, "Fechar");
  EXPECT_TRUE(f.v.btnIniciarHabilitado);
  EXPECT_TRUE(f.v.gridsResultadoVisiveis);
}

TEST(ExecutarValidacao, AFailingRowIsSkippedAndTheRunGoesOn) {
  Fixture f;
  f.mx.failOn = "quebrado.com";
  f.emails({"a@ok.com", "b@quebrado.com", "c@ok.com"});
  f.v.iniciarValidacao();
  EXPECT_THAT(f.valid(), ElementsAre("a@ok.com", "c@ok.com"));
  EXPECT_TRUE(f.invalid().empty());
  EXPECT_EQ(f.counter(Counter::lbProcessados), "3");
}

TEST(ExecutarValidacao, TheServiceIsAskedOnlyWhileSharingAndAFailureMeansNotNow) {
  Fixture f;
  testing::FailingSharingPermission sync;
  SharingFlags flags;
  f.v.setSharingPermission(&sync);
  f.v.setColaboracao(&flags);
  f.emails({"a@ok.com", "b@ok.com"});
  f.v.iniciarValidacao();
  EXPECT_EQ(sync.perguntas, 0);  // not taking part: not asked
  EXPECT_EQ(f.v.avisoCompartilhamento, "");
  flags.gCompartilha = true;
  f.v.iniciarValidacao();
  EXPECT_EQ(sync.perguntas, 1);
  EXPECT_THAT(f.valid(), ElementsAre("a@ok.com", "b@ok.com"));
  EXPECT_FALSE(f.v.podeSincronizarNestaExecucao);
  EXPECT_EQ(f.v.avisoCompartilhamento,
            std::string(kAvisoSemCompartilhamento) + " (serviço fora do ar)");
  // Said once, as a line: no box holds the run.
  EXPECT_TRUE(f.dialogs.texts("error").empty());
  EXPECT_THAT(f.dialogs.texts("information"),
              ElementsAre("Processamento finalizado", "Processamento finalizado"));
}

TEST(LocalizarColunaEmail, ByAtSignThenHeaderThenTheUsersChoice) {
  Fixture f;
  f.list({{"a", "b", "contato"}, {"1", "2", "x@y.com"}});
  EXPECT_EQ(f.v.localizarColunaEmail(f.editor.gridMain), 2);
  f.list({{"Nome", "E-Mail"}, {"Ana", ""}});
  EXPECT_EQ(f.v.localizarColunaEmail(f.editor.gridMain), 1);
  f.list({{"Nome", "Contato"}, {"Ana", "ana arroba x"}});
  f.dialogs.choices = {2};
  EXPECT_EQ(f.v.localizarColunaEmail(f.editor.gridMain), 1);
  ASSERT_EQ(f.dialogs.offeredItems.size(), 1u);
  EXPECT_THAT(f.dialogs.offeredItems[0], ElementsAre("Selecione uma coluna", "Nome", "Contato"));
  EXPECT_EQ(f.dialogs.messages.back().texto,
            "Selecionar uma coluna|Selecione a coluna que contém os e-mails:");
}

TEST(LocalizarColunaEmail, TheColumnThatHoldsTheAddressesWinsOverAHeaderThatOnlyNamesThem) {
  struct Caso {
    const char* oQue;
    testing::Rows lista;
    int coluna;
  };
  const std::vector<Caso> casos = {
      {"the CRM spellings of the header",
       {{"Nome", "E-mail", "Cidade"}, {"Ana", "", "Recife"}, {"Bia", "bia@x.com", ""}},
       1},
      {"Email", {{"Nome", "Email"}, {"Ana", ""}}, 1},
      {"e-mails", {{"e-mails", "Nome"}, {"", "Ana"}}, 0},
      {"E-MAILS", {{"Nome", "E-MAILS"}, {"Ana", ""}}, 1},
      // A file whose header line was read as a data row: the names column is titled "emails".
      {"a header line read as data",
       {{"emails", "Coluna 2", "Coluna 3"},
        {"Nome", "E-mail", "Cidade"},
        {"Ana", "ana@x.com", "Recife"},
        {"Bia", "bia@x.com", "Natal"}},
       1},
      {"no header, addresses below a blank first row", {{"a", "b"}, {"", ""}, {"x", "y@z.com"}}, 1},
  };
  for (const auto& c : casos) {
    Fixture f;
    f.list(c.lista);
    EXPECT_EQ(f.v.localizarColunaEmail(f.editor.gridMain), c.coluna) << c.oQue;
    EXPECT_TRUE(f.dialogs.messages.empty()) << c.oQue;  // found without asking
  }
}

TEST(LocalizarColunaEmail, WithoutAColumnRowsAreOnlyCounted) {
  Fixture f;
  f.list({{"Nome"}, {"Ana"}, {"Bia"}});
  f.dialogs.choices = {0};  // "Selecione uma coluna" chooses none
  f.v.iniciarValidacao();
  EXPECT_THAT(f.dialogs.texts("error"), ElementsAre("A coluna de e-mails não foi identificada"));
  EXPECT_EQ(f.counter(Counter::lbProcessados), "2");
  EXPECT_EQ(f.counter(Counter::lbTotalFinal), "0");
  EXPECT_EQ(f.editor.gridMain.cell(0, 1), "Ana");
}

TEST(ExecutarValidacao, TheListsHearTheRunOnceAndTheWindowEveryFiftyRows) {
  Fixture f;
  std::vector<std::string> enderecos;
  for (int i = 0; i < 1000; ++i)
    enderecos.push_back(i % 4 == 0 ? "sem arroba " + std::to_string(i)
                                   : "pessoa" + std::to_string(i) + "@empresa.com.br");
  f.emails(enderecos);
  std::vector<GridNotice::Kind> validos, invalidos;
  int janela = 0, barra = 0, linhasDuranteAvisos = 0;
  auto sv = f.editor.gridValidos.listen([&](const GridNotice& n) { validos.push_back(n.kind); });
  auto si =
      f.editor.gridInvalidos.listen([&](const GridNotice& n) { invalidos.push_back(n.kind); });
  auto sj = f.v.notices.listen([&](const ValidationWindowNotice&) {
    ++janela;
    linhasDuranteAvisos += validos.empty() ? 0 : 1;  // the lists are told only at the end
  });
  auto sb = f.v.notices.listen([&](const ValidationWindowNotice&) { ++barra; });
  f.v.iniciarValidacao();
  EXPECT_EQ(f.valid().size(), 750u);
  EXPECT_EQ(f.invalid().size(), 250u);
  // Appends, the first rows' new columns and the widths fitted at the end: a handful of notices,
  // not one per row.
  EXPECT_LE(validos.size(), 7u);
  EXPECT_LE(invalidos.size(), 10u);  // three new columns there: address, reason, suggestion
  EXPECT_GE(janela, 20);             // every 50 rows, plus the start and the end
  EXPECT_EQ(barra, janela);
  EXPECT_LE(linhasDuranteAvisos,
            3);  // only the notices of the run's end (before its box and after)
}

// The valid list's columns for a row: the same as writing the row cell by cell, however the
// headers repeat, differ in case or are blank.
TEST(CopiarLinhaGrid, AgreesWithWritingEachCellUnderItsHeader) {
  std::mt19937 rng(5);
  const std::vector<std::string> cabecalhos = {"", " ", "emails", "Emails", "nome", "NOME", "x"};
  const std::vector<std::string> valores = {"", " ", "v", "w"};
  auto um = [&](const std::vector<std::string>& v) {
    return v[std::uniform_int_distribution<size_t>(0, v.size() - 1)(rng)];
  };
  for (int rodada = 0; rodada < 3000; ++rodada) {
    TextGrid origem, inicial;
    const int n = 1 + static_cast<int>(rng() % 6);
    origem.setColCount(n);
    for (int c = 0; c < n; ++c) {
      origem.setCell(c, 0, um(cabecalhos));
      origem.setCell(c, 1, um(valores));
    }
    const int m = 1 + static_cast<int>(rng() % 3);
    inicial.setColCount(m);
    for (int c = 0; c < m; ++c)
      if (rng() % 2) inicial.setCell(c, 0, um(cabecalhos));
    if (rng() % 2) inicial.setCell(0, 1, um(valores));
    TextGrid esperado = inicial, obtido = inicial;
    for (int c = 0; c < n; ++c) colunaSetValue(esperado, 1, origem.cell(c, 1), origem.cell(c, 0));
    std::vector<int> mapa;
    copiarComCabecalhos(origem, 1, obtido, 1, mapa);
    ASSERT_EQ(testing::rowsOf(obtido), testing::rowsOf(esperado))
        << rodada << " origem " << ::testing::PrintToString(testing::rowsOf(origem)) << " inicial "
        << ::testing::PrintToString(testing::rowsOf(inicial));
    for (int c = 0; c < esperado.colCount(); ++c)
      ASSERT_EQ(obtido.colWidth(c), esperado.colWidth(c)) << rodada;
  }
}

TEST(CopiarLinhaGrid, ARowOfFortyThousandFieldsIsCopiedInOneGrowth) {
  TextGrid origem;
  const int n = 40000;
  origem.setColCount(n);
  for (int c = 0; c < n; ++c) {
    origem.setCell(c, 0, "campo" + std::to_string(c));
    origem.setCell(c, 1, "v");
  }
  TextGrid destino;
  int crescimentos = 0;
  auto sub = destino.listen(
      [&](const GridNotice& a) { crescimentos += a.kind == GridNotice::Kind::columnsInserted; });
  std::vector<int> mapa;
  copiarComCabecalhos(origem, 1, destino, 1, mapa);
  EXPECT_EQ(destino.colCount(), n);
  EXPECT_EQ(destino.cell(n - 1, 0), "campo39999");
  EXPECT_EQ(crescimentos, 1);
}

}  // namespace
}  // namespace quorvel
