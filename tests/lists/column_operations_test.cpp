#include "lists/column_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lists/header_row.h"
#include "support/grid_builder.h"
#include "support/scripted_ports.h"

using namespace quorvel;
using quorvel::testing::fill;
using quorvel::testing::Rows;
using quorvel::testing::rowsOf;

namespace {

class ColumnOperations : public ::testing::Test, protected quorvel::testing::EditorWithPorts {};

// ---- Naming -------------------------------------------------------------------------------------

TEST_F(ColumnOperations, F4AppendsANamedColumnAtTheRightEndOrNamesAnUnnamedOne) {
  fill(g(), {{"emails", "", "cidade"}, {"a@b.com", "x", "Rio"}});
  g().moverCursor(0, 1);
  d.values.push_back("Nome Completo");
  inserirColuna(e);
  EXPECT_EQ(rowsOf(g()),
            (Rows{{"emails", "", "cidade", "nome-completo"}, {"a@b.com", "x", "Rio", ""}}));
  EXPECT_EQ(e.editouDaAba(0), "1");
  EXPECT_EQ(d.texts("value"), (std::vector<std::string>{"Inserir coluna"}));

  g().moverCursor(1, 1);
  d.values.push_back("SOBRENOME");
  inserirColuna(e);
  EXPECT_EQ(g().rowCells(0),
            (std::vector<std::string>{"emails", "sobrenome", "cidade", "nome-completo"}));

  // Nothing typed: nothing happens, the flag included.
  e.gEditou["0"] = "0";
  d.values.push_back("");
  inserirColuna(e);
  EXPECT_EQ(g().colCount(), 4);
  EXPECT_EQ(e.editouDaAba(0), "0");
  EXPECT_STREQ(kPromptNomeColuna, "Defina o nome desta coluna");
}

TEST_F(ColumnOperations, RenameOneColumn) {
  fill(g(), {{"emails", "x"}, {"a@b.com", "Ana"}});
  d.values = {"Primeiro Nome", ""};
  renomearColuna(e, 1);
  EXPECT_EQ(g().cell(1, 0), "primeiro-nome");
  renomearColuna(e, 1);  // cancelled
  EXPECT_EQ(g().cell(1, 0), "primeiro-nome");
  EXPECT_EQ(d.texts("value"), (std::vector<std::string>{"Renomear coluna", "Renomear coluna"}));
  EXPECT_EQ(e.editouDaAba(0), "1");  // every change leaves the list unsaved
  EXPECT_EQ(formatColumnName("Nome Completo"), "nome-completo");
  EXPECT_EQ(formatColumnName("ÁREA DE ATUAÇÃO"), "área-de-atuação");
}

TEST_F(ColumnOperations, DefinirColunasPage) {
  fill(g(), {{"emails", "nome", "", "cidade"}, {"", "Ana", " ", "Rio"}});
  auto linhas = showColunas(g());
  ASSERT_EQ(linhas.size(), 4u);
  EXPECT_EQ(linhas[0].exemplo, "Coluna ");  // column 0, blank value
  EXPECT_EQ(linhas[1].exemplo, "Ana");
  EXPECT_EQ(linhas[2].exemplo, "Coluna 2");
  EXPECT_EQ(linhas[0].nomeCampo, "emails");
  EXPECT_EQ(linhas[2].nomeCampo, "");

  setColunas(e, {"#", "Nome Completo", "Telefone", ""});
  EXPECT_EQ(g().rowCells(0), (std::vector<std::string>{"emails", "nome-completo", "telefone", ""}));
  EXPECT_EQ(g().rowCells(1), (std::vector<std::string>{"", "Ana", " ", "Rio"}));
}

// ---- Deleting
// -------------------------------------------------------------------------------------

TEST_F(ColumnOperations, CheckListDeletesNamedColumnsOnly) {
  fill(g(), {{"emails", "", " nome ", "", "cidade"}, {"a@b.com", "x", "Ana", "", "Rio"}});
  DeleteColumnsPage pagina = abrirEliminarColunas(g());
  EXPECT_EQ(pagina.itens,
            (std::vector<std::string>{"emails", "Coluna 1 (x)", "nome", "Coluna 3", "cidade"}));
  EXPECT_EQ(pagina.marcados, (std::vector<char>{0, 0, 0, 0, 0}));
  pagina.marcarTodas(true);
  EXPECT_EQ(pagina.marcados, (std::vector<char>{1, 1, 1, 1, 1}));
  pagina.marcarTodas(false);
  pagina.marcados[1] = pagina.marcados[2] = pagina.marcados[3] = 1;
  g().moverCursor(4, 1);
  aplicarEliminarColunas(e, pagina);
  EXPECT_EQ(rowsOf(g()), (Rows{{"emails", "", "", "cidade"}, {"a@b.com", "x", "", "Rio"}}));
  EXPECT_EQ(g().cursorCol, 0);
  EXPECT_EQ(g().cursorRow, 1);
  EXPECT_EQ(e.editouDaAba(0), "1");
  EXPECT_FALSE(eliminarColunaPeloNome(e, "nome"));
}

TEST_F(ColumnOperations, DeleteColumnAsksFromTheColumnMenu) {
  fill(g(), {{"emails", "nome"}, {"a@b.com", "Ana"}});
  d.answers = {kNao, kSim};
  EXPECT_FALSE(eliminarColuna(e, 1, true));
  EXPECT_EQ(g().colCount(), 2);
  EXPECT_EQ(e.editouDaAba(0), "");
  g().moverCursor(1, 1);
  EXPECT_TRUE(eliminarColuna(e, 1, true));
  EXPECT_EQ(rowsOf(g()), (Rows{{"emails"}, {"a@b.com"}}));
  EXPECT_EQ(g().cursorCol, 0);
  EXPECT_EQ(e.editouDaAba(0), "1");
  EXPECT_EQ(d.texts("question"), (std::vector<std::string>{"Deseja excluir a coluna nome?",
                                                           "Deseja excluir a coluna nome?"}));
  // The last column is emptied, not removed.
  EXPECT_TRUE(eliminarColuna(e, 0));
  EXPECT_EQ(rowsOf(g()), (Rows{{""}, {""}}));
}

TEST_F(ColumnOperations, BlankColumnsScan) {
  struct Case {
    const char* nome;
    Rows antes, depois;
  } cases[] = {
      {"named blank columns go, the scan re-examines the position",
       {{"a", "emails", "b", "c", "nome"}, {"", "x@y.com", " ", "", "Ana"}, {" ", "", "", "", ""}},
       {{"emails", "nome"}, {"x@y.com", "Ana"}, {"", ""}}},
      {"two blank columns: the first goes, the second stays with its header",
       {{"a", "b"}, {"", " "}},
       {{"b"}, {" "}}},
      {"a blank last column goes while another column remains",
       {{"a", "x", "b"}, {"", "1", ""}},
       {{"x"}, {"1"}}},
      {"a single blank column is emptied, header included",
       {{"emails"}, {" "}, {""}},
       {{""}, {""}, {""}}},
      {"nothing blank", {{"a", "b"}, {"1", "2"}}, {{"a", "b"}, {"1", "2"}}},
  };
  for (const auto& c : cases) {
    fill(g(), c.antes);
    g().moverCursor(g().colCount() - 1, g().rowCount() - 1);
    e.gEditou.clear();
    excluirColunasSemConteudo(e);
    EXPECT_EQ(rowsOf(g()), c.depois) << c.nome;
    EXPECT_EQ(g().cursorCol, 0) << c.nome;
    EXPECT_EQ(g().cursorRow, 1) << c.nome;
    EXPECT_EQ(e.editouDaAba(0), c.antes == c.depois ? "" : "1") << c.nome;
  }
}

TEST_F(ColumnOperations, ClearAndCopyOneColumn) {
  fill(g(), {{"emails", "nome"}, {"a@b.com", " Ana"}, {"c@d.com", ""}, {"e@f.com", " "}});
  EXPECT_EQ(copiarColuna(e, 1), "nome\r\n Ana");  // the whole text trimmed
  EXPECT_EQ(plat.clipboard, "nome\r\n Ana");
  EXPECT_EQ(copiarColuna(e, 0), "emails\r\na@b.com\r\nc@d.com\r\ne@f.com");

  d.answers = {kNao, kSim};
  EXPECT_FALSE(limparColuna(e, 0));
  EXPECT_EQ(g().cell(0, 1), "a@b.com");
  EXPECT_TRUE(limparColuna(e, 0));
  EXPECT_EQ(rowsOf(g()), (Rows{{"emails", "nome"}, {"", " Ana"}, {"", ""}, {"", " "}}));
  EXPECT_EQ(e.editouDaAba(0), "1");
  EXPECT_EQ(d.texts("question"),
            (std::vector<std::string>{"Deseja apagar os dados desta coluna?",
                                      "Deseja apagar os dados desta coluna?"}));
}

// ---- Replace page -----------------------------------------------------------------------------

TEST_F(ColumnOperations, ReplacePageStartsTwoColumnsBefore) {
  fill(g(), {{"a", "b", "c", "d"}, {"1", "2", "3", "4"}});
  for (auto [col, indice] : {std::pair{0, -1}, {1, -1}, {2, 0}, {3, 1}}) {
    g().moverCursor(col, 1);
    EXPECT_EQ(indiceInicialSubstituir(g()), indice) << col;
  }
}

TEST(ReplacePage, ActionsAndTheTextBoxShowAsTheUserChooses) {
  ReplacePageState p;
  EXPECT_FALSE(p.acoesVisiveis());
  EXPECT_FALSE(p.aplicarVisivel());
  p.coluna = 1;
  EXPECT_TRUE(p.acoesVisiveis());
  EXPECT_FALSE(p.textoVisivel());
  EXPECT_EQ(ReplacePageState::acoes().size(), 5u);
  p.acao = static_cast<int>(ColumnAction::adicionarFim);
  EXPECT_TRUE(p.aplicarVisivel());
  EXPECT_FALSE(p.substituirVisivel());
  EXPECT_STREQ(p.rotuloTexto(), "Informe o texto a ser aplicado:");
  p.acao = static_cast<int>(ColumnAction::substituir);
  EXPECT_EQ(ReplacePageState::acoes()[p.acao], "Substituir um texto por outro");
  EXPECT_TRUE(p.substituirVisivel());
  EXPECT_STREQ(p.rotuloTexto(), "Por este:");
}

TEST_F(ColumnOperations, ReplaceActions) {
  struct Case {
    ColumnAction acao;
    std::string texto, substituir;
    std::vector<std::string> depois;
  } cases[] = {
      {ColumnAction::definirTexto, " novo ", "", {" novo ", " novo ", " novo "}},
      {ColumnAction::adicionarFim, " ", "", {"Rua SÃO Paulo", "são joão", ""}},
      {ColumnAction::adicionarFim, " - SP", "", {"Rua SÃO Paulo - SP", "são joão - SP", "- SP"}},
      {ColumnAction::adicionarComeco, "Av. ", "", {"Av. Rua SÃO Paulo", "Av. são joão", "Av."}},
      {ColumnAction::substituir, "S.", "são ", {"Rua S.Paulo", "S.joão", ""}},
      {ColumnAction::eliminarTrecho, "SÃO", "", {"Rua  Paulo", " joão", ""}},
  };
  for (const auto& c : cases) {
    fill(g(), {{"endereco", "x"}, {"Rua SÃO Paulo", "1"}, {"são joão", "2"}, {"", "3"}});
    e.gEditou["0"] = "0";
    aplicarAcaoColuna(e, 0, c.acao, c.texto, c.substituir);
    std::vector<std::string> depois;
    for (int r = 1; r < g().rowCount(); ++r) depois.push_back(g().cell(0, r));
    EXPECT_EQ(depois, c.depois) << static_cast<int>(c.acao) << " " << c.texto;
    EXPECT_EQ(g().cell(0, 0), "endereco");
    EXPECT_EQ(g().cell(1, 1), "1");
    // A change leaves the list unsaved; an action that changed nothing leaves it as it was.
    const bool mudou = depois != std::vector<std::string>{"Rua SÃO Paulo", "são joão", ""};
    EXPECT_EQ(e.editouDaAba(0), mudou ? "1" : "0") << static_cast<int>(c.acao) << " " << c.texto;
  }
}

TEST_F(ColumnOperations, ReplaceShowsItsProgress) {
  Rows rows{{"cidade"}};
  for (int i = 0; i < 24; ++i) rows.push_back({"Belo Horizonte"});
  fill(g(), rows);
  std::vector<std::string> passos;
  p.onStep = [&](RecordingProgress& rp) { passos.push_back(rp.legend2); };
  colunaSubstituir(e, 0, "belo horizonte", "BH");
  EXPECT_EQ(p.operation, "Editando a coluna cidade");
  EXPECT_EQ(p.legend1, "Total de registros: 25");
  EXPECT_EQ(passos, (std::vector<std::string>{"Processados: 10", "Processados: 20"}));
  EXPECT_EQ(g().cell(0, 24), "BH");
  EXPECT_FALSE(p.visible);
}

TEST(SubstituirIgnorandoCaixa, UnicodeCaseAndLengthChanges) {
  struct Case {
    std::string texto, de, por, esperado;
  } cases[] = {
      {"Foo foo FOO fOo", "foo", "bar", "bar bar bar bar"},
      {"AÇÃO ação Ação", "ação", "x", "x x x"},
      {"aaaa", "aa", "b", "bb"},  // left to right, no overlaps
      {"abc", "", "x", "abc"},
      {"", "a", "x", ""},
      {"sem nada", "zzz", "x", "sem nada"},
      // "İ" (2 bytes) lower-cases to "i" (1 byte): positions after it must still fit.
      {"xİSTANBULx İstanbul", "istanbul", "IST", "xISTx IST"},
      // "Ⱥ" (2 bytes) lower-cases to "ⱥ" (3 bytes).
      {"aȺb-ȺB-ⱥb", "ⱥb", "=", "a=-=-="},
      {"ȺȺȺ ok", "ok", "OK", "ȺȺȺ OK"},
      // The Kelvin sign (3 bytes) lower-cases to "k".
      {"\u212A\u212Am kkm", "kkm", "2km", "2km 2km"},
      // Ill-formed bytes are carried along and never half-matched.
      {"a\xC3"
       "b \xFF"
       "AB",
       "ab", "-",
       "a\xC3"
       "b \xFF"
       "-"},
      {"café \xA9", "\xA9", "x", "café x"},  // not the second byte of "é"
  };
  for (const auto& c : cases)
    EXPECT_EQ(substituirIgnorandoCaixa(c.texto, c.de, c.por), c.esperado) << c.texto;
}

}  // namespace
