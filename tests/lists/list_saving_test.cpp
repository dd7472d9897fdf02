#include "lists/list_saving.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "common/text_file.h"
#include "lists/list_loading.h"
#include "support/grid_builder.h"
#include "support/scripted_ports.h"

namespace fs = std::filesystem;
using quorvel::ListEditor;
using quorvel::TextGrid;
using quorvel::testing::fill;
using quorvel::testing::Rows;
using quorvel::testing::rowsOf;

namespace {

const std::string kBom = "\xEF\xBB\xBF";

class ListSaving : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string modelo = (fs::temp_directory_path() / "quorvel-salvamento-XXXXXX").string();
    ASSERT_NE(::mkdtemp(modelo.data()), nullptr);
    home = modelo;
    dados = (home / "dados").string();
    e.dialogs = &dialogos;
    e.progress = &progresso;
    e.programFolder = home.string();
  }
  void TearDown() override { fs::remove_all(home); }

  std::string bytesDe(const std::string& caminho) const {
    auto b = quorvel::readFileBytes(caminho);
    return b ? *b : "<ilegível>";
  }

  fs::path home;
  std::string dados;
  quorvel::ScriptedDialogs dialogos;
  quorvel::RecordingProgress progresso;
  ListEditor e;
};

TEST(SaveFormat, OnlyCellsThatWouldNotReadBackAreQuoted) {
  struct Caso {
    std::vector<std::string> celulas;
    char separador;
    bool ultimo;  // the header row: an empty last field is kept
    std::string linha;
  };
  const std::vector<Caso> casos = {
      {{"emails"}, ',', false, "emails"},
      {{"nome", "", "ana"}, ',', false, "nome,,ana"},  // an empty cell is nothing
      {{"", ""}, ',', false, ","},
      {{"a", " "}, ',', false, "a,"},  // the single space of an empty field is nothing too
      {{"Silva, Ana", "diz \"oi\"", "\""},
       ',',
       false,
       "\"Silva, Ana\",\"diz \"\"oi\"\"\",\"\"\"\""},
      {{"linha 1\r\nlinha 2", "ação"}, ',', false, "\"linha 1\r\nlinha 2\",ação"},
      {{"  espaços  ", "x"}, ';', false, "\"  espaços  \";x"},
      // Any separator is quoted, whichever the file uses: the reader picks one from the first
      // line, so a comma in a ";" file must not look like one.
      {{"a;b", "Silva, Ana", "ok"}, ';', false, "\"a;b\";\"Silva, Ana\";ok"},
      {{"a", "b\tc"}, '\t', false, "a\t\"b\tc\""},
      {{"nome", "email", ""}, ';', true, "nome;email;\"\""},
      {{"nome", "email", ""}, ';', false, "nome;email;"},
  };
  for (const auto& c : casos) {
    std::string out = "x";
    quorvel::acrescentarLinhaCSV(out, c.celulas, c.separador, c.ultimo);
    EXPECT_EQ(out, "x" + c.linha);
  }
}

TEST_F(ListSaving, SavesEveryRowAsSeparatedUtf8QuotingOnlyWhatNeedsIt) {
  fill(e.gridMain, {{"emails", "nome", "obs"},
                    {"a@x.com", "", "Ana"},
                    {"", "", ""},
                    {"b@x.com", " ", "diz \"oi\", e sai"}});
  const std::string arquivo = dados + "/lista.csv";
  ASSERT_TRUE(quorvel::salvarComo(e, arquivo, true));
  EXPECT_EQ(bytesDe(arquivo), kBom +
                                  "emails,nome,obs\r\n"
                                  "a@x.com,,Ana\r\n"
                                  ",,\r\n"
                                  "b@x.com,,\"diz \"\"oi\"\", e sai\"\r\n");
  EXPECT_EQ(e.arquivoDaAba(0), arquivo);
  EXPECT_EQ(e.editouDaAba(0), "0");
  EXPECT_EQ(e.status.saved, "Sim");
  EXPECT_EQ(e.status.file, "Arquivo: " + arquivo);
  EXPECT_TRUE(e.gridVisivel);
  EXPECT_FALSE(progresso.visible);
  EXPECT_TRUE(dialogos.messages.empty());
  // Only the file itself is left in the folder (no temporary file).
  EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(dados), {}).size(), 1u);
}

TEST_F(ListSaving, OneColumnListIsOneValuePerLine) {
  fill(e.gridMain, {{"emails"}, {"a@x.com"}, {"b@x.com"}});
  ASSERT_TRUE(quorvel::salvarComo(e, dados + "/um.csv", true));
  EXPECT_EQ(bytesDe(dados + "/um.csv"), kBom + "emails\r\na@x.com\r\nb@x.com\r\n");
}

TEST_F(ListSaving, SavedListLoadsBackIntoTheSameCells) {
  const Rows lista = {
      {"nome", "email", "obs", ""},  // a last column without a name keeps its data
      {"Silva, Ana", "ana@x.com", "diz \"oi\"; tchau", ""},
      {"João \"Jota\" Conceição", "joao@x.com", "linha 1\r\nlinha 2\nlinha 3\rfim", " "},
      {" ", "", "\"", ","},
      {"a; b, c\td", "x@x.com", "  espaços  ", "\"\""},
      {"", "", "", "fim"},
      {"", "", "", ""},
      {"a@x.com", "", "", ""},
  };
  fill(e.gridMain, lista);
  const std::string arquivo = dados + "/ida-e-volta.csv";
  ASSERT_TRUE(quorvel::salvarComo(e, arquivo, true));

  ListEditor volta;
  volta.dialogs = &dialogos;
  volta.progress = &progresso;
  volta.novaLista(volta.gridMain, true);
  ASSERT_EQ(quorvel::abrirCSVTurbo(volta, arquivo), quorvel::ReadResult::ok);
  Rows lido = rowsOf(volta.gridMain);
  ASSERT_EQ(lido.size(), lista.size() + 2);
  // Every cell comes back as written; a blank cell may come back as the single space that the
  // reader stores for an empty field (the list treats both as empty).
  auto semBrancos = [](std::vector<std::string> r) {
    for (auto& c : r)
      if (c == " ") c.clear();
    return r;
  };
  for (size_t r = 0; r < lista.size(); ++r)
    EXPECT_EQ(semBrancos(lido[r + 2]), semBrancos(lista[r])) << "linha " << r;

  // Opened with "Abrir lista" the header comes back as the header, and saving again gives the
  // same file but for the blank cells the reader filled.
  ListEditor aberta;
  aberta.dialogs = &dialogos;
  aberta.progress = &progresso;
  aberta.programFolder = home.string();
  dialogos.values = {arquivo};
  quorvel::btnAbrirClick(aberta);
  EXPECT_EQ(rowsOf(aberta.gridMain)[0], (std::vector<std::string>{"nome", "email", "obs", " "}));
  EXPECT_EQ(aberta.gridMain.rowCount(), static_cast<int>(lista.size()));
  EXPECT_EQ(aberta.arquivoDaAba(0), arquivo);
}

TEST_F(ListSaving, AFileIsSavedBackWithTheSeparatorItWasReadWith) {
  fs::create_directory(dados);
  const std::string arquivo = dados + "/tab.txt";
  std::ofstream(arquivo, std::ios::binary) << "email\tnome\r\na@x.com\tAna\r\n";
  dialogos.values = {arquivo};
  quorvel::btnAbrirClick(e);
  ASSERT_EQ(e.arquivoDaAba(0), arquivo);
  quorvel::salvar(e);  // no dialog: the tab has its file
  EXPECT_EQ(bytesDe(arquivo), kBom + "email\tnome\r\na@x.com\tAna\r\n");
  EXPECT_EQ(dialogos.texts("save").size(), 0u);
  EXPECT_EQ(e.status.saved, "Sim");
}

TEST_F(ListSaving, SaveWithoutAFileGoesThroughTheSaveWindow) {
  fill(e.gridMain, {{"emails"}, {"a@x.com"}});
  e.gEditou["0"] = "1";
  const std::string arquivo = dados + "/nova.csv";
  dialogos.values = {arquivo};
  quorvel::salvar(e);
  EXPECT_EQ(dialogos.texts("save"), (std::vector<std::string>{dados + "/"}));
  EXPECT_EQ(bytesDe(arquivo), kBom + "emails\r\na@x.com\r\n");
  EXPECT_EQ(e.arquivoDaAba(0), arquivo);
  EXPECT_EQ(e.status.saved, "Sim");

  // Afterwards "Salvar" writes the same file without any question.
  e.gridMain.setCell(0, 1, "b@x.com");
  e.gEditou["0"] = "1";
  quorvel::salvar(e);
  EXPECT_EQ(bytesDe(arquivo), kBom + "emails\r\nb@x.com\r\n");
  EXPECT_EQ(dialogos.texts("save").size(), 1u);
  EXPECT_TRUE(dialogos.texts("question").empty());
}

TEST_F(ListSaving, SaveAsAsksBeforeReplacingAFile) {
  fs::create_directory(dados);
  const std::string arquivo = dados + "/existe.csv";
  std::ofstream(arquivo, std::ios::binary) << "antigo";
  fill(e.gridMain, {{"emails"}, {"a@x.com"}});

  dialogos.values = {arquivo};
  dialogos.answers = {quorvel::kNao};
  quorvel::salvarComoDialogo(e);
  EXPECT_EQ(dialogos.texts("question"),
            (std::vector<std::string>{"Esse arquivo já existe. Deseja sobrepor?"}));
  EXPECT_EQ(bytesDe(arquivo), "antigo");
  EXPECT_EQ(e.arquivoDaAba(0), "");

  dialogos.values = {arquivo};
  dialogos.answers = {quorvel::kEsc};
  quorvel::salvarComoDialogo(e);
  EXPECT_EQ(bytesDe(arquivo), "antigo");

  dialogos.values = {arquivo};
  dialogos.answers = {quorvel::kSim};
  quorvel::salvarComoDialogo(e);
  EXPECT_EQ(bytesDe(arquivo), kBom + "emails\r\na@x.com\r\n");
  EXPECT_EQ(e.arquivoDaAba(0), arquivo);

  // A cancelled window saves nothing and changes nothing.
  e.gEditou["0"] = "1";
  dialogos.values = {""};
  quorvel::salvarComoDialogo(e);
  EXPECT_EQ(e.editouDaAba(0), "1");
  EXPECT_EQ(e.arquivoDaAba(0), arquivo);
}

TEST_F(ListSaving, SaveAsOffersTheSeparatorTheListWasReadWithAndKeepsTheOneChosen) {
  // A CRM export: ";" and Windows-1252.
  fs::create_directory(dados);
  const std::string crm = dados + "/crm.csv";
  std::ofstream(crm, std::ios::binary)
      << "Nome;E-mail;Cidade\r\nJos\xe9 Silva;jose@x.com;S\xe3o Paulo\r\n";
  dialogos.values = {crm};
  quorvel::btnAbrirClick(e);
  ASSERT_EQ(e.separadorDe(e.gridMain), ';');

  const std::string limpa = dados + "/limpa.csv";
  dialogos.values = {limpa};
  quorvel::salvarComoDialogo(e);
  EXPECT_EQ(dialogos.offeredSeparators, (std::vector<char>{';'}));
  EXPECT_EQ(bytesDe(limpa), kBom + "Nome;E-mail;Cidade\r\nJosé Silva;jose@x.com;São Paulo\r\n");

  // Chosen otherwise in the save window: that file and every later "Salvar" use the new one.
  const std::string tab = dados + "/limpa.txt";
  dialogos.values = {tab};
  dialogos.separators = {'\t'};
  quorvel::salvarComoDialogo(e);
  e.gridMain.setCell(0, 1, "José da Silva");
  quorvel::salvar(e);
  EXPECT_EQ(bytesDe(tab),
            kBom + "Nome\tE-mail\tCidade\r\nJosé da Silva\tjose@x.com\tSão Paulo\r\n");
  // A list typed or pasted by hand has no separator of its own: ",".
  ListEditor nova;
  EXPECT_EQ(quorvel::separadorParaSalvar(nova, nova.gridMain), ',');
}

TEST_F(ListSaving, EachTabKeepsItsOwnFile) {
  fill(e.gridMain, {{"emails"}, {"a@x.com"}});
  fill(e.gridValidos, {{"emails"}, {"b@x.com"}});
  ASSERT_TRUE(quorvel::salvarComo(e, dados + "/principal.csv", true));
  e.setAbaAtiva(quorvel::kAbaValidos);
  dialogos.values = {dados + "/validos.csv"};
  quorvel::salvar(e);
  EXPECT_EQ(e.arquivoDaAba(0), dados + "/principal.csv");
  EXPECT_EQ(e.arquivoDaAba(1), dados + "/validos.csv");
  EXPECT_EQ(bytesDe(dados + "/validos.csv"), kBom + "emails\r\nb@x.com\r\n");
}

TEST_F(ListSaving, AFailedSaveIsReportedAndChangesNothing) {
  fill(e.gridMain, {{"emails"}, {"a@x.com"}});
  e.gArquivos["0"] = "/antes.csv";
  e.gEditou["0"] = "1";
  const std::string arquivo = (home / "nao-existe" / "lista.csv").string();
  EXPECT_FALSE(quorvel::salvarComo(e, arquivo, true));
  EXPECT_EQ(dialogos.texts("error"),
            (std::vector<std::string>{"Não foi possível salvar o arquivo " + arquivo +
                                      ": o arquivo ou a pasta não existe"}));
  EXPECT_EQ(e.arquivoDaAba(0), "/antes.csv");
  EXPECT_EQ(e.editouDaAba(0), "1");
  EXPECT_TRUE(e.gridVisivel);
  EXPECT_FALSE(progresso.visible);
  EXPECT_TRUE(fs::exists(dados));  // the workspace folder is made even so
}

TEST_F(ListSaving, AFailedWriteLeavesThePreviousFileWhole) {
  fs::create_directory(dados);
  const std::string arquivo = dados + "/lista.csv";
  const std::string anterior = kBom + "\"emails\"\r\n\"velho@x.com\"\r\n";
  std::ofstream(arquivo, std::ios::binary) << anterior;
  TextGrid& g = e.gridMain;
  g.setRowCount(20001);
  for (int r = 1; r < g.rowCount(); ++r) g.setCell(0, r, "usuario" + std::to_string(r) + "@x.com");

  // A full disk, as far as this process can tell: writes beyond 64 KB fail.
  struct rlimit antes {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &antes), 0);
  auto sinal = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit pequeno = antes;
  pequeno.rlim_cur = 64 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &pequeno), 0);
  bool salvo = quorvel::salvarComo(e, arquivo, true);
  ::setrlimit(RLIMIT_FSIZE, &antes);
  std::signal(SIGXFSZ, sinal);

  EXPECT_FALSE(salvo);
  EXPECT_EQ(dialogos.texts("error"),
            (std::vector<std::string>{"Não foi possível salvar o arquivo " + arquivo +
                                      ": o arquivo ficou grande demais"}));
  EXPECT_EQ(bytesDe(arquivo), anterior);
  EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(dados), {}).size(), 1u);
  EXPECT_EQ(e.arquivoDaAba(0), "");
  EXPECT_NE(e.status.saved, "Sim");
}

TEST_F(ListSaving, ProgressStepsEveryHundredRowsAndCancelWritesNothing) {
  TextGrid& g = e.gridMain;
  g.setRowCount(251);
  for (int r = 1; r < g.rowCount(); ++r) g.setCell(0, r, "u" + std::to_string(r) + "@x.com");
  std::vector<std::pair<std::string, std::string>> passos;
  progresso.onStep = [&](quorvel::RecordingProgress& p) {
    passos.emplace_back(p.legend2, p.legend3);
  };
  ASSERT_TRUE(quorvel::salvarComo(e, dados + "/a.csv", true));
  EXPECT_EQ(progresso.operation, "Preparando dados...");
  EXPECT_EQ(progresso.maximum, 2);
  EXPECT_EQ(progresso.legend1, "Total de registros: 250");
  const std::vector<std::pair<std::string, std::string>> esperado = {
      {"Processados: 100", "Copiados: 100"},
      {"Processados: 200", "Copiados: 200"},
      {"Processados: 200", "Copiados: 251"}};
  EXPECT_EQ(passos, esperado);

  e.gEditou["0"] = "1";
  progresso.onStep = [](quorvel::RecordingProgress& p) { p.cancelRequested = true; };
  EXPECT_FALSE(quorvel::salvarComo(e, dados + "/b.csv", true));
  EXPECT_EQ(dialogos.texts("information"), (std::vector<std::string>{"Procedimento cancelado"}));
  EXPECT_FALSE(fs::exists(dados + "/b.csv"));
  EXPECT_EQ(e.arquivoDaAba(0), dados + "/a.csv");
  EXPECT_EQ(e.editouDaAba(0), "1");
  EXPECT_TRUE(e.gridVisivel);
  EXPECT_FALSE(progresso.visible);
}

TEST(SaveWindow, ResultIsFolderAndNameWithTheExtensionWhenMissing) {
  struct Caso {
    bool aceito;
    std::string pasta, nome, resultado;
  };
  const std::vector<Caso> casos = {
      {true, "/q/dados/", "lista", "/q/dados/lista.csv"},
      {true, "/q/dados/", "lista.csv", "/q/dados/lista.csv"},
      {true, "/q/dados/", "lista.csv.txt", "/q/dados/lista.csv.txt"},  // contains ".csv"
      {true, "/q/x.csv/", "lista", "/q/x.csv/lista"},                  // anywhere, folder too
      {true, "/q/dados/", "lista.CSV", "/q/dados/lista.CSV.csv"},
      {true, "/q/dados/", "", ""},
      {false, "/q/dados/", "lista", ""},
  };
  for (const auto& c : casos)
    EXPECT_EQ(quorvel::saveResult(c.aceito, c.pasta, c.nome, ".csv"), c.resultado) << c.nome;

  auto campos = quorvel::initialSaveFields("/q/dados", "");
  EXPECT_EQ(campos.pasta, "/q/dados/");
  EXPECT_EQ(campos.nome, "");
  campos = quorvel::initialSaveFields("/q/dados/", "/outra/pasta/lista.csv");
  EXPECT_EQ(campos.pasta, "/outra/pasta/");
  EXPECT_EQ(campos.nome, "lista.csv");
}

// A timing check to run by hand:
//   test_lists --gtest_also_run_disabled_tests --gtest_filter='*TempoUmMilhao*'
// It prints rows per second of the file reader and of the save, and the memory the loaded list
// and the reading took beside the file's size. It asserts nothing about time.
long kbDeStatus(const char* campo) {
  std::ifstream status("/proc/self/status");
  std::string linha;
  while (std::getline(status, linha))
    if (linha.rfind(campo, 0) == 0) return std::stol(linha.substr(std::strlen(campo)));
  return -1;
}

TEST_F(ListSaving, DISABLED_TimeOfAMillionRows) {
  using Relogio = std::chrono::steady_clock;
  constexpr int kLinhas = 1'000'000;
  fs::create_directory(dados);
  const std::string origem = dados + "/milhao.csv";
  {
    const char* nomes[] = {"Maria Silva",    "José Santos",     "Ana Oliveira",   "João Souza",
                           "Francisca Lima", "Antônio Pereira", "Conceição Costa"};
    const char* cidades[] = {"São Paulo", "Rio de Janeiro", "Belo Horizonte", "Salvador",
                             "Fortaleza", "Curitiba",       "Recife"};
    const char* ufs[] = {"SP", "RJ", "MG", "BA", "CE", "PR", "PE"};
    std::string texto = "email;nome;cidade;uf;telefone\r\n";
    texto.reserve(80u * kLinhas);
    uint32_t x = 12345;
    for (int i = 0; i < kLinhas; ++i) {
      x = x * 1103515245u + 12345u;
      int k = static_cast<int>((x >> 16) % 7);
      texto += "usuario" + std::to_string(x % 10'000'000) + "@exemplo.com.br;";
      texto += nomes[k];
      texto += ';';
      texto += cidades[(k + i) % 7];
      texto += ';';
      texto += ufs[(k + i) % 7];
      texto += ";119" + std::to_string(10'000'000 + x % 89'999'999) + "\r\n";
    }
    std::ofstream(origem, std::ios::binary) << texto;
  }
  const double mb = static_cast<double>(fs::file_size(origem)) / 1e6;

  auto medir = [&](const std::string& arquivo, const char* nome) {
    ListEditor lista;
    lista.dialogs = &dialogos;
    lista.progress = &progresso;
    long antes = kbDeStatus("VmRSS:");
    std::ofstream("/proc/self/clear_refs") << "5";  // restart the peak from here
    auto t0 = Relogio::now();
    ASSERT_EQ(quorvel::abrirCSVTurbo(lista, arquivo), quorvel::ReadResult::ok);
    double s = std::chrono::duration<double>(Relogio::now() - t0).count();
    long pico = kbDeStatus("VmHWM:");
    long depois = kbDeStatus("VmRSS:");
    double tamanho = static_cast<double>(fs::file_size(arquivo)) / 1e6;
    std::printf(
        "abrirCSVTurbo %s: %.1f MB, %d linhas em %.3f s = %.0f linhas/s; memória: pico "
        "+%.0f MB (%.2fx o arquivo), lista +%.0f MB (%.2fx)\n",
        nome, tamanho, lista.gridMain.rowCount() - 2, s, (lista.gridMain.rowCount() - 2) / s,
        (pico - antes) / 1e3, (pico - antes) / 1e3 / tamanho, (depois - antes) / 1e3,
        (depois - antes) / 1e3 / tamanho);
    ASSERT_EQ(lista.gridMain.colCount(), 5);

    std::ofstream("/proc/self/clear_refs") << "5";
    long antesSalvar = kbDeStatus("VmRSS:");
    auto t1 = Relogio::now();
    ASSERT_TRUE(quorvel::salvarComo(lista, dados + "/salvo.csv", true));
    double s2 = std::chrono::duration<double>(Relogio::now() - t1).count();
    long picoSalvar = kbDeStatus("VmHWM:");
    std::printf(
        "salvarComo: %d linhas em %.3f s = %.0f linhas/s (%.1f MB escritos); memória: "
        "pico +%.0f MB\n",
        lista.gridMain.rowCount(), s2, lista.gridMain.rowCount() / s2,
        static_cast<double>(fs::file_size(dados + "/salvo.csv")) / 1e6,
        (picoSalvar - antesSalvar) / 1e3);
  };
  std::printf("arquivo gerado: %.1f MB\n", mb);
  // Each measure in a process of its own, so that memory freed by one does not hide the next.
  auto emFilho = [&](auto&& f) {
    std::fflush(stdout);
    pid_t filho = ::fork();
    if (filho == 0) {
      f();
      std::fflush(stdout);
      ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int estado = 0;
    ::waitpid(filho, &estado, 0);
    EXPECT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0);
  };
  emFilho([&] { medir(origem, "sem aspas (;)"); });
  emFilho([&] { medir(dados + "/salvo.csv", "formato salvo (aspas)"); });
}

}  // namespace
