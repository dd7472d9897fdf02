// config.db: the text copy of the settings table, written by tools and read at start-up.
#include "store/config_snapshot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace quorvel {

// Readable failure output.
void PrintTo(const ConfigRow& l, std::ostream* os) {
  *os << "{" << l.categoria << " | " << l.nome << " | " << l.valor << " | " << l.tipo << " | "
      << l.descricao << "}";
}

namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

TEST(ConfigSnapshot, WritesTheDocumentedLayout) {
  TempFolder home;
  const std::string path = (home / kConfigSnapshotFile).string();
  ASSERT_TRUE(writeConfigSnapshot(path, {{"geral", "a\tb", "c:\\x\r\ny", "", "ç"}}).ok);
  EXPECT_EQ(home.bytes(kConfigSnapshotFile),
            "\xEF\xBB\xBF"
            "categoria\tnome\tvalor\ttipo\tdescricao\r\n"
            "geral\ta\\tb\tc:\\\\x\\r\\ny\t\t\xC3\xA7\r\n");

  // The writer replaces the file as a whole or reports why it could not.
  fs::create_directory(home / "pasta");
  WriteResult w = writeConfigSnapshot((home / "pasta").string(), {});
  EXPECT_FALSE(w.ok);
  EXPECT_FALSE(w.error.empty());
  EXPECT_TRUE(fs::is_directory(home / "pasta"));
}

TEST(ConfigSnapshot, AnyTextSurvivesTheRoundTrip) {
  const std::vector<ConfigRow> linhas = {
      {"geral", "assinatura", "Linha 1\r\nLinha 2\n\tcom TAB\rCR solto", "texto",
       "Caminho C:\\dados\\config\\ e um \\t que é texto"},
      {"", "", "", "", ""},
      {"contas", "ação", "ç ã é ü € \U0001F600 \x01", "número", "termina em barra \\"},
      {"\\n já escapado", "\\\\", "\\", "\r", "\t"},
      {" espaços ", "=", "a=b", "\"aspas\"", "'apóstrofo'"},
  };
  TempFolder home;
  const std::string path = (home / kConfigSnapshotFile).string();
  ASSERT_TRUE(writeConfigSnapshot(path, linhas).ok);

  ConfigSnapshot lido = readConfigSnapshot(path);
  ASSERT_TRUE(lido.ok()) << lido.erro;
  EXPECT_EQ(lido.linhas, linhas);
  EXPECT_TRUE(lido.linhasIgnoradas.empty());
  EXPECT_EQ(lido.camposVazios, 0u);
}

TEST(ConfigSnapshot, ReaderCopiesColumnsByNameAndToleratesHandMadeFiles) {
  struct Caso {
    const char* what;
    std::string bytes;
    std::vector<ConfigRow> linhas;
    std::vector<size_t> ignoradas = {};
    size_t camposVazios = 0;
  };
  const std::string cab = "categoria\tnome\tvalor\ttipo\tdescricao";
  const std::vector<Caso> casos = {
      {"LF, no byte-order mark", cab + "\nA\tB\tC\tD\tE\n", {{"A", "B", "C", "D", "E"}}},
      {"CR LF, byte-order mark, blank lines, no final line break",
       "\xEF\xBB\xBF\r\n" + cab + "\r\nA\tB\tC\tD\tE\r\n\r\nF\tG\tH\tI\tJ",
       {{"A", "B", "C", "D", "E"}, {"F", "G", "H", "I", "J"}}},
      {"CR only", "categoria\tnome\rA\tB\rC\tD\r", {{"A", "B"}, {"C", "D"}}},
      {"missing trailing fields are empty", cab + "\nA\tB\n\tX\n", {{"A", "B"}, {"", "X"}}},
      {"another order, unknown columns ignored, names in any case with blanks",
       "id_config\tDescricao\t valor \textra\tNOME\tcategoria\n7\td\tv\tx\tn\tc\n",
       {{"c", "n", "v", "", "d"}}},
      {"a repeated column: the first one counts", "nome\tnome\nA\tB\n", {{"", "A"}}},
      {"more fields than the header: the line is skipped",
       "categoria\tnome\nA\tB\nC\tD\tE\nF\tG\n",
       {{"A", "B"}, {"F", "G"}},
       {3}},
      {"a field that cannot be decoded is left empty, the others are copied",
       "categoria\tnome\tvalor\nA\tmau \\q\tfim\\\nB\tbom\t\\\\\n",
       {{"A", "", ""}, {"B", "bom", "\\"}},
       {},
       2},
      {"a Windows-1252 field beside a UTF-8 one",
       "categoria\tnome\nA\xC3\xA7\tJos\xE9\n",
       {{"Aç", "José"}}},
      {"header only", cab + "\r\n", {}},
  };
  for (const auto& caso : casos) {
    ConfigSnapshot s = parseConfigSnapshot(caso.bytes);
    EXPECT_TRUE(s.ok()) << caso.what << ": " << s.erro;
    EXPECT_EQ(s.linhas, caso.linhas) << caso.what;
    EXPECT_EQ(s.linhasIgnoradas, caso.ignoradas) << caso.what;
    EXPECT_EQ(s.camposVazios, caso.camposVazios) << caso.what;
  }
}

TEST(ConfigSnapshot, AFileWithoutAHeaderIsRefusedWhole) {
  for (std::string bytes : {std::string(), std::string("\xEF\xBB\xBF\r\n\r\n"),
                            std::string("geral\tcheck\ttrue\n"), std::string("\0\x01\x02", 3)}) {
    ConfigSnapshot s = parseConfigSnapshot(bytes);
    EXPECT_FALSE(s.ok()) << ::testing::PrintToString(bytes);
    EXPECT_TRUE(s.linhas.empty()) << ::testing::PrintToString(bytes);
  }
  TempFolder home;
  const std::string path = (home / kConfigSnapshotFile).string();
  ConfigSnapshot ausente = readConfigSnapshot(path);
  EXPECT_FALSE(ausente.ok());
  EXPECT_NE(ausente.erro.find(path), std::string::npos) << ausente.erro;
}

}  // namespace
}  // namespace quorvel
