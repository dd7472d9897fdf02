// The file selection window's listing, sorting, ticking and result, over real folders.
#include "lists/file_selection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "support/scripted_ports.h"
#include "support/temp_folder.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using std::chrono::hours;

struct Janela : ::testing::Test {
  testing::TempFolder pasta;
  ScriptedDialogs dialogs;
  FakePlatform platform;
  FileSelection sel{platform, dialogs};
  std::string raiz;

  // Files with sizes and ages (hours before now).
  void arquivo(const std::string& nome, size_t bytes, int idadeHoras) {
    fs::create_directories((pasta / nome).parent_path());
    std::ofstream(pasta / nome, std::ios::binary) << std::string(bytes, 'x');
    fs::last_write_time(pasta / nome, fs::file_time_type::clock::now() - hours(idadeHoras));
  }
  void SetUp() override {
    raiz = pasta.str() + "/";
    arquivo("velha.csv", 999, 24 * 10);
    arquivo("Nova.TXT", 2000, 1);
    arquivo("media.txt", 1500, 24 * 3);
    arquivo("planilha.xlsx", 5000, 24 * 5);
    fs::create_directories(pasta / "listas");
    fs::create_directories(pasta / ".oculta");
    fs::last_write_time(pasta / ".oculta", fs::file_time_type::clock::now() - hours(24 * 30));
  }
  std::vector<std::string> nomes() const {
    std::vector<std::string> out;
    for (const auto& l : sel.linhas) out.push_back(l.nome);
    return out;
  }
};

TEST_F(Janela, OpensSortedByDateNewestFirstWithSizesInKilobytes) {
  sel.abrir(pasta.str(), "*.*", "", true, true);
  EXPECT_EQ(sel.gPath, raiz);
  EXPECT_EQ(sel.caminho, raiz);
  EXPECT_EQ(sel.SortedColumn, 1);
  EXPECT_TRUE(sel.Descending);
  // Folders have no date and compare by their (empty) text: after every dated file.
  // A hidden folder is listed like a file (with its date); a plain folder as a folder.
  EXPECT_EQ(nomes(), (std::vector<std::string>{"Nova.TXT", "media.txt", "planilha.xlsx",
                                               "velha.csv", ".oculta", "listas"}));
  EXPECT_EQ(sel.linhas[0].tamanho, "2 KB");
  EXPECT_EQ(sel.linhas[1].tamanho, "1 KB");
  EXPECT_EQ(sel.linhas[3].tamanho, "1 KB");  // 999 bytes show at least 1 KB
  EXPECT_EQ(sel.linhas[0].data, dataCurta(std::chrono::system_clock::now() - hours(1)));
  EXPECT_FALSE(sel.linhas[4].pasta);
  EXPECT_TRUE(sel.linhas[5].pasta);
  EXPECT_EQ(sel.linhas[5].data, "");
  EXPECT_EQ(sel.linhas[5].tamanho, "0 KB");
}

TEST_F(Janela, ColumnClicksSortAndReverse) {
  sel.abrir(pasta.str(), ".txt", "", false, true);
  // Extension filter ignoring case; folders are always shown.
  EXPECT_EQ(sel.linhas.size(), 3u);
  sel.clicarColuna(0);
  EXPECT_FALSE(sel.Descending);
  EXPECT_EQ(nomes(), (std::vector<std::string>{"listas", "media.txt", "Nova.TXT"}));
  sel.clicarColuna(0);
  EXPECT_TRUE(sel.Descending);
  EXPECT_EQ(nomes(), (std::vector<std::string>{"Nova.TXT", "media.txt", "listas"}));
  sel.clicarColuna(2);
  EXPECT_FALSE(sel.Descending);
  EXPECT_EQ(nomes(), (std::vector<std::string>{"listas", "media.txt", "Nova.TXT"}));
}

TEST_F(Janela, SearchAndExtensionChangesListAgainWithTickBoxes) {
  sel.abrir(pasta.str(), "*.*", "", false, true);
  EXPECT_FALSE(sel.gMultiSelect);
  sel.buscar("NOV");
  EXPECT_TRUE(sel.gMultiSelect);  // a search shows tick boxes even for one file
  EXPECT_EQ(sel.gExtension, "");
  EXPECT_EQ(sel.gFiltro, "NOV");
  EXPECT_EQ(nomes(), (std::vector<std::string>{"Nova.TXT", "listas"}));
  sel.mudarExtensao("imagens");  // no file has that extension
  EXPECT_EQ(sel.extensaoMostrada, "imagens");
  EXPECT_EQ(nomes(), (std::vector<std::string>{"listas"}));
}

TEST_F(Janela, EverySelectionChangeTogglesBothRowsAndTicksMayBeSetDirectly) {
  sel.abrir(pasta.str(), "*.*", "", true, true);
  sel.selecionarLinha(0);  // Nova.TXT
  EXPECT_TRUE(sel.linhas[0].marcado);
  sel.selecionarLinha(1);  // media.txt: Nova.TXT loses the selection and its tick
  EXPECT_FALSE(sel.linhas[0].marcado);
  EXPECT_TRUE(sel.linhas[1].marcado);
  sel.marcar(3, true);  // velha.csv, clicked on its box
  EXPECT_EQ(sel.resultado(true), raiz + "media.txt\r\n" + raiz + "velha.csv");
  EXPECT_EQ(sel.resultado(false), "");
}

TEST_F(Janela, OneFileModeReturnsTheSelectedNameAndFoldersOpenOnDoubleClick) {
  sel.abrir(pasta.str(), "*.*", "", false, true);
  sel.selecionarLinha(2);
  EXPECT_EQ(sel.arquivoSelecionado, "planilha.xlsx");
  EXPECT_FALSE(sel.linhas[2].marcado);
  const int listas = 5;
  ASSERT_EQ(sel.linhas[listas].nome, "listas");
  sel.selecionarLinha(listas);
  EXPECT_EQ(sel.arquivoSelecionado, "");
  sel.selecionarLinha(2);
  EXPECT_EQ(sel.resultado(true), raiz + "planilha.xlsx");
  EXPECT_TRUE(sel.duploClique(2));  // a file: acts as OK
  EXPECT_FALSE(sel.duploClique(listas));
  EXPECT_EQ(sel.gPath, raiz + "listas/");
}

TEST_F(Janela, TheSecondUseStartsWhereTheUserLeftAndBadPathsAreRefused) {
  sel.abrir(pasta.str(), "*.*", "", true, true);
  EXPECT_TRUE(sel.irParaCaminho((pasta / "listas").string()));
  EXPECT_EQ(sel.gPath, raiz + "listas/");
  EXPECT_FALSE(sel.irParaCaminho((pasta / "nada").string()));
  EXPECT_EQ(dialogs.texts("error"),
            (std::vector<std::string>{"Assim fica meio difícil... É necessário colocar um "
                                      "caminho de pasta válido"}));
  EXPECT_EQ(sel.gPath, raiz + "listas/");
  sel.abrir("/tmp/", "*.*", "", true, true);
  EXPECT_EQ(sel.gPath, raiz + "listas/");
  sel.subirPasta();
  EXPECT_EQ(sel.gPath, raiz);
  sel.abrirNoGerenciador();
  EXPECT_EQ(platform.opened, (std::vector<std::string>{raiz}));
}

}  // namespace
}  // namespace quorvel
