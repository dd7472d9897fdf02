#include "lists/list_loading.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/pause_point.h"
#include "common/text.h"
#include "common/text_file.h"
#include "support/grid_builder.h"
#include "support/scripted_ports.h"

namespace fs = std::filesystem;
using quorvel::ListEditor;
using quorvel::ReadResult;
using quorvel::TextGrid;
using quorvel::testing::fill;
using quorvel::testing::Rows;
using quorvel::testing::rowsOf;

namespace {

std::string utf16le(const std::u16string& s, bool bom = true) {
  std::string out = bom ? "\xFF\xFE" : "";
  for (char16_t c : s) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

std::string utf16be(const std::u16string& s) {
  std::string out = "\xFE\xFF";
  for (char16_t c : s) {
    out.push_back(static_cast<char>(c >> 8));
    out.push_back(static_cast<char>(c & 0xFF));
  }
  return out;
}

// The input dialog's button caption matters too; the scripted kit records only the title.
class DialogosComBotao : public quorvel::ScriptedDialogs {
 public:
  std::vector<std::string> botoes;
  std::optional<std::string> showInputMemo(const std::string& titulo, const std::string& inicial,
                                           const std::string& btnOk,
                                           const std::string& descricao) override {
    botoes.push_back(btnOk);
    return ScriptedDialogs::showInputMemo(titulo, inicial, btnOk, descricao);
  }
};

class PlataformaFalsa : public quorvel::Platform {
 public:
  std::string home, areaDeTransferencia;
  std::string programFolder() const override { return home; }
  void shellOpen(const std::string&) override {}
  std::string clipboardText() const override { return areaDeTransferencia; }
  void setClipboardText(const std::string& t) override { areaDeTransferencia = t; }
  bool internetConnected() const override { return false; }
  std::vector<quorvel::FileEntry> listFolder(const std::string&) const override { return {}; }
  std::chrono::system_clock::time_point now() const override { return {}; }
};

// An editor wired to scripted ports, over a fresh program folder with dados/.
class ListLoading : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string modelo = (fs::temp_directory_path() / "quorvel-carregamento-XXXXXX").string();
    ASSERT_NE(::mkdtemp(modelo.data()), nullptr);
    home = modelo;
    fs::create_directory(home / "dados");
    plataforma.home = home.string();
    e.dialogs = &dialogos;
    e.progress = &progresso;
    e.platform = &plataforma;
    e.programFolder = home.string();
  }
  void TearDown() override { fs::remove_all(home); }

  std::string escrever(const std::string& nome, const std::string& bytes) {
    fs::path p = home / "dados" / nome;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
  // Reads `bytes` as a file into the current list.
  ReadResult ler(const std::string& bytes, const std::string& nome = "lista.csv") {
    return quorvel::abrirCSVTurbo(e, escrever(nome, bytes));
  }
  std::vector<std::string> linha(int r) const { return e.gGrid->rowCells(r); }

  fs::path home;
  DialogosComBotao dialogos;
  quorvel::RecordingProgress progresso;
  PlataformaFalsa plataforma;
  ListEditor e;
};

// ---------------------------------------------------------------------------------------------
// File reader

TEST_F(ListLoading, FileReaderSplitsLinesByTheDescribedRules) {
  struct Caso {
    std::string arquivo;
    Rows linhas;  // the data rows appended (the start list's header and blank row 1 are kept)
    int colunas;
  };
  const std::vector<Caso> casos = {
      // One space after a separator is swallowed; a second one stays. Only the file's own
      // separator splits: a comma in a ";" file is text.
      {"x;y;z\r\na;b; c\r\na;  b\r\nSilva, Ana;b, c",
       {{"x", "y", "z"}, {"a", "b", "c"}, {"a", " b", ""}, {"Silva, Ana", "b, c", ""}},
       3},
      // The separator: tab before ";" before ",", chosen from the first line only.
      {"a\tb;c,d\r\ne\tf", {{"a", "b;c,d"}, {"e", "f"}}, 2},
      {"a;b,c\r\nd;e,f", {{"a", "b,c"}, {"d", "e,f"}}, 2},
      {"a,b\r\nc;d,e", {{"a", "b"}, {"c;d", "e"}}, 2},
      // Empty fields become one space; a separator at the end gives no field; blank lines give
      // blank rows; missing fields stay empty.
      {"a;b;c\r\n;;x\r\n\r\np;q;\r\np;;\r\n   \r\nz",
       {{"a", "b", "c"},
        {" ", " ", "x"},
        {"", "", ""},
        {"p", "q", ""},
        {"p", " ", ""},
        {"", "", ""},
        {"z", "", ""}},
       3},
      // Fields are stored untrimmed; lines are trimmed (a leading tab is white space too).
      {"a;b\r\n  x ;  y  \r\n\tc\td", {{"a", "b"}, {"x ", " y"}, {"c\td", ""}}, 2},
      // Later lines never widen the list: extra fields are dropped.
      {"a,b\r\n1,2,3,4", {{"a", "b"}, {"1", "2"}}, 2},
      // Mixed line ends, and white space around the whole file.
      {"\r\n\r\n  a;b\ra;c\nd;e\r\nf;g\r\n\r\n  ",
       {{"a", "b"}, {"a", "c"}, {"d", "e"}, {"f", "g"}},
       2},
  };
  for (const auto& c : casos) {
    ListEditor limpo;
    limpo.dialogs = &dialogos;
    limpo.progress = &progresso;
    ASSERT_EQ(quorvel::abrirCSVTurbo(limpo, escrever("lista.csv", c.arquivo)), ReadResult::ok)
        << c.arquivo;
    Rows esperado = {std::vector<std::string>(c.colunas), std::vector<std::string>(c.colunas)};
    esperado[0][0] = "emails";
    esperado.insert(esperado.end(), c.linhas.begin(), c.linhas.end());
    EXPECT_EQ(rowsOf(limpo.gridMain), esperado) << c.arquivo;
  }
  EXPECT_TRUE(dialogos.messages.empty());
}

TEST_F(ListLoading, FileReaderReadsQuotedFieldsWhole) {
  struct Caso {
    std::string arquivo;
    Rows linhas;
  };
  const std::vector<Caso> casos = {
      // Separators and line breaks inside quotes stay; a doubled quote is one quote.
      {"\"nome\",\"email\"\r\n\"Silva, Ana\",\"ana@x.com\"\r\n\"Ana \"\"Nina\"\"\",\"n@x.com\"",
       {{"nome", "email"}, {"Silva, Ana", "ana@x.com"}, {"Ana \"Nina\"", "n@x.com"}}},
      {"nome;obs\r\nAna;\"linha 1\r\nlinha 2\nlinha 3\"\r\nBia;\"a;b\"",
       {{"nome", "obs"}, {"Ana", "linha 1\r\nlinha 2\nlinha 3"}, {"Bia", "a;b"}}},
      // A quoted record is taken as written: a quoted cell keeps its spaces, even a lone one at
      // the end of the line, and an empty field stays empty.
      {"\"a\",\"b\"\r\n\" x \",\" \"\r\n\"\",\"\"", {{"a", "b"}, {" x ", " "}, {"", ""}}},
      // The separator choice ignores quoted text.
      {"\"Silva; Ana\",email\r\n\"Souza; Bia\",b@x.com",
       {{"Silva; Ana", "email"}, {"Souza; Bia", "b@x.com"}}},
      // A quote elsewhere in a field is removed, as is one after a closing quote.
      {"nome,email\r\nAna \"Nina\" Silva,a@x.com\r\n\"Ana\" Silva,b@x.com\r\n\"Ana \"Nina\"\",c@x",
       {{"nome", "email"},
        {"Ana Nina Silva", "a@x.com"},
        {"Ana Silva", "b@x.com"},
        {"Ana Nina", "c@x"}}},
      // One space after the separator still goes before a quoted field.
      {"a, \"b, c\"\r\nd,  \"e\"", {{"a", "b, c"}, {"d", " e"}}},
      // In a quoted line a separator at the end gives one more, empty, field; the first line
      // counts it for the columns too.
      {"\"emails\",\r\n\"a@x.com\",\"Ana\"\r\n\"b@x.com\",\r\nc@x.com,",
       {{"emails", ""}, {"a@x.com", "Ana"}, {"b@x.com", ""}, {"c@x.com", ""}}},
      // A quote that never closes is removed like any other, and the lines stay lines.
      {"a,b\r\n\"c,d\r\ne,f\"\"g", {{"a", "b"}, {"c", "d"}, {"e", "fg"}}},
  };
  for (const auto& c : casos) {
    ListEditor limpo;
    limpo.dialogs = &dialogos;
    limpo.progress = &progresso;
    ASSERT_EQ(quorvel::abrirCSVTurbo(limpo, escrever("lista.csv", c.arquivo)), ReadResult::ok)
        << c.arquivo;
    Rows esperado = {{"emails", ""}, {"", ""}};
    esperado.insert(esperado.end(), c.linhas.begin(), c.linhas.end());
    EXPECT_EQ(rowsOf(limpo.gridMain), esperado) << c.arquivo;
  }
}

TEST_F(ListLoading, FileReaderAppendsToTheCurrentListWhateverTab) {
  fill(e.gridValidos, {{"email", "nome"}, {"a@x.com", "Ana"}});
  e.setAbaAtiva(quorvel::kAbaValidos);
  ASSERT_EQ(ler("b@x.com;Bia;extra\r\nc@x.com"), ReadResult::ok);
  EXPECT_EQ(rowsOf(e.gridValidos), (Rows{{"email", "nome", ""},
                                         {"a@x.com", "Ana", ""},
                                         {"b@x.com", "Bia", "extra"},
                                         {"c@x.com", "", ""}}));
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails"}, {""}}));
  EXPECT_EQ(e.gridValidos.cursorRow, 1);
}

TEST_F(ListLoading, FileReaderDecodesByByteOrderMarkElseWindows1252) {
  const Rows esperado = {{"emails", ""},
                         {"", ""},
                         {"emails", "nome"},
                         {"josé@exemplo.com.br", "José"},
                         {"conceição@uol.com.br", "Conceição"}};
  const std::u16string texto =
      u"emails;nome\r\njos\u00e9@exemplo.com.br;Jos\u00e9\r\nconcei\u00e7\u00e3o@uol.com.br;"
      u"Concei\u00e7\u00e3o\r\n";
  const std::vector<std::pair<std::string, std::string>> arquivos = {
      {"utf16le", utf16le(texto)},
      {"utf16be", utf16be(texto)},
      {"utf8bom",
       "\xEF\xBB\xBF"
       "emails;nome\r\njos\xC3\xA9@exemplo.com.br;Jos\xC3\xA9\r\nconcei\xC3\xA7\xC3\xA3o@uol.com."
       "br;Concei\xC3\xA7\xC3\xA3o"},
      {"cp1252", *quorvel::readFileBytes(std::string(QUORVEL_TEST_DATA) + "/lista_cp1252.txt")},
  };
  for (const auto& [nome, bytes] : arquivos) {
    ListEditor limpo;
    limpo.dialogs = &dialogos;
    limpo.progress = &progresso;
    ASSERT_EQ(quorvel::abrirCSVTurbo(limpo, escrever(nome + ".txt", bytes)), ReadResult::ok);
    Rows linhas = esperado;
    if (nome == "cp1252") linhas.insert(linhas.begin() + 4, {"", ""});  // its blank line
    EXPECT_EQ(rowsOf(limpo.gridMain), linhas) << nome;
  }
}

// Files larger than the pieces they are decoded in (1 MB), with a surrogate pair astride the
// first piece's end, read the same as their UTF-8 form.
TEST_F(ListLoading, FileReaderDecodesLargeFilesPieceByPiece) {
  std::u16string texto = u"x;";
  texto.append(524285, u'a');  // the pair's first unit is the last unit of the first piece
  texto += u"\U0001F600;b\r\n";
  for (int i = 0; texto.size() < 1'500'000; ++i)
    texto += u"concei\u00e7\u00e3o" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) +
             u"@x.com.br;Jos\u00e9 \u20ac \U0001F600\r\n";
  std::string utf8;
  for (size_t i = 0; i < texto.size(); ++i) {
    char32_t c = texto[i];
    if (c >= 0xD800 && c <= 0xDBFF) c = 0x10000 + ((c - 0xD800) << 10) + (texto[++i] - 0xDC00);
    quorvel::appendUtf8(utf8, c);
  }
  ListEditor referencia;
  referencia.progress = &progresso;
  ASSERT_EQ(quorvel::abrirCSVTurbo(referencia, escrever("utf8.csv", utf8)), ReadResult::ok);
  ASSERT_EQ(referencia.gridMain.cell(1, 2).size(), 524285u + 4);

  for (const auto& [nome, bytes] : std::vector<std::pair<std::string, std::string>>{
           {"le", utf16le(texto)}, {"be", utf16be(texto)}}) {
    ListEditor lido;
    lido.progress = &progresso;
    ASSERT_EQ(quorvel::abrirCSVTurbo(lido, escrever(nome + ".csv", bytes)), ReadResult::ok);
    EXPECT_TRUE(rowsOf(lido.gridMain) == rowsOf(referencia.gridMain)) << nome;
  }

  // Windows-1252: the same without the characters it does not have.
  std::string cp1252, utf8Latino;
  for (int i = 0; cp1252.size() < 1'500'000; ++i) {
    cp1252 += "concei\xE7\xE3o" + std::to_string(i) + "@x.com.br;Jos\xE9 \x80 \x93ok\x94\r\n";
    utf8Latino +=
        "concei\u00e7\u00e3o" + std::to_string(i) + "@x.com.br;Jos\u00e9 \u20ac \u201cok\u201d\r\n";
  }
  ListEditor latino, referenciaLatino;
  latino.progress = referenciaLatino.progress = &progresso;
  ASSERT_EQ(quorvel::abrirCSVTurbo(latino, escrever("cp1252.csv", cp1252)), ReadResult::ok);
  ASSERT_EQ(quorvel::abrirCSVTurbo(referenciaLatino, escrever("latino.csv", utf8Latino)),
            ReadResult::ok);
  EXPECT_GT(latino.gridMain.rowCount(), 30000);
  EXPECT_TRUE(rowsOf(latino.gridMain) == rowsOf(referenciaLatino.gridMain));
}

TEST_F(ListLoading, FileReaderReadsTheUtf16Fixture) {
  // Saved by a spreadsheet as "Unicode text": UTF-16 LE, tabs, a quoted name with a tab in it.
  ASSERT_EQ(quorvel::abrirCSVTurbo(e, std::string(QUORVEL_TEST_DATA) + "/listas/utf16le.txt"),
            ReadResult::ok);
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails", ""},
                                      {"", ""},
                                      {"nome", "email"},
                                      {"João\tda Silva", "joão@exemplo.com.br"},
                                      {"Ana", "ana@exemplo.com.br"}}));
}

TEST_F(ListLoading, FileReaderReportsMissingAndEmptyFilesAndLeavesTheListAlone) {
  fill(e.gridMain, {{"emails"}, {"a@x.com"}});
  struct Caso {
    std::optional<std::string> bytes;  // nullopt: no such file
    std::string nome, erro;
  };
  const std::string pasta = (home / "dados").string();
  const std::vector<Caso> casos = {
      {std::nullopt, "sumiu.csv", "Não foi possível abrir o arquivo: " + pasta + "/sumiu.csv"},
      {"", "vazio.csv", "O arquivo vazio.csv está vazio"},
      {"\r\n\r\n  \t\r\n\n\r", "brancos.csv", "O arquivo brancos.csv está vazio"},
      {"\xEF\xBB\xBF\r\n", "bom.csv", "O arquivo bom.csv está vazio"},
      {utf16le(u"  \r\n"), "utf16.csv", "O arquivo utf16.csv está vazio"},
  };
  for (const auto& c : casos) {
    dialogos.messages.clear();
    std::string caminho = c.bytes ? escrever(c.nome, *c.bytes) : pasta + "/" + c.nome;
    EXPECT_EQ(quorvel::abrirCSVTurbo(e, caminho), ReadResult::erro);
    EXPECT_EQ(dialogos.messages, (std::vector<quorvel::RecordedMessage>{{"error", c.erro, "", 0}}));
  }
  // A folder chosen as a file cannot be opened either.
  dialogos.messages.clear();
  EXPECT_EQ(quorvel::abrirCSVTurbo(e, pasta), ReadResult::erro);
  EXPECT_EQ(dialogos.texts("error"),
            (std::vector<std::string>{"Não foi possível abrir o arquivo: " + pasta}));
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails"}, {"a@x.com"}}));
  EXPECT_TRUE(e.gridVisivel);
  EXPECT_FALSE(progresso.visible);
}

TEST_F(ListLoading, FileReaderShowsProgressEveryThousandLines) {
  std::string arquivo;
  for (int i = 0; i < 2500; ++i) arquivo += "u" + std::to_string(i) + "@x.com\r\n";
  std::vector<std::string> legendas;
  bool visivelDurante = true;
  progresso.onStep = [&](quorvel::RecordingProgress& p) {
    legendas.push_back(p.legend1);
    visivelDurante = visivelDurante && e.gridVisivel;
  };
  ASSERT_EQ(ler(arquivo), ReadResult::ok);
  EXPECT_EQ(progresso.operation, "Carregando dados...");
  EXPECT_EQ(progresso.maximum, 2);
  EXPECT_EQ(progresso.legend2, "Total de linhas: 2.500");
  EXPECT_EQ(legendas, (std::vector<std::string>{"Processados: 1.000", "Processados: 2.000"}));
  EXPECT_FALSE(visivelDurante);  // the grid is hidden while reading
  EXPECT_TRUE(e.gridVisivel);
  EXPECT_FALSE(progresso.visible);
  EXPECT_EQ(e.gridMain.rowCount(), 2 + 2500);
}

TEST_F(ListLoading, FileReaderStopsWhenCancelledKeepingTheRowsRead) {
  std::string arquivo;
  for (int i = 0; i < 5000; ++i) arquivo += "u" + std::to_string(i) + "@x.com\n";
  progresso.onStep = [](quorvel::RecordingProgress& p) { p.cancelRequested = true; };
  EXPECT_EQ(ler(arquivo), ReadResult::cancelado);
  EXPECT_EQ(dialogos.texts("information"), (std::vector<std::string>{"Procedimento cancelado"}));
  EXPECT_EQ(e.gridMain.rowCount(), 2 + 1000);
  EXPECT_EQ(e.gridMain.cell(0, 1001), "u999@x.com");
  EXPECT_TRUE(e.gridVisivel);
  EXPECT_FALSE(progresso.visible);
}

TEST_F(ListLoading, FileReaderCopesWithATenMegabyteLine) {
  std::string linha;
  linha.reserve(10'500'000);
  while (linha.size() < 10'000'000) linha += "palavra qualquer sem separador ";
  ASSERT_EQ(ler(linha + "\r\na@x.com"), ReadResult::ok);
  EXPECT_EQ(e.gridMain.colCount(), 1);
  EXPECT_EQ(e.gridMain.cell(0, 2), quorvel::trim(linha));
  EXPECT_EQ(e.gridMain.cell(0, 3), "a@x.com");

  // The same line with a separator every few characters widens the list once, and a quote
  // that never closes does not swallow the rest of the file.
  ListEditor outro;
  outro.dialogs = &dialogos;
  outro.progress = &progresso;
  std::string larga = "\"";
  while (larga.size() < 10'000'000) larga += "abcdefghi,";
  ASSERT_EQ(quorvel::abrirCSVTurbo(outro, escrever("larga.csv", larga + "\r\nx,y")),
            ReadResult::ok);
  EXPECT_EQ(outro.gridMain.colCount(), 1'000'000);
  EXPECT_EQ(outro.gridMain.rowCount(), 4);
  EXPECT_EQ(outro.gridMain.cell(0, 2), "abcdefghi");
  EXPECT_EQ(outro.gridMain.cell(1, 3), "y");
}

// A file another program cuts short or extends while it is read is not taken as a list: the
// change happens at the moment the reader reports it has read the first piece.
TEST_F(ListLoading, FileReaderRefusesAFileThatChangesWhileItIsRead) {
  std::string arquivo;
  for (int i = 0; arquivo.size() < (size_t{9} << 20); ++i)
    arquivo += "pessoa" + std::to_string(i) + "@empresa.com.br;Nome " + std::to_string(i) + "\r\n";
  fill(e.gridMain, {{"emails"}, {"a@x.com"}});
  const std::string caminho = escrever("mudando.csv", arquivo);
  const std::vector<std::pair<const char*, std::function<void()>>> mudancas = {
      {"cortado", [&] { fs::resize_file(caminho, arquivo.size() / 2); }},
      {"aumentado", [&] { std::ofstream(caminho, std::ios::app) << "mais@x.com\r\n"; }},
  };
  for (const auto& [nome, mudar] : mudancas) {
    SCOPED_TRACE(nome);
    escrever("mudando.csv", arquivo);
    dialogos.messages.clear();
    bool feito = false;
    quorvel::setPausePointHook([&](std::string_view ponto, std::string_view sobre) {
      if (ponto == "file-read" && sobre == "mudando.csv" && !feito) {
        feito = true;
        mudar();
      }
    });
    EXPECT_EQ(quorvel::abrirCSVTurbo(e, caminho), ReadResult::erro);
    quorvel::setPausePointHook({});
    EXPECT_TRUE(feito);
    EXPECT_EQ(dialogos.texts("error"),
              std::vector<std::string>{quorvel::msgArquivoMudou("mudando.csv")});
    EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails"}, {"a@x.com"}}));
  }
}

TEST_F(ListLoading, FileReaderRefusesALineOrQuotedFieldPastSixteenMegabytes) {
  const std::string longa(quorvel::kMaiorLinha + 10, 'a');
  std::string campo = "\"";
  while (campo.size() <= quorvel::kMaiorLinha) campo += std::string(1000, 'b') + "\r\n";
  struct Caso {
    std::string bytes;
    int64_t linha;
  } casos[] = {
      {"email\r\nana@x.com\r\n" + longa + "\r\nbia@x.com\r\n", 3},
      {"email\r\nana@x.com\r\n" + longa, 3},
      {"email;nome\r\nana@x.com;" + campo + "\"\r\n", 2},
  };
  fill(e.gridMain, {{"emails"}, {"a@x.com"}});
  for (const auto& c : casos) {
    dialogos.messages.clear();
    EXPECT_EQ(ler(c.bytes, "enorme.csv"), ReadResult::erro);
    EXPECT_EQ(dialogos.texts("error"),
              std::vector<std::string>{quorvel::msgLinhaLonga("enorme.csv", c.linha)});
    EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails"}, {"a@x.com"}}));
  }
  EXPECT_EQ(quorvel::msgLinhaLonga("x.csv", 1234),
            "O arquivo x.csv não foi carregado: a linha 1.234 passa de 16 MB, o que nenhuma lista "
            "tem (um arquivo que não é de texto, ou sem quebras de linha).");
}

TEST_F(ListLoading, FileReaderNeverWritesItsFile) {
  const std::string conteudo = "\"a\",\"b\"\r\nc;d\r\n";
  std::string caminho = escrever("intocado.csv", conteudo);
  struct stat antes {};
  ASSERT_EQ(::stat(caminho.c_str(), &antes), 0);
  ASSERT_EQ(quorvel::abrirCSVTurbo(e, caminho), ReadResult::ok);
  struct stat depois {};
  ASSERT_EQ(::stat(caminho.c_str(), &depois), 0);
  EXPECT_EQ(*quorvel::readFileBytes(caminho), conteudo);
  EXPECT_EQ(antes.st_mtim.tv_sec, depois.st_mtim.tv_sec);
  EXPECT_EQ(antes.st_mtim.tv_nsec, depois.st_mtim.tv_nsec);
  EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(home / "dados"), {}).size(), 1u);
}

// ---------------------------------------------------------------------------------------------
// Paste reader

TEST_F(ListLoading, PasteReaderSplitsEveryLineAtTheFirstLinesSeparator) {
  struct Caso {
    std::string texto;
    Rows lista;  // the whole list afterwards (from the start list)
  };
  const std::vector<Caso> casos = {
      // ";" in the first line wins even when later lines use tabs.
      {"a@x.com;Ana\r\nb@x.com\tBia;SP",
       {{"emails", ""}, {"a@x.com", "Ana"}, {"b@x.com\tBia", "SP"}}},
      // Otherwise tab, otherwise ",", otherwise one field per line.
      {"a@x.com\tAna, Souza\nb@x.com,Bia",
       {{"emails", ""}, {"a@x.com", "Ana, Souza"}, {"b@x.com,Bia", ""}}},
      {"a@x.com, Ana\rb@x.com ; Bia", {{"emails", ""}, {"a@x.com", "Ana"}, {"b@x.com ; Bia", ""}}},
      {"a@x.com\nb@x.com", {{"emails"}, {"a@x.com"}, {"b@x.com"}}},
      // Fields are trimmed after the quotes go; empty ones stay empty; a separator at the end
      // gives an empty field (here in a column that keeps its data, so it stays).
      {"\" a@x.com \";\"Ana \"\"A\"\"\"\r\nb@x.com;;SP;\r\n;c",
       {{"emails", "", ""}, {"a@x.com", "Ana A", ""}, {"b@x.com", "", "SP"}, {"", "c", ""}}},
      // A blank line gives an empty row; lines wider than the list widen it.
      {"a@x.com,Ana\r\n\r\nb@x.com,Bia,SP",
       {{"emails", "", ""}, {"a@x.com", "Ana", ""}, {"", "", ""}, {"b@x.com", "Bia", "SP"}}},
  };
  for (const auto& c : casos) {
    ListEditor limpo;
    limpo.dialogs = &dialogos;
    limpo.progress = &progresso;
    quorvel::colarCheck(limpo, c.texto);
    EXPECT_EQ(rowsOf(limpo.gridMain), c.lista) << c.texto;
  }
}

TEST_F(ListLoading, PasteReaderDropsATrailingBlankColumnWithoutAHeader) {
  quorvel::colarCheck(e, "a;b;");
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails", ""}, {"a", "b"}}));

  // A blank column keeps its place while it has a header.
  ListEditor outro;
  outro.dialogs = &dialogos;
  outro.progress = &progresso;
  fill(outro.gridMain, {{"emails", "nome", "uf"}, {"x@x.com", "", ""}});
  quorvel::colarCheck(outro, "a@x.com;;");
  EXPECT_EQ(rowsOf(outro.gridMain),
            (Rows{{"emails", "nome", "uf"}, {"x@x.com", "", ""}, {"a@x.com", "", ""}}));
}

TEST_F(ListLoading, PasteReaderKeepsAFilledFirstRowAndMarksTheListEdited) {
  fill(e.gridMain, {{"emails"}, {"x@x.com"}});
  e.gArquivos["0"] = "/algum/arquivo.csv";
  e.gEditou["0"] = "0";
  quorvel::colarCheck(e, "a@x.com");
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails"}, {"x@x.com"}, {"a@x.com"}}));
  EXPECT_EQ(e.editouDaAba(0), "1");
  EXPECT_EQ(e.arquivoDaAba(0), "");
  EXPECT_EQ(e.status.saved, "Não");
  EXPECT_EQ(e.status.items, "2");
  EXPECT_EQ(e.status.file, "Arquivo: ");
  EXPECT_TRUE(e.gridVisivel);
  EXPECT_FALSE(progresso.visible);
}

TEST_F(ListLoading, PastingNothingOnlyClearsTheFilePath) {
  e.gArquivos["0"] = "/algum/arquivo.csv";
  e.gEditou["0"] = "0";
  quorvel::colarCheck(e, "");
  quorvel::colarCheck(e, " \r\n ");
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails"}, {""}}));
  EXPECT_EQ(e.arquivoDaAba(0), "");
  EXPECT_EQ(e.editouDaAba(0), "0");
  EXPECT_EQ(progresso.operation, "");  // no progress shown
  EXPECT_TRUE(dialogos.messages.empty());
}

TEST_F(ListLoading, PasteReaderStepsEveryTenLinesAndHonoursCancel) {
  std::string texto;
  for (int i = 1; i <= 35; ++i) texto += "u" + std::to_string(i) + "@x.com\n";
  std::vector<std::string> legendas;
  progresso.onStep = [&](quorvel::RecordingProgress& p) {
    legendas.push_back(p.legend1);
    if (legendas.size() == 2) p.cancelRequested = true;
  };
  quorvel::colarCheck(e, texto);
  EXPECT_EQ(progresso.operation, "Carregando dados...");
  EXPECT_EQ(progresso.maximum, 3);
  EXPECT_EQ(legendas, (std::vector<std::string>{"Processados: 10", "Processados: 20"}));
  EXPECT_EQ(dialogos.texts("information"), (std::vector<std::string>{"Operação cancelada"}));
  // The rows read so far stay, and so does the start list's blank row 1 (no clean-up).
  EXPECT_EQ(e.gridMain.rowCount(), 2 + 20);
  EXPECT_EQ(e.gridMain.cell(0, 1), "");
  EXPECT_EQ(e.gridMain.cell(0, 21), "u20@x.com");
  EXPECT_TRUE(e.gridVisivel);
  EXPECT_FALSE(progresso.visible);
  EXPECT_EQ(e.arquivoDaAba(0), "");
}

TEST_F(ListLoading, PasteFromTheClipboardIsTrimmed) {
  plataforma.areaDeTransferencia = "\r\n  a@x.com;Ana  \r\nb@x.com;Bia\r\n\r\n";
  quorvel::executarColar(e);
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails", ""}, {"a@x.com", "Ana"}, {"b@x.com", "Bia"}}));
  EXPECT_EQ(e.status.items, "2");

  plataforma.areaDeTransferencia = "";
  e.gArquivos["0"] = "/x.csv";
  quorvel::executarColar(e);
  EXPECT_EQ(e.arquivoDaAba(0), "");
}

TEST_F(ListLoading, TypedInputGoesToThePasteReader) {
  dialogos.memos = {std::string("  a@x.com\r\nb@x.com  "), std::string(" \r\n "), std::nullopt};
  quorvel::inserirInput(e);
  quorvel::inserirInput(e);  // blank: nothing
  quorvel::inserirInput(e);  // closed with Esc: nothing
  EXPECT_EQ(
      dialogos.texts("memo"),
      std::vector<std::string>(3, "Digite ou cole os dados que quer inserir na lista de dados"));
  EXPECT_EQ(dialogos.botoes, std::vector<std::string>(3, "Ok"));
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails"}, {"a@x.com"}, {"b@x.com"}}));
  EXPECT_EQ(e.editouDaAba(0), "1");
}

// ---------------------------------------------------------------------------------------------
// "Abrir lista"

TEST_F(ListLoading, OpenTurnsAFirstLineWithoutAddressesIntoTheHeader) {
  std::string caminho =
      escrever("clientes.csv", "nome;email\r\nAna;ana@x.com\r\nBia;bia@x.com\r\n");
  dialogos.values = {caminho};
  quorvel::btnAbrirClick(e);
  EXPECT_EQ(dialogos.texts("open"), (std::vector<std::string>{(home / "dados").string() + "/"}));
  EXPECT_EQ(rowsOf(e.gridMain),
            (Rows{{"nome", "email"}, {"Ana", "ana@x.com"}, {"Bia", "bia@x.com"}}));
  EXPECT_EQ(e.arquivoDaAba(0), caminho);
  EXPECT_EQ(e.editouDaAba(0), "0");
  EXPECT_EQ(e.status.saved, "Sim");
  EXPECT_EQ(e.status.items, "2");
  EXPECT_EQ(e.gridMain.cursorRow, 1);
  EXPECT_GE(e.gridMain.colWidth(0), 70);  // columns were fitted
  EXPECT_TRUE(dialogos.texts("error").empty());
}

TEST_F(ListLoading, OpenKeepsOrNamesTheHeaderOfOneColumnLists) {
  // A one-column list of addresses keeps the start list's "emails".
  dialogos.values = {escrever("a.txt", "a@x.com\nb@x.com\n")};
  quorvel::btnAbrirClick(e);
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails"}, {"a@x.com"}, {"b@x.com"}}));

  // A blank header of one column becomes "e-mails"; blank headers of several, "Coluna n".
  e.novaLista(e.gridMain, true);
  e.gEditou["0"] = "0";
  dialogos.values = {escrever("b.txt", "c@x.com\n")};
  quorvel::btnAbrirClick(e);
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"e-mails"}, {"c@x.com"}}));

  e.novaLista(e.gridMain, true);
  e.gEditou["0"] = "0";
  dialogos.values = {escrever("c.txt", "d@x.com,Dani,,SP\n")};
  quorvel::btnAbrirClick(e);
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"Coluna 1", "Coluna 2", "Coluna 3", "Coluna 4"},
                                      {"d@x.com", "Dani", " ", "SP"}}));
}

TEST_F(ListLoading, OpenMakesADataLineWithoutAtTheHeaderEvenWhenItIsData) {
  dialogos.values = {escrever("a.txt", "Ana;Silva\r\nBia;Souza\r\n")};
  quorvel::btnAbrirClick(e);
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"Ana", "Silva"}, {"Bia", "Souza"}}));
}

TEST_F(ListLoading, OpenSeveralFilesAppendsThemAndMarksTheListEdited) {
  std::string a = escrever("a.csv", "email;nome\r\na@x.com;Ana\r\n");
  std::string b = escrever("b.csv", "email;nome\r\nb@x.com;Bia\r\n");
  dialogos.values = {a + "\r\n" + b};
  quorvel::btnAbrirClick(e);
  // The second file's header line stays a data row: row 1 holds an address.
  EXPECT_EQ(rowsOf(e.gridMain),
            (Rows{{"email", "nome"}, {"a@x.com", "Ana"}, {"email", "nome"}, {"b@x.com", "Bia"}}));
  EXPECT_EQ(e.arquivoDaAba(0), "");
  EXPECT_EQ(e.editouDaAba(0), "1");
  EXPECT_EQ(e.status.saved, "Não");

  // Opening one more file into the edited list asks first; "no" changes nothing.
  dialogos.answers = {quorvel::kNao};
  quorvel::btnAbrirClick(e);
  EXPECT_EQ(dialogos.texts("question"),
            (std::vector<std::string>{"Os dados foram editados. Caso você prossiga sem salvar, as "
                                      "alterações serão perdidas. Deseja prosseguir?"}));
  EXPECT_EQ(dialogos.texts("open").size(), 1u);
  EXPECT_EQ(e.gridMain.rowCount(), 4);

  // "Yes" goes on. One file opened into a list that already holds rows does not make the list
  // that file's: "Salvar" would write the other rows into it.
  dialogos.answers = {quorvel::kSim};
  std::string c = escrever("c.csv", "c@x.com;Caio\r\n");
  dialogos.values = {c};
  quorvel::btnAbrirClick(e);
  EXPECT_EQ(e.gridMain.rowCount(), 5);
  EXPECT_EQ(e.arquivoDaAba(0), "");
  EXPECT_EQ(e.editouDaAba(0), "1");
  EXPECT_EQ(e.status.saved, "Não");
}

TEST_F(ListLoading, OpenOneFileIntoAListThatHasAFileLeavesItUnsaved) {
  e.gArquivos["0"] = "/antes.csv";
  e.gEditou["0"] = "0";
  dialogos.values = {escrever("a.csv", "a@x.com\r\n")};
  quorvel::btnAbrirClick(e);
  EXPECT_EQ(e.arquivoDaAba(0), "");
  EXPECT_EQ(e.editouDaAba(0), "1");
}

TEST_F(ListLoading, OpenReportsAFileThatVanishedAndReadsTheNext) {
  std::string sumiu = escrever("sumiu.csv", "x@x.com\r\n");
  std::string fica = escrever("fica.csv", "email\r\nb@x.com\r\n");
  dialogos.values = {sumiu + "\n" + fica};
  fs::remove(sumiu);  // deleted after it was chosen
  quorvel::btnAbrirClick(e);
  EXPECT_EQ(dialogos.texts("error"),
            (std::vector<std::string>{"Não foi possível abrir o arquivo: " + sumiu}));
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"email"}, {"b@x.com"}}));

  // A single chosen file that cannot be read opens nothing: the list is not "saved", and its
  // names stay (a blank row is never made the header).
  ListEditor outro;
  outro.dialogs = &dialogos;
  outro.progress = &progresso;
  outro.programFolder = home.string();
  dialogos.values = {sumiu};
  quorvel::btnAbrirClick(outro);
  EXPECT_EQ(rowsOf(outro.gridMain), (Rows{{"emails"}, {""}}));
  EXPECT_EQ(outro.arquivoDaAba(0), "");
  EXPECT_EQ(outro.status.saved, "Não");
}

TEST_F(ListLoading, OpenWithNoChoiceDoesNothing) {
  dialogos.values = {""};
  quorvel::btnAbrirClick(e);
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails"}, {""}}));
  EXPECT_EQ(e.editouDaAba(0), "");
  EXPECT_EQ(e.arquivoDaAba(0), "");
}

TEST_F(ListLoading, OpenStopsWithoutCleanUpWhenCancelled) {
  std::string arquivo = "nome\r\n";
  for (int i = 0; i < 3000; ++i) arquivo += "u" + std::to_string(i) + "@x.com\r\n";
  std::string a = escrever("a.csv", arquivo);
  std::string b = escrever("b.csv", "b@x.com\r\n");
  dialogos.values = {a + "\n" + b};
  progresso.onStep = [](quorvel::RecordingProgress& p) { p.cancelRequested = true; };
  quorvel::btnAbrirClick(e);
  EXPECT_EQ(dialogos.texts("information"),
            (std::vector<std::string>{"Procedimento cancelado", "Processamento cancelado"}));
  // The start list's blank row and the file's header line are where they were read.
  EXPECT_EQ(e.gridMain.rowCount(), 2 + 1000);
  EXPECT_EQ(rowsOf(e.gridMain)[0], (std::vector<std::string>{"emails"}));
  EXPECT_EQ(e.gridMain.cell(0, 1), "");
  EXPECT_EQ(e.gridMain.cell(0, 2), "nome");
  EXPECT_EQ(e.editouDaAba(0), "1");  // the rows read stay: the list changed
  EXPECT_TRUE(e.gridVisivel);
}

TEST_F(ListLoading, OpenMovesToPrincipalAndRemovesLeadingBlankRows) {
  e.setAbaAtiva(quorvel::kAbaValidos);
  fill(e.gridMain, {{"emails"}, {""}, {" "}, {""}});
  dialogos.values = {escrever("a.csv", "a@x.com\r\nb@x.com")};
  quorvel::btnAbrirClick(e);
  EXPECT_EQ(e.abaAtiva(), quorvel::kAbaPrincipal);
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails"}, {"a@x.com"}, {"b@x.com"}}));
  EXPECT_EQ(rowsOf(e.gridValidos), (Rows{{""}, {""}}));
}

// ---------------------------------------------------------------------------------------------
// Dropped files

TEST_F(ListLoading, ADroppedFileOpensAsWithAbrirLista) {
  // A CRM export dropped on a new list: its header line is the header, as with "Abrir lista".
  std::string a = escrever("a.csv", "Nome;E-mail\r\nAna;ana@x.com\r\n");
  quorvel::soltarArquivos(e, {"  " + a + " "}, false);
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"Nome", "E-mail"}, {"Ana", "ana@x.com"}}));
  EXPECT_EQ(e.arquivoDaAba(0), a);
  EXPECT_EQ(e.editouDaAba(0), "0");
  EXPECT_EQ(e.status.saved, "Sim");
  EXPECT_EQ(e.status.items, "1");
  EXPECT_TRUE(dialogos.messages.empty());  // no question about unsaved edits

  // Into a list that has a file of its own, it is no longer that file.
  ListEditor outra;
  outra.dialogs = &dialogos;
  outra.gArquivos["0"] = "/antes.csv";
  outra.gEditou["0"] = "0";
  quorvel::soltarArquivos(outra, {a}, false);
  EXPECT_EQ(rowsOf(outra.gridMain), (Rows{{"Nome", "E-mail"}, {"Ana", "ana@x.com"}}));
  EXPECT_EQ(outra.arquivoDaAba(0), "");
  EXPECT_EQ(outra.status.saved, "Não");
}

TEST_F(ListLoading, DropOfSeveralFilesLeavesTheListUnsavedWithoutAFile) {
  e.setAbaAtiva(quorvel::kAbaInvalidos);
  e.gArquivos["2"] = "/invalidos.csv";
  e.gEditou["2"] = "0";
  std::string a = escrever("a.txt", "a@x.com\r\n");
  std::string b = escrever("b.txt", "b@x.com\r\n");
  quorvel::soltarArquivos(e, {a, (home / "nao-existe.txt").string(), b}, false);
  EXPECT_EQ(rowsOf(e.gridInvalidos), (Rows{{"e-mails"}, {"a@x.com"}, {"b@x.com"}}));
  EXPECT_EQ(e.arquivoDaAba(2), "");
  EXPECT_EQ(e.editouDaAba(2), "1");
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails"}, {""}}));
  EXPECT_TRUE(dialogos.messages.empty());  // a path that does not exist is skipped quietly
}

TEST_F(ListLoading, DroppedSpreadsheetStopsTheDrop) {
  std::string a = escrever("a.txt", "a@x.com\r\n");
  std::string planilha = escrever("planilha.xlsx", "PK\x03\x04");
  std::string b = escrever("b.txt", "b@x.com\r\n");
  std::string maiusculas = escrever("PLANILHA.XLS", "x@x.com");  // the test is case-sensitive
  quorvel::soltarArquivos(e, {a, planilha, b}, false);
  EXPECT_EQ(dialogos.texts("error"),
            (std::vector<std::string>{
                "Opa, opa opa... Por favor primeiro abra a planilha do Excel e copie os dados. "
                "Depois basta você colar aqui usando CTRL + V ou então pelo menu \"Editar /  "
                "Colar\""}));
  // The file before it was read and opened as usual; nothing after it.
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails"}, {"a@x.com"}}));
  EXPECT_EQ(e.arquivoDaAba(0), a);

  dialogos.messages.clear();
  quorvel::soltarArquivos(e, {maiusculas}, false);
  EXPECT_TRUE(dialogos.messages.empty());
  EXPECT_EQ(e.gridMain.cell(0, 2), "x@x.com");
  EXPECT_EQ(e.arquivoDaAba(0), "");
}

TEST_F(ListLoading, DropOnTheValidationPageOnlyListsTheFiles) {
  std::string a = escrever("a.txt", "a@x.com\r\n");
  std::vector<std::string> lote;
  quorvel::soltarArquivos(e, {a, (home / "nao-existe.txt").string()}, true,
                          [&](const std::string& c) { lote.push_back(c); });
  EXPECT_EQ(lote, std::vector<std::string>{a});
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"emails"}, {""}}));
  EXPECT_EQ(e.editouDaAba(0), "");
  EXPECT_EQ(e.arquivoDaAba(0), "");
}

// ---------------------------------------------------------------------------------------------
// Extractor page

TEST_F(ListLoading, ExtractorReadsAnAddressBook) {
  const std::string texto =
      "Ana Silva <ana@x.com>; \"Bia Souza\" <bia@x.com>,caio@x.com, <dani@x.com>";
  ASSERT_TRUE(quorvel::extrairEmails(e, texto, false));
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"nome", "e-mails"},
                                      {"Ana Silva", "ana@x.com"},
                                      {"Bia Souza", "bia@x.com"},
                                      {"", "caio@x.com"},
                                      {"", "dani@x.com"}}));
  EXPECT_EQ(e.editouDaAba(0), "1");
  EXPECT_EQ(e.status.saved, "Não");
  EXPECT_TRUE(dialogos.messages.empty());  // two rows or fewer: no question
}

TEST_F(ListLoading, ExtractorHandsOtherTextsToTheExtractor) {
  std::vector<std::string> recebidos;
  e.extratorEmails = [&](const std::string& t) {
    recebidos.push_back(t);
    return std::string("a@x.com\r\nb@x.com\r\n");
  };
  const std::string texto = "Fale com <a@x.com>, ou b@x.com";
  ASSERT_TRUE(quorvel::extrairEmails(e, texto, true));  // the raw extractor: no address book
  EXPECT_EQ(recebidos, std::vector<std::string>{texto});
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"e-mails"}, {"a@x.com"}, {"b@x.com"}}));

  // Loaded data is discarded only after a "yes".
  dialogos.answers = {quorvel::kNao};
  EXPECT_FALSE(quorvel::extrairEmails(e, "c@x.com", false));
  EXPECT_EQ(e.gridMain.rowCount(), 3);
  EXPECT_EQ(dialogos.texts("question"),
            (std::vector<std::string>{"Ao usar o extrator, dados que já estiverem carregados na "
                                      "seção principal serão descartados. Deseja continuar?"}));
  dialogos.answers = {quorvel::kSim};
  EXPECT_TRUE(quorvel::extrairEmails(e, "c@x.com", false));
  EXPECT_EQ(recebidos.back(), "c@x.com");
}

TEST_F(ListLoading, ExtractorNotConnectedLoadsNothing) {
  fill(e.gridMain, {{"emails", "nome"}, {"a@x.com", "Ana"}});
  e.gArquivos["0"] = "/lista.csv";
  ASSERT_TRUE(quorvel::extrairEmails(e, "um texto com a@x.com", false));
  EXPECT_EQ(rowsOf(e.gridMain), (Rows{{"e-mails"}, {""}}));
  EXPECT_EQ(e.arquivoDaAba(0), "");
}

}  // namespace
