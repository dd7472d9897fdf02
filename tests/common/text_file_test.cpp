#include "common/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

// Every reader makes the choice the bulk run's line reader makes: UTF-16 without a mark is
// recognised, and a Latin-1 byte far down a UTF-8 file is read alone as Windows-1252.
TEST(DecodeText, TheSameChoiceAsTheLineReaderForFilesWithoutAMark) {
  std::string utf16;
  for (char c : std::string("ana@x.com\r\nbia@y.com.br\r\n")) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  EXPECT_EQ(quorvel::decodeText(utf16), "ana@x.com\r\nbia@y.com.br\r\n");
  const std::string longo = std::string(5000, 'a') + "\nJos\xE9 e Jo\xC3\xA3o\n";
  EXPECT_EQ(quorvel::decodeText(longo), std::string(5000, 'a') + "\nJosé e João\n");
}

TEST(DecodeText, ByteOrderMarkElseUtf8WhenValidElseWindows1252) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string text;
    quorvel::TextEncoding encoding;
  };
  using E = quorvel::TextEncoding;
  const std::vector<Case> cases = {
      {"UTF-8 with BOM", "\xEF\xBB\xBFjoão@x.com", "joão@x.com", E::Utf8Bom},
      // "aç" + U+1F600 (surrogates D83D DE00) + CR LF
      {"UTF-16 LE", "\xFF\xFE\x61\0\xE7\0\x3D\xD8\x00\xDE\r\0\n\0"s, "aç\U0001F600\r\n",
       E::Utf16LE},
      {"UTF-16 BE", "\xFE\xFF\0a\0\xE7\xD8\x3D\xDE\x00\0\r\0\n"s, "aç\U0001F600\r\n", E::Utf16BE},
      {"UTF-16 LE lone surrogate", "\xFF\xFE\x3D\xD8\x61\0"s, "\uFFFDa", E::Utf16LE},
      {"UTF-16 LE odd byte", "\xFF\xFE\x61\0\x62"s, "a\uFFFD", E::Utf16LE},
      {"UTF-8 without BOM", "conceição@uol.com.br", "conceição@uol.com.br", E::Utf8},
      {"ASCII", "a@b.com\r\n", "a@b.com\r\n", E::Utf8},
      {"empty", "", "", E::Utf8},
      {"Windows-1252", "S\xE3o Paulo \x80 \x81 \x9F \xFF", "São Paulo € \u0081 Ÿ ÿ",
       E::Windows1252},
      // One byte that is not UTF-8 in the first block makes the whole file Windows-1252.
      {"Windows-1252 beside UTF-8 look-alike", "Jos\xE9 \xC3\xA3", "José Ã£", E::Windows1252},
  };
  for (const auto& c : cases) {
    size_t bom = 99;
    EXPECT_EQ(quorvel::detectEncoding(c.bytes, bom), c.encoding) << c.what;
    EXPECT_EQ(quorvel::decodeText(c.bytes), c.text) << c.what;
  }
}

// A fresh folder per test, removed afterwards.
class TextFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "quorvel-text-file-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string bytesOf(const fs::path& p) const {
    auto b = quorvel::readFileBytes(p.string());
    return b ? *b : "<ilegível>";
  }

  fs::path dir_;
};

TEST_F(TextFileTest, ReadTextLinesDecodesAndSplitsAFile) {
  // Windows-1252, with CR LF, LF and a final CR.
  auto lines = quorvel::readTextLines(std::string(QUORVEL_TEST_DATA) + "/lista_cp1252.txt");
  ASSERT_TRUE(lines.has_value());
  EXPECT_EQ(*lines,
            (std::vector<std::string>{"emails;nome", "jos\u00E9@exemplo.com.br;Jos\u00E9", "",
                                      "concei\u00E7\u00E3o@uol.com.br;Concei\u00E7\u00E3o"}));

  EXPECT_FALSE(quorvel::readTextLines((dir_ / "nao-existe.txt").string()).has_value());
  EXPECT_FALSE(quorvel::readFileBytes((dir_ / "nao-existe.txt").string()).has_value());
}

TEST_F(TextFileTest, WriteTextLinesWritesBomAndCrLfByteForByte) {
  const auto path = dir_ / "validos.csv";
  ASSERT_TRUE(quorvel::writeTextLines(path.string(), {"\"emails\"", "\"joão@x.com\"", ""}).ok);
  EXPECT_EQ(bytesOf(path), "\xEF\xBB\xBF\"emails\"\r\n\"joão@x.com\"\r\n\r\n");

  ASSERT_TRUE(quorvel::writeTextLines(path.string(), {}).ok);
  EXPECT_EQ(bytesOf(path), "\xEF\xBB\xBF");

  // What was written reads back as the same lines.
  const std::vector<std::string> lines = {"emails", "", "conceição@uol.com.br", " a\tb "};
  ASSERT_TRUE(quorvel::writeTextLines(path.string(), lines).ok);
  EXPECT_EQ(quorvel::readTextLines(path.string()), lines);
}

TEST_F(TextFileTest, WriteFileAtomicReplacesTheFileAndLeavesNoTemporary) {
  const auto path = dir_ / "config.txt";
  ASSERT_TRUE(quorvel::writeFileAtomic(path.string(), "antigo\r\n conteúdo maior").ok);
  const auto r = quorvel::writeFileAtomic(path.string(), "novo\0!"s);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(bytesOf(path), "novo\0!"s);
  EXPECT_EQ(entries(), (std::vector<std::string>{"config.txt"}));
}

TEST_F(TextFileTest, WriteFileAtomicCanGiveUpAtTheLastMomentAndMakesFilesOfTheModeAsked) {
  const auto path = dir_ / "lista.csv";
  ASSERT_TRUE(quorvel::writeFileAtomic(path.string(), "antigo").ok);
  const auto r = quorvel::writeFileAtomic(path.string(), "novo", {0644, [] { return true; }});
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.desistiu);
  EXPECT_EQ(bytesOf(path), "antigo");
  EXPECT_EQ(entries(), (std::vector<std::string>{"lista.csv"}));

  const mode_t mascara = ::umask(0);
  ASSERT_TRUE(quorvel::writeFileAtomic((dir_ / "segredo").string(), "x", {0600, {}}).ok);
  ::umask(mascara);
  EXPECT_EQ(fs::status(dir_ / "segredo").permissions(), fs::perms(0600));
}

TEST_F(TextFileTest, WriteFileAtomicFailsWithAReasonAndLeavesNothing) {
  // The folder does not exist.
  const auto semPasta = quorvel::writeFileAtomic((dir_ / "nao-existe" / "a.txt").string(), "x");
  EXPECT_FALSE(semPasta.ok);
  EXPECT_FALSE(semPasta.error.empty());
  EXPECT_TRUE(entries().empty());

  // The target is a folder: the rename fails after the temporary was written.
  fs::create_directory(dir_ / "pasta");
  const auto sobrePasta = quorvel::writeFileAtomic((dir_ / "pasta").string(), "x");
  EXPECT_FALSE(sobrePasta.ok);
  EXPECT_FALSE(sobrePasta.error.empty());
  EXPECT_EQ(entries(), (std::vector<std::string>{"pasta"}));
  EXPECT_TRUE(fs::is_empty(dir_ / "pasta"));
}

}  // namespace
