#include "lists/list_cleaning.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "common/sorted_string_list.h"
#include "common/text.h"
#include "lists/column_sort.h"
#include "lists/header_row.h"
#include "lists/list_loading.h"
#include "support/grid_builder.h"
#include "support/scripted_ports.h"

namespace fs = std::filesystem;
using quorvel::ListEditor;
using quorvel::RecordingProgress;
using quorvel::ScriptedDialogs;
using quorvel::testing::fill;
using quorvel::testing::Rows;
using quorvel::testing::rowsOf;
using ::testing::ElementsAre;

namespace {

// Remembers every display and every step of the progress box.
class ProgressoGravado : public RecordingProgress {
 public:
  struct Exibicao {
    std::string operation, legend1, legend2, legend3;
    int64_t maximum;
    bool operator==(const Exibicao&) const = default;
  };
  std::vector<Exibicao> exibicoes;
  std::vector<std::string> passos;  // legenda1 + "|" + legenda2 of every step

  void setProgress(const std::string& op, int64_t max, const std::string& l1, const std::string& l2,
                   const std::string& l3, int b) override {
    exibicoes.push_back({op, l1, l2, l3, max});
    RecordingProgress::setProgress(op, max, l1, l2, l3, b);
  }
  void stepProgress(const std::string& l1, const std::string& l2, const std::string& l3,
                    int b) override {
    passos.push_back(l1 + "|" + l2);
    RecordingProgress::stepProgress(l1, l2, l3, b);
  }
  std::vector<std::string> operacoes() const {
    std::vector<std::string> out;
    for (const auto& e : exibicoes) out.push_back(e.operation);
    return out;
  }
  // Cancels at the first step whose first legend is `legenda`.
};

struct Bancada {
  ListEditor editor;
  ScriptedDialogs dialogos;
  ProgressoGravado progresso;
  quorvel::NoEventPump pump;
  Bancada() {
    editor.dialogs = &dialogos;
    editor.progress = &progresso;
    editor.pump = &pump;
  }
};

// ---------------------------------------------------------------------------------------------
// excluirRepetidos

TEST(ExcluirRepetidos, KeepsTheLongestRowOfEachRunOfEqualValues) {
  struct Caso {
    const char* oQue;
    Rows lista;
    int coluna;
    Rows esperado;
    int removidos;
  };
  const std::vector<Caso> casos = {
      {"the row with a name survives; values differing in case both stay",
       {{"emails", "nome"},
        {"ana@x.com", ""},
        {"bia@x.com", "1"},
        {"ana@x.com", "Ana"},
        {"Bia@x.com", "2"}},
       0,
       {{"emails", "nome"}, {"ana@x.com", "Ana"}, {"bia@x.com", "1"}, {"Bia@x.com", "2"}},
       1},
      {"three rows collapse to the longest",
       {{"emails", "nome"}, {"a@x.com", "Jo"}, {"a@x.com", "Joaquim"}, {"a@x.com", "Ana"}},
       0,
       {{"emails", "nome"}, {"a@x.com", "Joaquim"}},
       2},
      {"equally long rows: the last in sorted order stays",
       {{"emails", "nome"}, {"a@x.com", "Bia"}, {"a@x.com", "Ana"}},
       0,
       {{"emails", "nome"}, {"a@x.com", "Bia"}},
       1},
      {"each row is compared with the survivor above it, not with a removed row",
       {{"emails", "nome"}, {"a@x.com", "Caio"}, {"a@x.com", "B"}, {"a@x.com", "Alessandra"}},
       0,
       {{"emails", "nome"}, {"a@x.com", "Alessandra"}},
       2},
      {"a value equal to the header leaves the header alone",
       {{"emails"}, {"emails"}, {"b@x.com"}, {"emails"}},
       0,
       {{"emails"}, {"b@x.com"}, {"emails"}},
       1},
      {"a value differing only in case between two equal ones keeps them apart",
       {{"emails", "n"}, {"a@x.com", "3"}, {"A@x.com", "2"}, {"a@x.com", "1"}},
       0,
       {{"emails", "n"}, {"a@x.com", "1"}, {"A@x.com", "2"}, {"a@x.com", "3"}},
       0},
      {"surrounding spaces make a different value",
       {{"emails"}, {"a@x.com"}, {" a@x.com"}},
       0,
       {{"emails"}, {" a@x.com"}, {"a@x.com"}},
       0},
      {"lengths are counted in characters, not bytes (Anaaé is longer than Jõão)",
       {{"emails", "nome"}, {"a@x.com", "Jõão"}, {"a@x.com", "Anaaé"}},
       0,
       {{"emails", "nome"}, {"a@x.com", "Anaaé"}},
       1},
      {"by a second column; empty cells hold a space after the sort",
       {{"nome", "cidade"},
        {"Ana", "Recife"},
        {"", "Natal"},
        {"Bia", "recife"},
        {"", "Olinda"},
        {"Caio", "Natal"}},
       1,
       {{"nome", "cidade"},
        {"Caio", "Natal"},
        {" ", "Olinda"},
        {"Ana", "Recife"},
        {"Bia", "recife"}},
       1},
      {"a one-row list is left as it is",
       {{"emails"}, {"a@x.com"}},
       0,
       {{"emails"}, {"a@x.com"}},
       0},
  };
  for (const auto& c : casos) {
    Bancada b;
    fill(b.editor.gridMain, c.lista);
    EXPECT_EQ(quorvel::excluirRepetidos(b.editor, c.coluna), c.removidos) << c.oQue;
    EXPECT_EQ(rowsOf(b.editor.gridMain), c.esperado) << c.oQue;
    EXPECT_TRUE(b.dialogos.messages.empty()) << c.oQue;
  }
}

// The scan as a user sees it: rows removed one at a time while the scan stays in place.
int excluirRepetidosLinhaALinha(ListEditor& e, quorvel::TextGrid& g, int col) {
  quorvel::SortStringGrid(e, g, col, false);
  auto comprimento = [&](int r) {
    std::string t = g.rowText(r, "\r\n");
    size_t n = quorvel::codePointCount(t);
    for (unsigned char c : t) n += c >= 0xF0;
    return n;
  };
  int removidos = 0;
  for (int i = 2; i < g.rowCount();) {
    if (g.cell(col, i) != g.cell(col, i - 1)) {
      ++i;
      continue;
    }
    g.deleteRow(comprimento(i - 1) > comprimento(i) ? i : i - 1);
    ++removidos;
  }
  return removidos;
}

TEST(ExcluirRepetidos, OnePassAgreesWithRemovingRowByRow) {
  const std::vector<std::string> valores = {"a@x.com", "A@x.com", "b@x.com", " a@x.com", ""};
  const std::vector<std::string> nomes = {"", "Zé", "Ana", "João da Silva", "x", "\U0001F600"};
  const std::vector<std::string> extras = {"", "1", "22"};
  std::mt19937 rng(7);
  auto um = [&](const std::vector<std::string>& v) {
    return v[std::uniform_int_distribution<size_t>(0, v.size() - 1)(rng)];
  };
  for (int rodada = 0; rodada < 300; ++rodada) {
    Rows lista = {{"emails", "nome", "extra"}};
    int n = std::uniform_int_distribution<int>(1, 30)(rng);
    for (int i = 0; i < n; ++i) lista.push_back({um(valores), um(nomes), um(extras)});
    const int col = std::uniform_int_distribution<int>(0, 1)(rng);
    Bancada b1, b2;
    fill(b1.editor.gridMain, lista);
    fill(b2.editor.gridMain, lista);
    const int esperado = excluirRepetidosLinhaALinha(b2.editor, b2.editor.gridMain, col);
    ASSERT_EQ(quorvel::excluirRepetidos(b1.editor, col), esperado) << rodada;
    ASSERT_EQ(rowsOf(b1.editor.gridMain), rowsOf(b2.editor.gridMain)) << rodada;
  }
}

TEST(ExcluirRepetidos, ShowsItsProgressAndLeavesTheListUnsaved) {
  Bancada b;
  Rows lista = {{"emails"}};
  for (int i = 0; i < 25; ++i) lista.push_back({"v" + std::to_string(10 + i / 2) + "@x.com"});
  fill(b.editor.gridMain, lista);
  b.editor.gEditou["0"] = "0";
  b.editor.gArquivos["0"] = "/dados/lista.csv";

  EXPECT_EQ(quorvel::excluirRepetidos(b.editor, 0), 12);

  using E = ProgressoGravado::Exibicao;
  const auto& ex = b.progresso.exibicoes;
  ASSERT_EQ(ex.size(), 3u);
  EXPECT_EQ(ex[0], (E{"Identificando repetidos...", "Ordenando a coluna emails...", "", "", 1}));
  EXPECT_EQ(ex[1].operation, "Ordenando coluna...");
  EXPECT_EQ(ex[2], (E{"Identificando repetidos...", "Total de registros: 26", "", "", 2}));
  // The scan stays at a position after a removal, so position 10 is stepped twice.
  EXPECT_THAT(b.progresso.passos, ::testing::Contains("Processados: 10|Repetidos: 8"));
  EXPECT_THAT(b.progresso.passos, ::testing::Contains("Processados: 10|Repetidos: 9"));
  EXPECT_EQ(b.progresso.passos.back(), "Processados: 13|Repetidos: 12");
  EXPECT_FALSE(b.progresso.visible);
  EXPECT_TRUE(b.editor.gridVisivel);
  EXPECT_GT(b.pump.calls, 0);
  EXPECT_EQ(b.editor.gEditou["0"], "1");
  EXPECT_EQ(b.editor.status.items, "13");
  EXPECT_EQ(b.editor.status.saved, "Não");
}

TEST(ExcluirRepetidos, CancelStopsTheScanAndKeepsWhatWasRemoved) {
  Bancada b;
  Rows lista = {{"emails"}};
  for (int i = 1; i <= 20; ++i) {
    std::string v = "v" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "@x.com";
    lista.push_back({v});
    lista.push_back({v});
  }
  fill(b.editor.gridMain, lista);
  // Position 10 is reached at the 18th row, when the pairs v01..v08 are already collapsed.
  b.progresso.cancelAtStep("Processados: 10");

  EXPECT_EQ(quorvel::excluirRepetidos(b.editor, 0), 8);

  EXPECT_THAT(b.dialogos.texts("error"), ElementsAre("Operação cancelada"));
  EXPECT_FALSE(b.progresso.cancelou());
  EXPECT_FALSE(b.progresso.visible);
  EXPECT_TRUE(b.editor.gridVisivel);
  const auto& g = b.editor.gridMain;
  ASSERT_EQ(g.dataRowCount(), 32);
  EXPECT_EQ(g.cell(0, 8), "v08@x.com");
  EXPECT_EQ(g.cell(0, 9), "v09@x.com");
  EXPECT_EQ(g.cell(0, 10), "v09@x.com");
  EXPECT_EQ(g.cell(0, 32), "v20@x.com");
}

TEST(ExcluirRepetidos, ActsOnTheGivenGridOrOnTheCurrentOne) {
  Bancada b;
  fill(b.editor.gridValidos, {{"emails"}, {"a@x.com"}, {"a@x.com"}});
  fill(b.editor.gridMain, {{"emails"}, {"b@x.com"}, {"b@x.com"}});
  EXPECT_EQ(quorvel::excluirRepetidos(b.editor, b.editor.gridValidos, 0), 1);
  EXPECT_EQ(b.editor.gridMain.dataRowCount(), 2);
  b.editor.setAbaAtiva(quorvel::kAbaValidos);
  fill(b.editor.gridValidos, {{"emails"}, {"c@x.com"}, {"c@x.com"}});
  EXPECT_EQ(quorvel::excluirRepetidos(b.editor, 0), 1);
  EXPECT_EQ(rowsOf(b.editor.gridValidos), (Rows{{"emails"}, {"c@x.com"}}));
  EXPECT_EQ(quorvel::excluirRepetidos(b.editor, 5), 0);  // no such column
}

TEST(DeleteRepeatedPage, NeedsAColumn) {
  Bancada b;
  const Rows lista = {{"emails"}, {"b@x.com"}, {"b@x.com"}};
  fill(b.editor.gridMain, lista);
  EXPECT_FALSE(quorvel::aplicarEliminarRepetidos(b.editor, -1));
  EXPECT_THAT(b.dialogos.texts("error"),
              ElementsAre("É preciso selecionar uma coluna para realizar essa operação"));
  EXPECT_EQ(rowsOf(b.editor.gridMain), lista);
  EXPECT_TRUE(b.progresso.exibicoes.empty());
}

TEST(DeleteRepeatedPage, RemovesRepeatedThenSortsByColumnOneDescending) {
  Bancada b;
  fill(b.editor.gridMain,
       {{"emails", "nome"}, {"a@x.com", "Ana"}, {"b@x.com", "Zeca"}, {"a@x.com", ""}});
  EXPECT_TRUE(quorvel::aplicarEliminarRepetidos(b.editor, 0));
  EXPECT_EQ(rowsOf(b.editor.gridMain),
            (Rows{{"emails", "nome"}, {"b@x.com", "Zeca"}, {"a@x.com", "Ana"}}));
}

TEST(DeleteRepeatedPage, OneColumnListEndsInDescendingOrderOfItsText) {
  Bancada b;
  fill(b.editor.gridMain, {{"emails"}, {"b@x.com"}, {"a@x.com"}, {"c@x.com"}, {"a@x.com"}});
  EXPECT_TRUE(quorvel::aplicarEliminarRepetidos(b.editor, 0));
  EXPECT_EQ(rowsOf(b.editor.gridMain), (Rows{{"emails"}, {"c@x.com"}, {"b@x.com"}, {"a@x.com"}}));
}

TEST(DeleteRepeatedPage, OpensWithTheEntryTwoPlacesBeforeTheCurrentColumn) {
  const std::vector<std::pair<int, int>> casos = {{0, -1}, {1, -1}, {2, 0}, {3, 1}, {7, 5}};
  for (auto [atual, esperado] : casos)
    EXPECT_EQ(quorvel::colunaInicialEliminarRepetidos(atual), esperado) << atual;
  Bancada b;
  fill(b.editor.gridMain, {{"a", "b", "c", "d"}, {"1", "2", "3", "4"}});
  b.editor.gridMain.moverCursor(3, 1);
  EXPECT_EQ(quorvel::colunaInicialEliminarRepetidos(b.editor), 1);
}

// ---------------------------------------------------------------------------------------------
// exclusaoAvancada

class ExclusaoAvancada : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string modelo = (fs::temp_directory_path() / "quorvel-limpeza-XXXXXX").string();
    ASSERT_NE(::mkdtemp(modelo.data()), nullptr);
    home = modelo;
    fs::create_directories(home / "dados");
    b.editor.programFolder = home.string();
  }
  void TearDown() override { fs::remove_all(home); }

  std::string arquivo(const std::string& nome, const std::string& bytes) {
    fs::path p = home / "dados" / nome;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }

  fs::path home;
  Bancada b;
};

TEST_F(ExclusaoAvancada, OneColumnFileRemovesRowsEqualIgnoringCaseAndSortsTheSurvivors) {
  fill(b.editor.gridMain, {{"emails", "nome"},
                           {"Ana@X.com", "Ana"},
                           {"bia@x.com", "Bia"},
                           {"caio@x.com", "Caio"},
                           {"  dora@x.com ", "Dora"},
                           {"bia@x.com", "Bia"},
                           {"eva@x.com", "Eva"}});
  b.editor.gArquivos["0"] = "/dados/lista.csv";
  // Lines count as they stand: " eva@x.com" (leading space) is not eva@x.com.
  b.dialogos.values.push_back(arquivo("excluir.txt", "ana@x.com\r\nDORA@X.COM\r\n eva@x.com\r\n"));

  quorvel::exclusaoAvancada(b.editor, 0);

  EXPECT_EQ(
      rowsOf(b.editor.gridMain),
      (Rows{
          {"emails", "nome"}, {"bia@x.com", "Bia"}, {"caio@x.com", "Caio"}, {"eva@x.com", "Eva"}}));
  ASSERT_EQ(b.dialogos.messages.size(), 1u);
  EXPECT_EQ(b.dialogos.messages[0].kind, "open");
  EXPECT_EQ(b.dialogos.messages[0].texto, (home / "dados").string() + "/");
  using E = ProgressoGravado::Exibicao;
  const auto& ex = b.progresso.exibicoes;
  ASSERT_GE(ex.size(), 2u);
  EXPECT_EQ(ex[0], (E{"Preparando o arquivo excluir.txt",
                      "Essa operação pode demorar um pouco. Aguarde...", "", "", 1}));
  EXPECT_EQ(ex[1], (E{"Exclusão avançada via arquivo", "Total de arquivos: 1 / 1 -> excluir.txt",
                      "Processando: 0", "Identificados: ", 0}));
  // The survivors are loaded back under the paste reader's progress texts.
  EXPECT_EQ(ex.back(), (E{"Carregando dados...", "Total de registros: 3", "", "", 0}));
  // The paste reader marks the list edited and clears its file.
  EXPECT_EQ(b.editor.arquivoDaAba(0), "");
  EXPECT_EQ(b.editor.editouDaAba(0), "1");
  EXPECT_EQ(b.editor.gridMain.cursorRow, 1);
}

TEST_F(ExclusaoAvancada, SeveralColumnFileWarnsAndSearchesItsWholeTextExactly) {
  fill(b.editor.gridMain, {{"emails", "nome"},
                           {"ana@x.com", "Ana"},
                           {"bia@x.com", "Bia"},
                           {"  ", "Sem e-mail"},
                           {"x.com", "Lixo"}});
  b.dialogos.values.push_back(
      arquivo("campanha.csv", "nome;email\r\nAna;ana@x.com\r\nBia;BIA@X.COM\r\n"));

  quorvel::exclusaoAvancada(b.editor, 0);

  EXPECT_THAT(
      b.dialogos.texts("warning"),
      ElementsAre("O arquivo de exclusão campanha.csv tem mais de uma coluna de dados e isso faz a "
                  "consulta ser muito mais lenta. Para obter velocidade máxima, os arquivos usados "
                  "como listas de exclusão devem ter uma única coluna de dados, contendo um e-mail "
                  "em cada linha. O procedimeno irá seguir normalmente agora, mas com um método "
                  "mais lento de processamento"));
  // ana@x.com and x.com occur in the text; BIA@X.COM is another case; a blank value never occurs.
  EXPECT_EQ(rowsOf(b.editor.gridMain),
            (Rows{{"emails", "nome"}, {"  ", "Sem e-mail"}, {"bia@x.com", "Bia"}}));
}

TEST_F(ExclusaoAvancada, QuotedFirstLineMakesEveryValueCompareInQuotes) {
  fill(b.editor.gridMain, {{"emails"}, {"ana@x.com"}, {"bia@x.com"}, {"caio@x.com"}});
  b.dialogos.values.push_back(arquivo("aspas.txt", "\"bia@x.com\"\n\"ANA@x.com\"\ncaio@x.com\n"));
  quorvel::exclusaoAvancada(b.editor, 0);
  // caio@x.com is compared as "caio@x.com" (with quotes) and is not found.
  EXPECT_EQ(rowsOf(b.editor.gridMain), (Rows{{"emails"}, {"caio@x.com"}}));
}

TEST_F(ExclusaoAvancada, FilesFollowOneAnotherAndOnlyTxtOrCsvPathsCount) {
  fill(b.editor.gridMain, {{"emails"}, {"ana@x.com"}, {"bia@x.com"}, {"caio@x.com"}});
  std::string a = arquivo("a.txt", "ana@x.com");
  std::string c = arquivo("b.csv", "BIA@x.com\n");
  std::string pdf = arquivo("c.pdf", "caio@x.com\n");
  b.dialogos.values.push_back(pdf + "\n" + a + "\n" + c);

  quorvel::exclusaoAvancada(b.editor, 0);

  EXPECT_EQ(rowsOf(b.editor.gridMain), (Rows{{"emails"}, {"caio@x.com"}}));
  std::vector<std::string> legendas;
  for (const auto& e : b.progresso.exibicoes)
    if (e.operation == "Exclusão avançada via arquivo") legendas.push_back(e.legend1);
  EXPECT_THAT(legendas, ElementsAre("Total de arquivos: 2 / 3 -> a.txt",
                                    "Total de arquivos: 3 / 3 -> b.csv"));
}

TEST_F(ExclusaoAvancada, UnreadableFileStopsAfterTheFilesBeforeIt) {
  fill(b.editor.gridMain, {{"emails"}, {"ana@x.com"}, {"bia@x.com"}, {"caio@x.com"}});
  std::string a = arquivo("a.txt", "ana@x.com");
  std::string faltando = (home / "dados" / "faltando.txt").string();
  std::string c = arquivo("b.csv", "bia@x.com");
  b.dialogos.values.push_back(a + "\n" + faltando + "\n" + c);

  quorvel::exclusaoAvancada(b.editor, 0);

  EXPECT_THAT(b.dialogos.texts("error"),
              ElementsAre("Não foi possível ler o arquivo: " + faltando));
  EXPECT_EQ(rowsOf(b.editor.gridMain), (Rows{{"emails"}, {"bia@x.com"}, {"caio@x.com"}}));
}

TEST_F(ExclusaoAvancada, EveryRowExcludedLeavesTheHeaderAndOneEmptyRow) {
  fill(b.editor.gridMain, {{"emails", "nome"}, {"ana@x.com", "Ana"}});
  b.dialogos.values.push_back(arquivo("a.txt", "ana@x.com"));
  quorvel::exclusaoAvancada(b.editor, 0);
  ASSERT_EQ(b.editor.gridMain.rowCount(), 2);
  EXPECT_EQ(b.editor.gridMain.cell(0, 0), "emails");
  EXPECT_FALSE(b.editor.gridMain.rowHasText(1));
}

TEST_F(ExclusaoAvancada, NoFileChosenChangesNothing) {
  const Rows lista = {{"emails"}, {"b@x.com"}, {"a@x.com"}};
  fill(b.editor.gridMain, lista);
  b.dialogos.values.push_back("");
  quorvel::exclusaoAvancada(b.editor, 0);
  EXPECT_EQ(rowsOf(b.editor.gridMain), lista);
  EXPECT_THAT(b.dialogos.texts("error"), ElementsAre());
}

TEST_F(ExclusaoAvancada, NeedsAColumn) {
  fill(b.editor.gridMain, {{"emails"}, {"a@x.com"}});
  quorvel::exclusaoAvancada(b.editor, -1);
  EXPECT_THAT(b.dialogos.texts("error"),
              ElementsAre("É preciso selecionar uma coluna para realizar essa operação"));
  EXPECT_THAT(b.dialogos.texts("open"), ElementsAre());
}

TEST_F(ExclusaoAvancada, SurvivorsKeepTheirCellsAndComeBackInOrder) {
  struct Caso {
    const char* oQue;
    Rows lista;
    int coluna;
    std::string exclusao;
    Rows esperado;
    std::string editado;
  };
  const std::vector<Caso> casos = {
      {"ordered by the whole row ignoring case, not by the chosen column",
       {{"nome", "emails"},
        {"Caio", "c@x.com"},
        {"Ana", "b@x.com"},
        {"ana", "a@x.com"},
        {"Bia", "x@x.com"}},
       1,
       "X@X.COM\r\n",
       {{"nome", "emails"}, {"ana", "a@x.com"}, {"Ana", "b@x.com"}, {"Caio", "c@x.com"}},
       "1"},
      {"rows equal ignoring case come back once, the topmost; accents make rows different",
       {{"emails", "nome"}, {"ana@x.com", "José"}, {"ANA@X.COM", "JOSÉ"}, {"ana@x.com", "Jose"}},
       0,
       "zz@x.com",
       {{"emails", "nome"}, {"ana@x.com", "Jose"}, {"ana@x.com", "José"}},
       "1"},
      {"cells keep their double quotes and surrounding blanks",
       {{"emails", "nome", "cidade"},
        {"ana@x.com", " Ana ", ""},
        {" \"bia@x.com\" ", "Michael \"Mic\" Knyszek", " "}},
       0,
       "zz@x.com",
       {{"emails", "nome", "cidade"},
        {" \"bia@x.com\" ", "Michael \"Mic\" Knyszek", " "},
        {"ana@x.com", " Ana ", ""}},
       "1"},
      {"a blank line in the file never excludes the rows whose value is blank",
       {{"emails", "nome"}, {"a@x.com", "Ana"}, {"", "Sem e-mail"}, {" ", "Nada"}},
       0,
       "\r\n\r\na@x.com\r\n \r\n",
       {{"emails", "nome"}, {"", "Sem e-mail"}, {" ", "Nada"}},
       "1"},
      {"blank columns without a name go; an unnamed column with data gets a blank name",
       {{"emails", "", "", "obs"}, {"a@x.com", " ", "x", ""}, {"b@x.com", "", "y", ""}},
       0,
       "zz@x.com",
       {{"emails", " ", "obs"}, {"a@x.com", "x", ""}, {"b@x.com", "y", ""}},
       "1"},
      {"a \";\" in the first surviving row does not split the rows at \";\"",
       {{"nome", "emails"}, {"Silva; Ana", "ana@x.com"}, {"Souza", "bia@x.com"}},
       1,
       "zz@x.com",
       {{"nome", "emails"}, {"Silva; Ana", "ana@x.com"}, {"Souza", "bia@x.com"}},
       "1"},
      {"a one-column list whose first row holds a comma stays one column",
       {{"nome"}, {"Souza, Bia"}, {"Silva, Ana"}},
       0,
       "zz@x.com",
       {{"nome"}, {"Silva, Ana"}, {"Souza, Bia"}},
       "1"},
      {"a cell holding a line break or a tab stays one cell of its row",
       {{"emails", "obs"}, {"b@x.com", "col\tuna"}, {"a@x.com", "linha 1\r\nlinha 2"}},
       0,
       "zz@x.com",
       {{"emails", "obs"}, {"a@x.com", "linha 1\r\nlinha 2"}, {"b@x.com", "col\tuna"}},
       "1"},
      {"survivors without any text leave one empty row (a change like any other)",
       {{"emails", "nome"}, {"a@x.com", "Ana"}, {" ", " "}, {"", ""}},
       0,
       "a@x.com",
       {{"emails", "nome"}, {"", ""}},
       "1"},
  };
  for (const auto& c : casos) {
    Bancada caso;
    caso.editor.programFolder = home.string();
    fill(caso.editor.gridMain, c.lista);
    caso.editor.gEditou["0"] = "0";
    caso.editor.gArquivos["0"] = "/dados/lista.csv";
    caso.editor.gridMain.moverCursor(caso.editor.gridMain.colCount() - 1, 2);
    caso.dialogos.values.push_back(arquivo("excluir.txt", c.exclusao));

    quorvel::exclusaoAvancada(caso.editor, c.coluna);

    const auto& g = caso.editor.gridMain;
    EXPECT_EQ(rowsOf(g), c.esperado) << c.oQue;
    EXPECT_EQ(caso.editor.editouDaAba(0), c.editado) << c.oQue;
    EXPECT_EQ(caso.editor.arquivoDaAba(0), "") << c.oQue;
    EXPECT_EQ(g.cursorCol, 0) << c.oQue;
    EXPECT_EQ(g.cursorRow, 1) << c.oQue;
    EXPECT_TRUE(caso.editor.gridVisivel) << c.oQue;
    EXPECT_FALSE(caso.progresso.visible) << c.oQue;
  }
}

TEST_F(ExclusaoAvancada, EachFileWorksOnTheRowsThePreviousOneLeftAsTheyWere) {
  fill(b.editor.gridMain, {{"emails"}, {"\"ana@x.com\""}, {"bia@x.com"}, {"caio@x.com"}});
  // The quoted value keeps its quotes: neither file finds it.
  std::string a = arquivo("a.txt", "ana@x.com\r\n");
  std::string c = arquivo("b.txt", "ANA@X.COM\r\nCaio@x.com\r\n");
  b.dialogos.values.push_back(a + "\n" + c);
  quorvel::exclusaoAvancada(b.editor, 0);
  EXPECT_EQ(rowsOf(b.editor.gridMain), (Rows{{"emails"}, {"\"ana@x.com\""}, {"bia@x.com"}}));
}

// The exclusion told row by row: the surviving rows (a blank value is never excluded), each
// whole text once (the topmost row of texts equal ignoring case) in pt-BR order, their cells as
// they were.
void exclusaoLinhaALinha(ListEditor& e, int coluna,
                         const std::vector<std::vector<std::string>>& arquivos) {
  quorvel::TextGrid& g = *e.gGrid;
  for (const auto& linhas : arquivos) {
    if (coluna >= g.colCount()) break;
    const Rows antes = rowsOf(g);
    quorvel::SortedStringList exclusao;
    exclusao.addAll(linhas);
    const bool aspas = !exclusao.empty() && exclusao[0].find('"') != std::string::npos;
    quorvel::SortedStringList textos;
    std::map<std::string, std::vector<std::string>> celulas;
    bool algumTexto = false;
    for (int r = 1; r < g.rowCount(); ++r) {
      std::string valor = quorvel::trim(g.cell(coluna, r));
      const bool branco = valor.empty();
      if (aspas) valor = "\"" + valor + "\"";
      if (!branco && exclusao.contains(valor)) continue;
      algumTexto = algumTexto || g.rowHasText(r);
      std::string texto = g.rowText(r, "\t");
      texto.pop_back();
      if (textos.add(texto)) celulas.emplace(texto, g.rowCells(r));
    }
    std::vector<std::string> cabecalho = g.rowCells(0);
    for (auto& c : cabecalho)
      if (c.empty()) c = " ";
    Rows novas{cabecalho};
    if (algumTexto)
      for (const auto& texto : textos) novas.push_back(celulas.at(texto));
    if (novas.size() < 2) novas.emplace_back(cabecalho.size(), "");
    std::vector<int> larguras;
    for (int c = 0; c < g.colCount(); ++c) larguras.push_back(g.colWidth(c));
    fill(g, novas);
    for (int c = 0; c < g.colCount(); ++c) g.setColWidth(c, larguras[static_cast<size_t>(c)]);
    g.moverCursor(0, 1);
    e.setArquivo(g, "");
    quorvel::eliminarColunasVazias(e, g);
    if (rowsOf(g) != antes) e.setEditou(g, true);  // a list that changed is not saved
  }
  e.showStatus(g);
  g.moverCursor(std::min(g.cursorCol, g.colCount() - 1), 1);
}

TEST_F(ExclusaoAvancada, AgreesWithTellingItRowByRow) {
  std::vector<std::string> celulas = {"ana@x.com",  "ANA@x.com", " ana@x.com ", "\"ana@x.com\"",
                                      "bia@x.com",  "Bia@X.com", "José",        "Jose",
                                      "jose",       "",          " ",           "\"",
                                      "Zé Ninguém", "é",         "caio@x.com"};
  // Long texts that begin alike: rows that only the end of their whole text orders.
  for (const char* fim : {"@exemplo.com", "@exemplo.com.br", "@EXEMPLO.COM.BR", "á@exemplo.com"})
    celulas.push_back(std::string("Maria.Aparecida.da.Silva") + fim);
  const std::vector<std::string> linhasExclusao = {
      "ana@x.com",  "BIA@X.COM",
      " bia@x.com", "\"ana@x.com\"",
      "jose",       "",
      "zé ninguém", "\"\"",
      "Caio@x.com", "maria.aparecida.da.silva@exemplo.com"};
  const std::vector<std::string> cabecalhos = {"emails", "", "nome", "Nome", " "};
  std::mt19937 rng(11);
  auto um = [&](const std::vector<std::string>& v) {
    return v[std::uniform_int_distribution<size_t>(0, v.size() - 1)(rng)];
  };
  auto ate = [&](int n) { return std::uniform_int_distribution<int>(0, n)(rng); };
  for (int rodada = 0; rodada < 400; ++rodada) {
    const int colunas = 1 + ate(3);
    Rows lista(1);
    for (int c = 0; c < colunas; ++c) lista[0].push_back(um(cabecalhos));
    for (int r = ate(14); r > 0; --r) {
      lista.emplace_back();
      for (int c = 0; c < colunas; ++c) lista.back().push_back(um(celulas));
    }
    std::vector<std::vector<std::string>> arquivos(1 + ate(1));
    std::string escolha;
    for (size_t f = 0; f < arquivos.size(); ++f) {
      std::string bytes;
      for (int l = ate(4); l > 0; --l) {
        arquivos[f].push_back(um(linhasExclusao));
        bytes += arquivos[f].back() + "\r\n";
      }
      escolha += arquivo("e" + std::to_string(f) + ".txt", bytes) + "\n";
    }
    const int coluna = ate(colunas - 1);

    Bancada novo, antigo;
    for (Bancada* x : {&novo, &antigo}) {
      fill(x->editor.gridMain, lista);
      x->editor.programFolder = home.string();
      x->editor.gEditou["0"] = "0";
      x->editor.gArquivos["0"] = "/dados/lista.csv";
      x->editor.gridMain.moverCursor(colunas - 1, 1);
    }
    novo.dialogos.values.push_back(escolha);
    quorvel::exclusaoAvancada(novo.editor, coluna);
    exclusaoLinhaALinha(antigo.editor, coluna, arquivos);

    const auto& gn = novo.editor.gridMain;
    const auto& ga = antigo.editor.gridMain;
    ASSERT_EQ(rowsOf(gn), rowsOf(ga)) << rodada;
    for (int c = 0; c < ga.colCount(); ++c) ASSERT_EQ(gn.colWidth(c), ga.colWidth(c)) << rodada;
    // A list whose rows changed is unsaved (the new run may also mark one whose changes cancel
    // out, as any editor does).
    if (rowsOf(ga) != lista) {
      ASSERT_EQ(novo.editor.gEditou["0"], "1") << rodada;
    }
    ASSERT_EQ(novo.editor.gArquivos, antigo.editor.gArquivos) << rodada;
    ASSERT_EQ(gn.cursorCol, ga.cursorCol) << rodada;
    ASSERT_EQ(gn.cursorRow, ga.cursorRow) << rodada;
    ASSERT_EQ(novo.editor.status.items, antigo.editor.status.items) << rodada;
  }
}

// ---------------------------------------------------------------------------------------------
// exclusaoSeletiva

TEST(ExclusaoSeletiva, ProviderListHasFifteenEntriesInOrder) {
  EXPECT_THAT(quorvel::provedoresGratuitos(),
              ElementsAre("@yahoo.com", "@gmail.com", "@outlook.com", "@msn.com", "@hotmail.com",
                          "@uol.com.br", "@bol.com.br", "@terra.com.br", "@globo.com", "@live.com",
                          "@r7.com", "@live.com", "@ig.com", "@oi.com", "@zipmail.com"));
  struct Caso {
    const char* endereco;
    bool provedor;
  };
  for (auto c : std::vector<Caso>{{"Ana@GMAIL.com", true},
                                  {"ana@ig.com.br", true},
                                  {"ana@oi.com.br", true},
                                  {"ana@hotmail.com.br", true},
                                  {"ana@uol.com", false},
                                  {"ana@gmail.co", false},
                                  {"ana@empresa.com.br", false}})
    EXPECT_EQ(quorvel::ehProvedorGratuito(c.endereco), c.provedor) << c.endereco;
}

TEST(ExclusaoSeletiva, KeepsAtMostNPerDomainWithPriorityTermsFirst) {
  struct Caso {
    const char* oQue;
    std::string quantidade, prioridades;
    bool provedores;
    Rows lista, esperado;
  };
  const std::vector<Caso> casos = {
      {"N = 2: the contato@ row and the first of the others in sorted order",
       "2",
       "contato@",
       true,
       {{"emails"},
        {"b@empresa.com"},
        {"contato@empresa.com"},
        {"a@empresa.com"},
        {"x@outra.com.br"}},
       {{"emails", "#dominio"},
        {"a@empresa.com", "empresa.com"},
        {"contato@empresa.com", "empresa.com"},
        {"x@outra.com.br", "outra.com.br"}}},
      {"every provider address stays when the box is ticked",
       "1",
       "contato@",
       true,
       {{"email", "nome"},
        {"a@gmail.com", "A"},
        {"b@gmail.com", "B"},
        {"c@ig.com.br", "C"},
        {"d@ig.com.br", "D"},
        {"f@empresa.com", "F"},
        {"g@empresa.com", "G"}},
       {{"email", "nome", "#dominio"},
        {"f@empresa.com", "F", "empresa.com"},
        {"a@gmail.com", "A", "gmail.com"},
        {"b@gmail.com", "B", "gmail.com"},
        {"c@ig.com.br", "C", "ig.com.br"},
        {"d@ig.com.br", "D", "ig.com.br"}}},
      {"unticked, providers count like any domain",
       "1",
       "contato@",
       false,
       {{"emails"}, {"b@gmail.com"}, {"a@gmail.com"}, {"f@empresa.com"}},
       {{"emails", "#dominio"}, {"f@empresa.com", "empresa.com"}, {"a@gmail.com", "gmail.com"}}},
      {"terms: exact case, tried in order, a blank term never matches, the text trimmed whole",
       "1",
       "  \n Contato@\n\nsac@\n",
       false,
       {{"emails"}, {"ana@x.com"}, {"contato@x.com"}, {"sac@x.com"}},
       {{"emails", "#dominio"}, {"sac@x.com", "x.com"}}},
      {"an address without @ is its own domain; an existing #dominio column is reused",
       "5",
       "",
       false,
       {{"emails", "#Dominio"}, {"semarroba", "velho"}, {"a@x.com", ""}},
       {{"emails", "#Dominio"}, {"semarroba", "semarroba"}, {"a@x.com", "x.com"}}},
      {"N = 0 keeps only the providers",
       "0",
       "",
       true,
       {{"emails"}, {"a@x.com"}, {"b@yahoo.com"}},
       {{"emails", "#dominio"}, {"b@yahoo.com", "yahoo.com"}}},
  };
  for (const auto& c : casos) {
    Bancada b;
    fill(b.editor.gridMain, c.lista);
    EXPECT_TRUE(quorvel::exclusaoSeletiva(b.editor, c.quantidade, c.prioridades, c.provedores))
        << c.oQue;
    EXPECT_EQ(rowsOf(b.editor.gridMain), c.esperado) << c.oQue;
    EXPECT_TRUE(b.dialogos.messages.empty()) << c.oQue;
    EXPECT_TRUE(b.editor.gridVisivel) << c.oQue;
    EXPECT_FALSE(b.progresso.visible) << c.oQue;
  }
}

TEST(ExclusaoSeletiva, ShowsItsSteps) {
  Bancada b;
  Rows lista = {{"emails"}};
  for (int i = 0; i < 12; ++i) lista.push_back({"u" + std::to_string(i) + "@x.com"});
  fill(b.editor.gridMain, lista);
  EXPECT_TRUE(quorvel::exclusaoSeletiva(b.editor, "5", "contato@", true));
  EXPECT_THAT(b.progresso.operacoes(),
              ElementsAre("Identificando domínios...", "Ordenando dados", "Ordenando coluna...",
                          "Analisando dados...", "Identificando lista resultante...",
                          "Ordenando dados para exclusão", "Finalizando operação"));
  EXPECT_EQ(b.progresso.exibicoes[0].legend1, "Total de registros: 12");
  EXPECT_EQ(b.progresso.exibicoes[1].legend1, "Aguarde... ");
  EXPECT_EQ(b.progresso.exibicoes[3].legend1, "Total de registros: 12");
  EXPECT_THAT(b.progresso.passos, ::testing::Contains("Processados: 10|Total da lista final: "));
  EXPECT_EQ(b.editor.gridMain.dataRowCount(), 5);
}

TEST(ExclusaoSeletiva, RefusesAFirstColumnNotNamedEmailOrEmails) {
  for (const char* nome : {"e-mails", "Emails", "emails ", ""}) {
    Bancada b;
    const Rows lista = {{nome}, {"a@x.com"}, {"b@x.com"}};
    fill(b.editor.gridMain, lista);
    EXPECT_FALSE(quorvel::exclusaoSeletiva(b.editor, "1", "", true));
    EXPECT_THAT(b.dialogos.texts("error"),
                ElementsAre("A primeira coluna necessariamente precisa se chamar \"emails\""));
    EXPECT_EQ(rowsOf(b.editor.gridMain), lista) << nome;
  }
}

TEST(ExclusaoSeletiva, QuantityThatIsNotAWholeNumberChangesNothing) {
  for (const char* q : {"", "cinco", "2.5", "3x", "99999999999"}) {
    Bancada b;
    const Rows lista = {{"emails"}, {"b@x.com"}, {"a@x.com"}};
    fill(b.editor.gridMain, lista);
    EXPECT_FALSE(quorvel::exclusaoSeletiva(b.editor, q, "", true)) << q;
    EXPECT_THAT(b.dialogos.texts("error"),
                ElementsAre("\"" + std::string(q) +
                            "\" não é um número inteiro válido. Informe quantos e-mails de cada "
                            "domínio devem ficar na lista."));
    EXPECT_EQ(rowsOf(b.editor.gridMain), lista) << q;
    EXPECT_TRUE(b.progresso.exibicoes.empty());
  }
}

TEST(ExclusaoSeletiva, CancelKeepsTheDomainColumnAndTheOrderButRemovesNothing) {
  Bancada b;
  Rows lista = {{"emails"}};
  for (int i = 0; i < 15; ++i) lista.push_back({"u" + std::to_string(20 - i) + "@x.com"});
  fill(b.editor.gridMain, lista);
  b.progresso.cancelAtStep("Processados: 10");

  EXPECT_FALSE(quorvel::exclusaoSeletiva(b.editor, "1", "", false));

  EXPECT_THAT(b.dialogos.texts("information"), ElementsAre("Operação cancelada"));
  EXPECT_FALSE(b.progresso.cancelou());
  EXPECT_TRUE(b.editor.gridVisivel);
  const auto& g = b.editor.gridMain;
  ASSERT_EQ(g.dataRowCount(), 15);
  ASSERT_EQ(g.colCount(), 2);
  EXPECT_EQ(g.cell(1, 0), "#dominio");
  EXPECT_EQ(g.cell(0, 1), "u10@x.com");  // sorted by #dominio, then by the whole row
  EXPECT_EQ(g.cell(0, 15), "u9@x.com");
}

}  // namespace
