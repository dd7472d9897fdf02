#include "lists/grid_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/grid_builder.h"
#include "support/scripted_ports.h"

using namespace quorvel;
using quorvel::testing::fill;
using quorvel::testing::Rows;
using quorvel::testing::rowsOf;

namespace {

class GridOperations : public ::testing::Test, protected quorvel::testing::EditorWithPorts {};

// ---- New list -----------------------------------------------------------------------------------

TEST_F(GridOperations, NewListTipOnlyOutsideThePrincipalTab) {
  abrirMenuNovaLista(e);
  EXPECT_TRUE(d.messages.empty());

  e.setAbaAtiva(kAbaInvalidos);
  abrirMenuNovaLista(e);
  ASSERT_EQ(d.messages.size(), 1u);
  EXPECT_EQ(d.messages[0].kind, "tip");
  EXPECT_EQ(d.messages[0].id, "230609");
  EXPECT_EQ(d.messages[0].altura, 250);
  EXPECT_EQ(d.messages[0].texto,
            "Atenção: Você NÃO está na aba \"Principal\". Ao validar uma lista, os dados da aba "
            "principal é que são processados, resultando o conteúdo da aba \"válidos\" e "
            "\"inválidos\". Se você quer carregar uma nova lista para validar, vá para a aba "
            "\"Principal\"");
}

TEST_F(GridOperations, NewListChoices) {
  fill(e.gridMain, {{"emails", "nome"}, {"a@b.com", "Ana"}});
  e.gArquivos["0"] = "/l.csv";
  escolherNovaLista(e, NewListOption::manterColunas);
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails", "nome"}, {"", ""}}));
  EXPECT_EQ(e.arquivoDaAba(0), "");

  escolherNovaLista(e, NewListOption::eliminarColunas);
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{""}, {""}}));

  fill(e.gridMain, {{"emails"}, {"a@b.com"}});
  fill(e.gridValidos, {{"emails", "x"}, {"a@b.com", "1"}});
  fill(e.gridInvalidos, {{"emails", "Erro"}, {"x@", "Erro de sintaxe"}});
  e.gArquivos = {{"1", "/v.csv"}, {"2", "/i.csv"}};
  e.setAbaAtiva(kAbaValidos);
  d.answers = {kNao};  // "Principal" was changed before it was filled: not saved
  escolherNovaLista(e, NewListOption::zerarTodas);
  for (TextGrid* grid : {&e.gridMain, &e.gridValidos, &e.gridInvalidos})
    EXPECT_EQ(rowsOf(*grid), (Rows{{""}, {""}}));
  EXPECT_EQ(e.abaAtiva(), kAbaPrincipal);
  EXPECT_EQ(e.gGrid, &e.gridMain);
  EXPECT_EQ(e.arquivoDaAba(1), "");
  EXPECT_EQ(e.arquivoDaAba(2), "");
}

// ---- Mouse
// ----------------------------------------------------------------------------------------

TEST_F(GridOperations, HeaderClicksAlternateTheSortDirection) {
  fill(g(), {{"nome", "cidade"}, {"b", "Rio"}, {"C", "Belém"}, {"a", "Acre"}});
  e.gSortedColumn = 1;  // the last release was elsewhere
  aoSoltarMouse(e, 0, 0, MouseButton::esquerdo);
  EXPECT_EQ(rowsOf(g()), (Rows{{"nome", "cidade"}, {"a", "Acre"}, {"b", "Rio"}, {"C", "Belém"}}));
  EXPECT_FALSE(e.gDesc);
  EXPECT_EQ(p.operation, "Ordenando coluna...");

  aoSoltarMouse(e, 0, 0, MouseButton::esquerdo);
  EXPECT_EQ(rowsOf(g()), (Rows{{"nome", "cidade"}, {"C", "Belém"}, {"b", "Rio"}, {"a", "Acre"}}));
  EXPECT_TRUE(e.gDesc);

  // Another header: ascending again; the cursor follows the column.
  aoSoltarMouse(e, 1, 0, MouseButton::esquerdo);
  EXPECT_EQ(rowsOf(g()), (Rows{{"nome", "cidade"}, {"a", "Acre"}, {"C", "Belém"}, {"b", "Rio"}}));
  EXPECT_EQ(e.gSortedColumn, 1);
  EXPECT_EQ(g().cursorCol, 1);

  // A release on a data cell of column 0 and then its header: the header click sorts descending.
  aoSoltarMouse(e, 0, 2, MouseButton::esquerdo);
  EXPECT_FALSE(e.gDesc);
  aoSoltarMouse(e, 0, 0, MouseButton::esquerdo);
  EXPECT_TRUE(e.gDesc);
  EXPECT_EQ(g().cell(0, 1), "C");
}

TEST_F(GridOperations, ARangeDraggedWithTheMouseSurvivesTheRelease) {
  fill(g(), {{"a", "b", "c"}, {"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}});
  // Pressed on (0, 1), dragged to (1, 3): the view moved the cursor and selected the rectangle.
  g().cursorCol = 1;
  g().cursorRow = 3;
  g().selection = {0, 1, 1, 3};
  aoSoltarMouse(e, 1, 3, MouseButton::esquerdo);
  EXPECT_EQ(g().selection, (TextGrid::Selection{0, 1, 1, 3}));
  EXPECT_EQ(copiarSelecionados(e), "1\t2\r\n4\t5\r\n7\t8\r\n");
  // A release in another column moves the cursor there, and a header click collapses it.
  aoSoltarMouse(e, 2, 3, MouseButton::esquerdo);
  EXPECT_EQ(g().selection, (TextGrid::Selection{2, 3, 2, 3}));
  g().selection = {0, 1, 2, 3};
  aoSoltarMouse(e, 2, 0, MouseButton::esquerdo);
  EXPECT_EQ(g().selection, (TextGrid::Selection{2, 3, 2, 3}));
}

TEST_F(GridOperations, ReleaseAfterAColumnDragOnlyClearsTheFlag) {
  fill(g(), {{"a", "b", "c"}, {"1", "2", "3"}});
  g().setColWidth(0, 111);
  moverColuna(e, 0, 2);
  EXPECT_EQ(rowsOf(g()), (Rows{{"b", "c", "a"}, {"2", "3", "1"}}));
  EXPECT_EQ(g().colWidth(2), 111);
  EXPECT_TRUE(e.gMoveuColuna);

  e.gSortedColumn = 0;
  EXPECT_EQ(aoSoltarMouse(e, 1, 0, MouseButton::esquerdo), GridMenu::nenhum);
  EXPECT_FALSE(e.gMoveuColuna);
  EXPECT_EQ(e.gSortedColumn, 0);  // not a click: nothing else changed
  EXPECT_TRUE(p.operation.empty());
}

TEST_F(GridOperations, QuickColumnDeleteRemovesTheClickedColumnWithoutAQuestion) {
  fill(g(), {{"a", "b", "c"}, {"1", "2", "3"}});
  alternarExclusaoRapidaColunas(e);
  aoSoltarMouse(e, 1, 0, MouseButton::esquerdo);  // no answer queued: a question would throw
  EXPECT_EQ(rowsOf(g()), (Rows{{"a", "c"}, {"1", "3"}}));
  EXPECT_EQ(e.editouDaAba(0), "1");
  EXPECT_TRUE(p.operation.empty());  // not sorted

  // A data cell is not a header: nothing is deleted.
  aoSoltarMouse(e, 0, 1, MouseButton::esquerdo);
  EXPECT_EQ(g().colCount(), 2);
  alternarExclusaoRapidaColunas(e);
  EXPECT_EQ(d.texts("information"),
            (std::vector<std::string>{
                "Você ativou essa função. Com um clique no nome da coluna, você irá excluir ela. "
                "Desative essa função após apagar as colunas que deseja",
                "Você desativou o modo de exclusão de colunas com um clique"}));
}

TEST_F(GridOperations, RightButtonRules) {
  fill(g(), {{"emails", " "}, {"a@b.com", "x"}});
  struct Case {
    int col, row;
    GridMenu menu;
  } cases[] = {
      {0, 0, GridMenu::menuColuna},        {1, 0, GridMenu::renomearColuna},
      {0, 1, GridMenu::menuPrimeiraLinha}, {1, 1, GridMenu::menuPrimeiraLinha},
      {-1, 0, GridMenu::nenhum},           {2, 0, GridMenu::nenhum},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(menuBotaoDireito(g(), c.col, c.row), c.menu) << c.col << "," << c.row;
    EXPECT_EQ(aoSoltarMouse(e, c.col, c.row, MouseButton::direito), c.menu);
  }
  // The right button never sorts.
  EXPECT_EQ(rowsOf(g()), (Rows{{"emails", " "}, {"a@b.com", "x"}}));
  aoSoltarMouse(e, 1, 0, MouseButton::direito);
  EXPECT_EQ(e.gSortedColumn, 1);
}

// ---- Find -------------------------------------------------------------------------------------

TEST_F(GridOperations, FindStartsTwoRowsBelowAndDoesNotWrap) {
  fill(g(), {{"nome", "cidade"},
             {"José", "Rio"},
             {"Ana", "São Paulo"},
             {"JOSÉ", "Recife"},
             {"Caio", "SÃO PAULO"}});
  g().moverCursor(0, 1);
  EXPECT_EQ(localizarDados(e, "josé"), 3);  // row 2 is not looked at; row 1 is behind
  EXPECT_EQ(g().cursorRow, 3);
  EXPECT_EQ(localizarDados(e, "josé"), -1);  // no wrap-around
  EXPECT_EQ(g().cursorRow, 4);               // the cursor still moved one row down

  // On the last row the cursor goes to row 1 and the search starts at row 2.
  EXPECT_EQ(localizarDados(e, "são paulo", 1), 2);
  // One column only.
  g().moverCursor(0, 1);
  EXPECT_EQ(localizarDados(e, "recife", 0), -1);
  g().moverCursor(0, 1);
  EXPECT_EQ(localizarDados(e, "recife", 1), 3);
  EXPECT_TRUE(d.messages.empty());
}

// ---- Copy -------------------------------------------------------------------------------------

TEST_F(GridOperations, CopyAllJoinsCellsWithTabsAndShowsProgress) {
  Rows rows{{"emails", "nome"}};
  for (int i = 1; i <= 25; ++i) rows.push_back({"e" + std::to_string(i) + "@x.com", ""});
  fill(g(), rows);
  std::vector<std::string> passos;
  p.onStep = [&](RecordingProgress& rp) { passos.push_back(rp.legend2 + "|" + rp.legend3); };

  std::string texto = copiarTudo(e);
  EXPECT_EQ(texto.substr(0, 24), "emails\tnome\r\ne1@x.com\t\r\n");
  EXPECT_EQ(texto.substr(texto.size() - 12), "e25@x.com\t\r\n");
  EXPECT_EQ(plat.clipboard, texto);
  EXPECT_EQ(p.operation, "Copiando dados...");
  EXPECT_EQ(p.legend1, "Total de registros: 25");
  EXPECT_EQ(passos, (std::vector<std::string>{"Processados: 10|Copiados: 10",
                                              "Processados: 20|Copiados: 20",
                                              "Processados: 25|Copiados: 25"}));
  EXPECT_TRUE(e.gridVisivel);
  EXPECT_FALSE(p.visible);
}

TEST_F(GridOperations, CopySelectedDropsLeadingEmptyCells) {
  fill(g(), {{"a", "b", "c"}, {"", "x", "y"}, {"1", "", "3"}, {"", "", ""}});
  g().selection = {0, 1, 2, 3};
  EXPECT_EQ(copiarSelecionados(e), "x\ty\r\n1\t\t3\r\n\r\n");
  EXPECT_EQ(plat.clipboard, "x\ty\r\n1\t\t3\r\n\r\n");
  // Ctrl+C copies the selection too.
  g().selection = {2, 1, 1, 2};  // given the wrong way round
  plat.clipboard.clear();
  EXPECT_TRUE(keyOnGrid(e, Key::ctrlC, false).consumida);
  EXPECT_EQ(plat.clipboard, "x\ty\r\n3\r\n");
}

TEST_F(GridOperations, FileLabelClickCopiesThePath) {
  e.setArquivo(g(), "/home/ana/dados/listas/clientes.csv");
  e.showStatus(g());
  d.values.push_back("");
  copiarCaminhoArquivo(e);
  EXPECT_EQ(plat.clipboard, "/home/ana/dados/listas/clientes.csv");
  EXPECT_EQ(d.texts("value"), (std::vector<std::string>{"O caminho desse arquivo foi copiado!"}));
}

// ---- Rows, cells, selection ---------------------------------------------------------------------

TEST_F(GridOperations, ShiftDelRemovesTheSelectedRows) {
  fill(g(), {{"e"}, {"1"}, {"2"}, {"3"}, {"4"}, {"5"}});
  g().moverCursor(0, 3);
  g().selection = {0, 3, 0, 4};
  e.gEditou["0"] = "0";
  EXPECT_TRUE(keyOnGrid(e, Key::shiftDel, false).consumida);
  EXPECT_EQ(rowsOf(g()), (Rows{{"e"}, {"1"}, {"2"}, {"5"}}));
  EXPECT_EQ(g().cursorRow, 2);  // the row above the first removed one
  EXPECT_EQ(e.editouDaAba(0), "1");

  g().selection = {0, 1, 0, 2};
  deletarSelecionados(e);
  EXPECT_EQ(rowsOf(g()), (Rows{{"e"}, {"5"}}));
  EXPECT_EQ(g().cursorRow, 1);

  // The only data row is emptied.
  fill(g(), {{"e", "n"}, {"a@b.com", "Ana"}});
  g().moverCursor(1, 1);
  deletarSelecionados(e);
  EXPECT_EQ(rowsOf(g()), (Rows{{"e", "n"}, {"", ""}}));
}

TEST_F(GridOperations, DelEmptiesTheSelectedCellsAndMarkAllSelectsEverything) {
  fill(g(), {{"a", "b", "c"}, {"1", "2", "3"}, {"4", "5", "6"}});
  marcarTudo(e);
  EXPECT_EQ(g().selection.left, 0);
  EXPECT_EQ(g().selection.top, 1);
  EXPECT_EQ(g().selection.right, 2);
  EXPECT_EQ(g().selection.bottom, 2);
  g().moverCursor(1, 1);
  g().selection = {1, 1, 2, 2};
  // Not while a cell is being edited: then the key belongs to the cell editor.
  EXPECT_FALSE(keyOnGrid(e, Key::del, true).consumida);
  EXPECT_EQ(g().cell(1, 1), "2");
  EXPECT_TRUE(keyOnGrid(e, Key::del, false).consumida);
  EXPECT_EQ(rowsOf(g()), (Rows{{"a", "b", "c"}, {"1", "", ""}, {"4", "", ""}}));
  EXPECT_EQ(e.editouDaAba(0), "1");  // every change leaves the list unsaved
  desmarcarTudo(e);
  EXPECT_EQ(g().selection.left, g().selection.right);
  EXPECT_EQ(g().selection.top, g().selection.bottom);
}

TEST_F(GridOperations, RowMarks) {
  fill(g(), {{"m"}, {"0"}, {""}, {"1"}, {"x"}});
  e.gMarcados = 1;
  for (int r = 0; r <= 5; ++r) selecionarLinha(e, r, true);
  EXPECT_EQ(rowsOf(g()), (Rows{{"m"}, {"1"}, {"1"}, {"1"}, {"x"}}));
  EXPECT_EQ(e.gMarcados, 3);
  selecionarLinha(e, 1, false);
  selecionarLinha(e, 4, false);
  selecionarLinha(e, 0, false);
  EXPECT_EQ(rowsOf(g()), (Rows{{"m"}, {"0"}, {"1"}, {"1"}, {"x"}}));
  EXPECT_EQ(e.gMarcados, 2);
}

TEST_F(GridOperations, GoToRow) {
  fill(g(), {{"e"}, {"1"}, {"2"}, {"3"}, {"4"}});
  struct Case {
    std::string resposta;
    int linha;
  } cases[] = {{"3", 3},   {" 4 ", 4}, {"0", 4}, {"-1", 4}, {"2x", 4},
               {"abc", 4}, {"", 4},    {"9", 4}, {"1", 1}};
  for (const auto& c : cases) {
    d.values.push_back(c.resposta);
    irParaLinha(e);
    EXPECT_EQ(g().cursorRow, c.linha) << c.resposta;
  }
  EXPECT_EQ(d.texts("value").front(), "Ir para linha...");
  EXPECT_STREQ(kPromptIrParaLinha, "Informe o número da linha para onde quer ir:");
}

TEST_F(GridOperations, CurrentRowBecomesTheHeader) {
  fill(g(), {{"", "", ""}, {"lixo", "", ""}, {"emails", "", "nome"}, {"a@b.com", "", "Ana"}});
  g().moverCursor(0, 2);
  estaLinhaTemNomeDasColunas(e);
  EXPECT_EQ(rowsOf(g()), (Rows{{"emails", " ", "nome"}, {"lixo", "", ""}, {"a@b.com", "", "Ana"}}));
}

TEST_F(GridOperations, RowsWithABlankValueGo) {
  fill(g(), {{"e", "n"}, {"a", "Ana"}, {"b", " "}, {"c", ""}, {"d", "Dora"}, {"e", "\t"}});
  g().moverCursor(1, 4);
  excluirLinhaSeColunaBranco(e, 1);
  EXPECT_EQ(rowsOf(g()), (Rows{{"e", "n"}, {"a", "Ana"}, {"d", "Dora"}}));
  EXPECT_EQ(g().cursorCol, 0);
  EXPECT_EQ(g().cursorRow, 1);
  EXPECT_TRUE(d.messages.empty());

  // All of them: the header stays with one empty row.
  excluirLinhaSeColunaBranco(e, 0);
  EXPECT_EQ(rowsOf(g()), (Rows{{"e", "n"}, {"a", "Ana"}, {"d", "Dora"}}));
  fill(g(), {{"e"}, {""}, {" "}});
  excluirLinhaSeColunaBranco(e, 0);
  EXPECT_EQ(rowsOf(g()), (Rows{{"e"}, {""}}));
}

TEST_F(GridOperations, ListDataShowsSemicolonLinesAndDiscardsChanges) {
  fill(g(), {{"emails", "nome"}, {"a@b.com", ""}});
  EXPECT_EQ(textoListarDados(g()), "emails;nome\r\na@b.com;\r\n");
  d.memos.push_back(std::string("mudado"));
  listarDados(e);
  EXPECT_EQ(d.texts("memo"), (std::vector<std::string>{"Dados listados:"}));
  EXPECT_EQ(rowsOf(g()), (Rows{{"emails", "nome"}, {"a@b.com", ""}}));
}

TEST_F(GridOperations, FilePathGoesTrimmedIntoTheCurrentCell) {
  fill(g(), {{"emails", "foto"}, {"a@b.com", "velha"}});
  g().moverCursor(1, 1);
  d.values.push_back("  /home/ana/foto.png \r\n");
  obterCaminhoArquivo(e);
  EXPECT_EQ(g().cell(1, 1), "/home/ana/foto.png");
  d.values.push_back("");  // cancelled
  obterCaminhoArquivo(e);
  EXPECT_EQ(g().cell(1, 1), "/home/ana/foto.png");
  const std::string filtro = kFiltroArquivosMidia;
  EXPECT_EQ(filtro.rfind("Todos os formatos", 0), 0u);
  for (const char* tipo :
       {"GIF", "PNG", "JPG", "JPEG", "Bitmaps", "PDF", "MP3", "Wav", "AVI", "MP4"})
    EXPECT_NE(filtro.find(std::string("|") + tipo + " ("), std::string::npos) << tipo;
}

// ---- Keys ---------------------------------------------------------------------------------------

TEST_F(GridOperations, KeysAtTheEdgesAppendRowsAndColumns) {
  fill(g(), {{"a", "b"}, {"1", "2"}, {"3", "4"}});
  e.gEditou["0"] = "0";

  // Right on the last column: a new unnamed column (a change like any other).
  g().moverCursor(1, 1);
  EXPECT_TRUE(keyOnGrid(e, Key::direita, false).consumida);
  EXPECT_EQ(g().colCount(), 3);
  EXPECT_EQ(g().cell(2, 0), "");
  EXPECT_EQ(g().cursorCol, 2);
  EXPECT_EQ(e.editouDaAba(0), "1");
  e.gEditou["0"] = "0";

  // Down elsewhere is the grid's own move; on the last row it appends, same column.
  g().moverCursor(1, 1);
  EXPECT_FALSE(keyOnGrid(e, Key::baixo, false).consumida);
  EXPECT_EQ(g().rowCount(), 3);
  g().moverCursor(1, 2);
  EXPECT_TRUE(keyOnGrid(e, Key::baixo, false).consumida);
  EXPECT_EQ(g().rowCount(), 4);
  EXPECT_EQ(g().cursorRow, 3);
  EXPECT_EQ(g().cursorCol, 1);
  EXPECT_EQ(e.editouDaAba(0), "1");

  // Enter: one row down; on the last row a new row, column 0.
  e.gEditou["0"] = "0";
  g().moverCursor(2, 1);
  EXPECT_TRUE(keyOnGrid(e, Key::enter, false).consumida);
  EXPECT_EQ(g().cursorRow, 2);
  EXPECT_EQ(g().rowCount(), 4);
  EXPECT_EQ(e.editouDaAba(0), "0");
  g().moverCursor(2, 3);
  keyOnGrid(e, Key::enter, false);
  EXPECT_EQ(g().rowCount(), 5);
  EXPECT_EQ(g().cursorRow, 4);
  EXPECT_EQ(g().cursorCol, 0);
  EXPECT_EQ(e.editouDaAba(0), "1");
}

TEST_F(GridOperations, EditedFlagFromKeys) {
  struct Case {
    Key tecla;
    std::string editou;
  } cases[] = {{Key::cima, "0"},  {Key::esquerda, "0"}, {Key::del, "1"},  {Key::shiftDel, "1"},
               {Key::ctrlC, "0"}, {Key::outra, "1"},    {Key::ctrlV, "1"}};
  for (const auto& c : cases) {
    fill(g(), {{"a", "b"}, {"1", "2"}, {"3", "4"}});
    g().moverCursor(0, 1);
    e.gEditou["0"] = "0";
    keyOnGrid(e, c.tecla, false);
    EXPECT_EQ(e.editouDaAba(0), c.editou) << static_cast<int>(c.tecla);
  }
  // A change typed into a cell.
  e.gEditou["0"] = "0";
  celulaEditada(e, 1, 1, "novo");
  EXPECT_EQ(g().cell(1, 1), "novo");
  EXPECT_EQ(e.editouDaAba(0), "1");
  EXPECT_EQ(e.status.saved, "Não");
}

TEST_F(GridOperations, KeysThatTheWindowCarriesOut) {
  EXPECT_EQ(keyOnGrid(e, Key::esc, false, false).acao, KeyAction::voltarPaginaDados);
  EXPECT_EQ(keyOnGrid(e, Key::f3, false, false).acao, KeyAction::digitarDados);
  // Grid keys do nothing outside the grid.
  EXPECT_FALSE(keyOnGrid(e, Key::shiftDel, false, false).consumida);

  // Ctrl+V while editing a cell pastes rows only when the clipboard holds a line break.
  plat.clipboard = "a@b.com";
  KeyResult r = keyOnGrid(e, Key::ctrlV, true);
  EXPECT_EQ(r.acao, KeyAction::nenhuma);
  EXPECT_FALSE(r.consumida);
  plat.clipboard = "a@b.com\r\nc@d.com";
  r = keyOnGrid(e, Key::ctrlV, true);
  EXPECT_EQ(r.acao, KeyAction::colar);
  EXPECT_TRUE(r.consumida);
  plat.clipboard = "a@b.com";
  EXPECT_EQ(keyOnGrid(e, Key::ctrlV, false).acao, KeyAction::colar);

  // F4 anywhere inserts a column.
  d.values.push_back("Nome Completo");
  keyOnGrid(e, Key::f4, false, false);
  EXPECT_EQ(rowsOf(g()), (Rows{{"emails", "nome-completo"}, {"", ""}}));
}

}  // namespace
