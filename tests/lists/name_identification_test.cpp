#include "lists/name_identification.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/grid_builder.h"
#include "support/scripted_ports.h"

namespace fs = std::filesystem;
using namespace std::string_literals;
using quorvel::ListEditor;
using quorvel::RecordingProgress;
using quorvel::ScriptedDialogs;
using quorvel::testing::fill;
using quorvel::testing::Rows;
using quorvel::testing::rowsOf;
using ::testing::ElementsAre;

namespace {

class ProgressoGravado : public RecordingProgress {
 public:
  std::vector<std::string> exibicoes;  // operacao + "|" + legenda1
  std::vector<std::string> passos;     // legenda1 + "|" + legenda2
  void setProgress(const std::string& op, int64_t max, const std::string& l1, const std::string& l2,
                   const std::string& l3, int b) override {
    exibicoes.push_back(op + "|" + l1);
    RecordingProgress::setProgress(op, max, l1, l2, l3, b);
  }
  void stepProgress(const std::string& l1, const std::string& l2, const std::string& l3,
                    int b) override {
    passos.push_back(l1 + "|" + l2);
    RecordingProgress::stepProgress(l1, l2, l3, b);
  }
};

class NameIdentification : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string modelo = (fs::temp_directory_path() / "quorvel-nomes-XXXXXX").string();
    ASSERT_NE(::mkdtemp(modelo.data()), nullptr);
    home = modelo;
    editor.programFolder = home.string();
    editor.dialogs = &dialogos;
    editor.progress = &progresso;
    editor.pump = &pump;
  }
  void TearDown() override { fs::remove_all(home); }

  fs::path arquivoNomes() const { return home / "dados" / "config" / "sys_nomes.txt"; }
  void gravarNomes(const std::string& bytes) {
    fs::create_directories(arquivoNomes().parent_path());
    std::ofstream(arquivoNomes(), std::ios::binary) << bytes;
  }
  std::string lerNomes() const {
    std::ifstream in(arquivoNomes(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // The "#nome" column of every data row.
  std::vector<std::string> nomes() const {
    const auto& g = editor.gridMain;
    int col = -1;
    for (int c = 0; c < g.colCount(); ++c)
      if (g.cell(c, 0) == "#nome") col = c;
    std::vector<std::string> out;
    for (int r = 1; r < g.rowCount(); ++r) out.push_back(col < 0 ? "?" : g.cell(col, r));
    return out;
  }

  fs::path home;
  ListEditor editor;
  ScriptedDialogs dialogos;
  ProgressoGravado progresso;
  quorvel::NoEventPump pump;
};

// ---------------------------------------------------------------------------------------------

TEST(SortByLength, LongestFirstThenDescendingIgnoringCaseTrimmed) {
  EXPECT_THAT(quorvel::sortByLength({"Ana", "Joana", "bia", "Carla  ", "Lu", "", "Ícaro", "BEA"}),
              ElementsAre("Carla", "Joana", "Ícaro", "bia", "BEA", "Ana", "Lu", ""));
  EXPECT_THAT(quorvel::sortByLength({}), ElementsAre());
}

TEST(Surnames, SixtyNineInTheirOrderAndSortedLongestFirst) {
  const auto& s = quorvel::sobrenomesPadrao();
  ASSERT_EQ(s.size(), 69u);
  EXPECT_EQ(s.front(), "Alves");
  EXPECT_EQ(s[25], "Araújo");
  EXPECT_EQ(s[54], "Gonçalves");
  EXPECT_EQ(s.back(), "Farias");
  EXPECT_EQ(std::count(s.begin(), s.end(), "Ribeiro"), 2);
  EXPECT_EQ(std::count(s.begin(), s.end(), "Silva"), 1);
  auto ordenados = quorvel::sortByLength(s);
  ASSERT_EQ(ordenados.size(), 69u);
  EXPECT_THAT(std::vector<std::string>(ordenados.begin(), ordenados.begin() + 4),
              ElementsAre("Nascimento", "Cavalcanti", "Rodrigues", "Rodrigues"));
  EXPECT_EQ(ordenados.back(), "Dias");
}

TEST(DobrarNome, LowerCasesAndDropsOnlySevenMarks) {
  const std::vector<std::pair<std::string, std::string>> casos = {{"Ícaro", "icaro"},
                                                                  {"JOÃO", "joao"},
                                                                  {"Conceição", "conceicao"},
                                                                  {"Jerônimo", "jeronimo"},
                                                                  {"Zé", "ze"},
                                                                  {"Ênio", "enio"},
                                                                  {"Inês", "ines"},
                                                                  {"Márcia", "marcia"},
                                                                  {"Araújo", "araújo"},
                                                                  {"Ñusta", "ñusta"},
                                                                  {"Müller", "müller"},
                                                                  {"À", "à"},
                                                                  {"Õ", "õ"},
                                                                  {"", ""}};
  for (const auto& [nome, dobrado] : casos) EXPECT_EQ(quorvel::dobrarNome(nome), dobrado) << nome;
}

// ---------------------------------------------------------------------------------------------
// identificarNomes

TEST_F(NameIdentification, LongerFirstNamesFirstThenSurnamesFoldedMarksAndKeptValues) {
  gravarNomes("Ana\r\nJoana\r\nÍcaro\r\nJúlia\r\nMaria\r\n");
  fill(editor.gridMain, {{"emails", "#nome"},
                         {"joana.silva@x.com", ""},
                         {"ana@x.com", ""},
                         {"silva123@x.com", ""},
                         {"icaro@x.com", ""},
                         {"julia@x.com", ""},
                         {"júlia@x.com", ""},
                         {"MARIANA@X.COM", ""},
                         {"semarroba", ""},
                         {"", ""},
                         {"mariana@x.com", "Beltrano"},
                         {"ana@x.com", "  "}});
  editor.gEditou["0"] = "0";

  EXPECT_EQ(quorvel::identificarNomes(editor, 0, false), 7);

  EXPECT_THAT(nomes(), ElementsAre("Joana", "Ana", "Silva", "Ícaro", "", "Júlia", "Maria", "", "",
                                   "Beltrano", "Ana"));
  EXPECT_TRUE(dialogos.messages.empty());
  EXPECT_EQ(editor.gEditou["0"], "1");  // names were written: the list is no longer the saved one
}

TEST_F(NameIdentification, FriendlyFormatUsesThePrefixAsWritten) {
  fill(editor.gridMain, {{"emails"},
                         {"XPTO.Vendas@x.com"},
                         {"semarroba"},
                         {""},
                         {"  Zz@x.com"},
                         {"carlos.silva@x.com"}});
  EXPECT_EQ(quorvel::identificarNomes(editor, 0, true), 5);
  EXPECT_THAT(nomes(), ElementsAre("@XPTO.Vendas", "@", "@", "@  Zz", "Silva"));
  // The column was created at the right, width 150.
  EXPECT_EQ(editor.gridMain.cell(1, 0), "#nome");
  EXPECT_EQ(editor.gridMain.colWidth(1), 150);
}

TEST_F(NameIdentification, RunningTwiceKeepsTheNamesOfTheFirstRun) {
  gravarNomes("Ana\n");
  fill(editor.gridMain, {{"emails"}, {"mariana@x.com"}, {"xyz@x.com"}});
  EXPECT_EQ(quorvel::identificarNomes(editor, 0, false), 1);
  gravarNomes("Mariana\nXyz\n");
  EXPECT_EQ(quorvel::identificarNomes(editor, 0, false), 1);
  EXPECT_THAT(nomes(), ElementsAre("Ana", "Xyz"));
  EXPECT_EQ(editor.gridMain.colCount(), 2);
}

TEST_F(NameIdentification, NamesFileIsWrittenBackLongestFirstInItsOwnEncoding) {
  const std::string bomUtf16 = "\xFF\xFE"s;
  auto utf16 = [](const std::string& ascii_e_atil) {
    // ASCII text where '~' stands for "ã" (U+00E3), as UTF-16 LE.
    std::string out;
    for (char c : ascii_e_atil) {
      out.push_back(c == '~' ? '\xE3' : c);
      out.push_back('\0');
    }
    return out;
  };
  struct Caso {
    const char* oQue;
    std::string antes, depois;
  };
  const std::vector<Caso> casos = {
      {"UTF-8 with BOM",
       "\xEF\xBB\xBF"
       "Ana\r\nJoão\r\n Bia ",
       "\xEF\xBB\xBF"
       "Bia\r\nJoão\r\nAna\r\n"},
      {"UTF-8", "Ana\nJoão\n", "João\r\nAna\r\n"},
      {"Windows-1252", "Ana\r\nJo\xE3o\r\n", "Jo\xE3o\r\nAna\r\n"},
      {"UTF-16 LE", bomUtf16 + utf16("Ana\r\nJo~o"), bomUtf16 + utf16("Jo~o\r\nAna\r\n")},
      {"empty", "", ""},
  };
  // " Bia " counts five characters: the length is taken before trimming.
  for (const auto& c : casos) {
    gravarNomes(c.antes);
    fill(editor.gridMain, {{"emails"}, {"joao@x.com"}});
    quorvel::identificarNomes(editor, 0, false);
    EXPECT_EQ(lerNomes(), c.depois) << c.oQue;
    if (!c.antes.empty()) {
      EXPECT_THAT(nomes(), ElementsAre("João")) << c.oQue;
    }
  }
}

TEST_F(NameIdentification, AMissingNamesFileStaysMissingAndOnlySurnamesAreTried) {
  fill(editor.gridMain, {{"emails"}, {"ana.costa@x.com"}});
  EXPECT_EQ(quorvel::identificarNomes(editor, 0, false), 1);
  EXPECT_THAT(nomes(), ElementsAre("Costa"));
  EXPECT_FALSE(fs::exists(arquivoNomes()));
}

TEST_F(NameIdentification, ShowsItsProgress) {
  gravarNomes("Ana\n");
  Rows lista = {{"emails"}};
  for (int i = 0; i < 12; ++i) lista.push_back({i % 2 ? "ana@x.com" : "zzz@x.com"});
  fill(editor.gridMain, lista);
  EXPECT_EQ(quorvel::identificarNomes(editor, 0, false), 6);
  EXPECT_THAT(progresso.exibicoes,
              ElementsAre("Identificando os nomes dos contatos...|Total de registros: 12"));
  EXPECT_THAT(progresso.passos,
              ElementsAre("Analisados: 10|Encontrados: 4", "Analisados: 13|Encontrados: 6"));
  EXPECT_FALSE(progresso.visible);
}

TEST_F(NameIdentification, CancelKeepsTheNamesFoundSoFar) {
  Rows lista = {{"emails"}};
  for (int i = 0; i < 30; ++i) lista.push_back({"silva@x.com"});
  fill(editor.gridMain, lista);
  progresso.cancelAtStep("Analisados: 10");
  EXPECT_EQ(quorvel::identificarNomes(editor, 0, false), 10);
  EXPECT_THAT(dialogos.texts("information"), ElementsAre("Operação cancelada"));
  EXPECT_FALSE(progresso.cancelou());
  auto n = nomes();
  EXPECT_EQ(std::count(n.begin(), n.end(), "Silva"), 10);
  EXPECT_EQ(n[9], "Silva");
  EXPECT_EQ(n[10], "");
}

TEST_F(NameIdentification, NeedsAColumn) {
  const Rows lista = {{"emails"}, {"ana@x.com"}};
  fill(editor.gridMain, lista);
  EXPECT_EQ(quorvel::identificarNomes(editor, -1, true), 0);
  EXPECT_THAT(dialogos.texts("error"),
              ElementsAre("É preciso selecionar uma coluna para realizar essa operação"));
  EXPECT_EQ(rowsOf(editor.gridMain), lista);
  EXPECT_FALSE(fs::exists(arquivoNomes()));
}

// ---------------------------------------------------------------------------------------------
// gerarEmailPadrao

TEST_F(NameIdentification, GenerationWithTheDefaultsAppendsFourAddressesPerDomain) {
  fill(editor.gridMain, {{"emails", "nome"},
                         {"ana@empresa.com.br", "Ana"},
                         {" bia@empresa.com.br ", "Bia"},
                         {"caio@loja.com", "Caio"}});
  editor.gEditou["0"] = "0";
  EXPECT_EQ(quorvel::gerarEmailPadrao(editor, 0, "contato\nsuporte\natendimento", true), 8);
  EXPECT_EQ(rowsOf(editor.gridMain), (Rows{{"emails", "nome"},
                                           {"ana@empresa.com.br", "Ana"},
                                           {" bia@empresa.com.br ", "Bia"},
                                           {"caio@loja.com", "Caio"},
                                           {"empresa@empresa.com.br", ""},
                                           {"contato@empresa.com.br", ""},
                                           {"suporte@empresa.com.br", ""},
                                           {"atendimento@empresa.com.br", ""},
                                           {"loja@loja.com", ""},
                                           {"contato@loja.com", ""},
                                           {"suporte@loja.com", ""},
                                           {"atendimento@loja.com", ""}}));
  EXPECT_EQ(editor.gEditou["0"], "1");
  EXPECT_TRUE(editor.gridVisivel);
  EXPECT_THAT(progresso.exibicoes, ElementsAre("Gerando e-mails...|Total de registros: 4"));
}

TEST_F(NameIdentification, GenerationCases) {
  struct Caso {
    const char* oQue;
    Rows lista;
    int coluna;
    std::string prefixos;
    bool padrao;
    Rows gerados;  // the rows appended
  };
  const std::vector<Caso> casos = {
      {"free-mail providers' domains generate nothing: their mailboxes are people's own",
       {{"emails"}, {"a@gmail.com"}, {"b@Hotmail.com"}, {"c@ig.com.br"}, {"d@loja.com.br"}},
       0,
       "contato",
       true,
       {{"loja@loja.com.br"}, {"contato@loja.com.br"}}},
      {"a domain in capitals and in small letters generates once",
       {{"emails"}, {"a@EMPRESA.com"}, {"b@empresa.com"}},
       0,
       "contato",
       true,
       {{"EMPRESA@EMPRESA.com"}, {"contato@EMPRESA.com"}}},
      {"a blank prefix line gives an address starting with @; prefixes trimmed",
       {{"emails"}, {"a@d.com"}},
       0,
       "\n contato \n\nsuporte\n",
       false,
       {{"contato@d.com"}, {"@d.com"}, {"suporte@d.com"}}},
      {"no dot: empty standard prefix; no @: the whole address is the domain",
       {{"emails"}, {"root@localhost"}, {"semarroba"}},
       0,
       "",
       true,
       {{"@localhost"}, {"@semarroba"}}},
      {"the new rows go into the column bearing the e-mail column's header",
       {{"nome", "E-mail"}, {"Ana", "ana@x.com"}},
       1,
       "contato",
       false,
       {{"", "contato@x.com"}}},
      {"that column is found by its name ignoring case: the first such column",
       {{"e-mail", "E-MAIL"}, {"", "ana@x.com"}},
       1,
       "contato",
       false,
       {{"contato@x.com", ""}}},
  };
  for (const auto& c : casos) {
    fill(editor.gridMain, c.lista);
    Rows esperado = c.lista;
    esperado.insert(esperado.end(), c.gerados.begin(), c.gerados.end());
    EXPECT_EQ(quorvel::gerarEmailPadrao(editor, c.coluna, c.prefixos, c.padrao),
              static_cast<int>(c.gerados.size()))
        << c.oQue;
    EXPECT_EQ(rowsOf(editor.gridMain), esperado) << c.oQue;
  }
}

TEST_F(NameIdentification, GenerationCancel) {
  Rows lista = {{"emails"}};
  for (int i = 0; i < 25; ++i) lista.push_back({"a@d" + std::to_string(i) + ".com"});
  fill(editor.gridMain, lista);
  progresso.cancelAtStep("Processados: 10");
  EXPECT_EQ(quorvel::gerarEmailPadrao(editor, 0, "contato", false), 9);
  EXPECT_THAT(dialogos.texts("information"), ElementsAre("Operação cancelada"));
  EXPECT_FALSE(progresso.cancelou());
  EXPECT_TRUE(editor.gridVisivel);
  EXPECT_EQ(editor.gridMain.dataRowCount(), 34);
  EXPECT_EQ(editor.gridMain.cell(0, 34), "contato@d8.com");
  EXPECT_THAT(progresso.passos, ElementsAre("Processados: 10|E-mails gerados: 9"));
}

TEST_F(NameIdentification, GenerationNeedsAColumn) {
  const Rows lista = {{"emails"}, {"ana@x.com"}};
  fill(editor.gridMain, lista);
  EXPECT_EQ(quorvel::gerarEmailPadrao(editor, -1, "contato", true), 0);
  EXPECT_THAT(dialogos.texts("error"),
              ElementsAre("É preciso selecionar uma coluna para realizar essa operação"));
  EXPECT_EQ(rowsOf(editor.gridMain), lista);
}

}  // namespace
