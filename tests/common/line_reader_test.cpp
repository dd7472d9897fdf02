#include "common/line_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/output_file.h"
#include "common/text_file.h"
#include "support/temp_folder.h"

namespace quorvel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr size_t kMega = size_t{1} << 20;  // the reader's block

std::vector<std::string> lerLinhas(const testing::TempFolder& pasta, const std::string& bytes,
                                   TextEncoding* codificacao = nullptr) {
  pasta.write("entrada.txt", bytes);
  LineReader reader;
  std::string erro;
  EXPECT_TRUE(reader.open((pasta / "entrada.txt").string(), erro)) << erro;
  std::vector<std::string> linhas;
  std::string_view l;
  while (reader.nextLine(l)) linhas.emplace_back(l);
  EXPECT_EQ(reader.readError(), "");
  if (codificacao) *codificacao = reader.encoding();
  return linhas;
}

std::string utf16le(const std::string& ascii) {
  std::string r;
  for (char c : ascii) {
    r.push_back(c);
    r.push_back('\0');
  }
  return r;
}

TEST(LineReader, EncodingFromTheFirstBlock) {
  testing::TempFolder pasta;
  TextEncoding c;
  EXPECT_THAT(lerLinhas(pasta, "\xEF\xBB\xBFjos\xC3\xA9@x.com\r\n", &c), ElementsAre("josé@x.com"));
  EXPECT_EQ(c, TextEncoding::Utf8Bom);
  EXPECT_THAT(lerLinhas(pasta, "jos\xC3\xA9@x.com\n", &c), ElementsAre("josé@x.com"));
  EXPECT_EQ(c, TextEncoding::Utf8);
  EXPECT_THAT(lerLinhas(pasta, "jos\xE9@x.com\r\nJo\xE3o\r\n", &c),
              ElementsAre("josé@x.com", "João"));
  EXPECT_EQ(c, TextEncoding::Windows1252);
  EXPECT_THAT(lerLinhas(pasta, "\xFF\xFE" + utf16le("a@x.com\r\nb@y.com"), &c),
              ElementsAre("a@x.com", "b@y.com"));
  EXPECT_EQ(c, TextEncoding::Utf16LE);
  // Without a mark, UTF-16 would pass for UTF-8 full of NUL bytes.
  EXPECT_THAT(lerLinhas(pasta, utf16le("a@x.com\r\nb@y.com\r\n"), &c),
              ElementsAre("a@x.com", "b@y.com"));
  EXPECT_EQ(c, TextEncoding::Utf16LE);
}

TEST(LineReader, InvalidBytesAfterTheFirstBlockAreReadAsWindows1252) {
  testing::TempFolder pasta;
  std::string ascii(5000, 'a');
  TextEncoding c;
  auto linhas = lerLinhas(pasta, ascii + "\nJos\xE9\n", &c);
  EXPECT_EQ(c, TextEncoding::Utf8);
  EXPECT_THAT(linhas, ElementsAre(ascii, "José"));
}

TEST(LineReader, ACharacterCutAtTheEndOfTheDetectionBlock) {
  testing::TempFolder pasta;
  // "é" straddles byte 4096: the block is still UTF-8, not Windows-1252.
  std::string inicio(4095, 'a');
  TextEncoding c;
  auto linhas = lerLinhas(pasta, inicio + "\xC3\xA9" + "\n", &c);
  EXPECT_EQ(c, TextEncoding::Utf8);
  EXPECT_THAT(linhas, ElementsAre(inicio + "é"));
}

TEST(LineReader, LineEnds) {
  testing::TempFolder pasta;
  EXPECT_THAT(lerLinhas(pasta, "a\r\nb\nc\rd"), ElementsAre("a", "b", "c", "d"));
  EXPECT_THAT(lerLinhas(pasta, "a\r\n\r\nb\r\n"), ElementsAre("a", "", "b"));
  EXPECT_THAT(lerLinhas(pasta, "a\r\rb\n\n"), ElementsAre("a", "", "b", ""));
  EXPECT_THAT(lerLinhas(pasta, ""), IsEmpty());
  EXPECT_THAT(lerLinhas(pasta, "\n"), ElementsAre(""));
  EXPECT_THAT(lerLinhas(pasta, std::string("a\0b\nc", 5)),
              ElementsAre(std::string("a\0b", 3), "c"));
}

TEST(LineReader, LinesThatCrossBlocks) {
  testing::TempFolder pasta;
  // A CR LF split by the block boundary is one line end, not two.
  std::string primeira(kMega - 1, 'x');
  EXPECT_THAT(lerLinhas(pasta, primeira + "\r\nfim\r\n"), ElementsAre(primeira, "fim"));
  // A UTF-8 character split by the boundary survives.
  std::string antes(kMega - 1, 'y');
  EXPECT_THAT(lerLinhas(pasta, antes + "é\n"), ElementsAre(antes + "é"));
  // A line of 3 MB, CR-only line ends around it.
  std::string longa(3 * kMega, 'z');
  EXPECT_THAT(lerLinhas(pasta, "a\r" + longa + "\rb"), ElementsAre("a", longa, "b"));
}

TEST(LineReader, ALinePastSixteenMegabytesEndsTheReadingWithAnError) {
  testing::TempFolder pasta;
  pasta.write("entrada.txt",
              "a@x.com\r\n" + std::string(kMaiorLinha + kMega, 'z') + "\r\nb@x.com\r\n");
  LineReader reader;
  std::string erro;
  ASSERT_TRUE(reader.open((pasta / "entrada.txt").string(), erro));
  std::vector<std::string> linhas;
  std::string_view l;
  while (reader.nextLine(l)) linhas.emplace_back(l);
  EXPECT_THAT(linhas, ElementsAre("a@x.com"));
  EXPECT_EQ(reader.readError(), "uma linha passa de 16 MB (o arquivo não parece ser uma lista)");
  // Memory held: the line so far, not the file.
  EXPECT_LT(reader.bytesRead(), static_cast<int64_t>(kMaiorLinha + 2 * kMega));
}

TEST(LineReader, AFileThatDoesNotOpen) {
  testing::TempFolder pasta;
  LineReader reader;
  std::string erro;
  EXPECT_FALSE(reader.open((pasta / "sumiu.txt").string(), erro));
  EXPECT_EQ(erro, "o arquivo ou a pasta não existe");
  EXPECT_FALSE(reader.open(pasta.str(), erro));
  std::string_view l;
  EXPECT_FALSE(reader.nextLine(l));
}

TEST(OutputFile, ByteOrderMarkAndCrLfBreaks) {
  testing::TempFolder pasta;
  std::string caminho = (pasta / "saida.txt").string();
  {
    OutputFile f;
    ASSERT_TRUE(f.create(caminho));
    f.writeLine("josé@x.com");
    f.writeLine("xx", '\t', "Erro de sintaxe");
    f.writeLine("");
    EXPECT_TRUE(f.close());
  }
  EXPECT_EQ(pasta.bytes("saida.txt"), "\xEF\xBB\xBFjosé@x.com\r\nxx\tErro de sintaxe\r\n\r\n");
}

TEST(OutputFile, AFullDiskKeepsTheFirstFailure) {
  OutputFile f;
  ASSERT_TRUE(f.create("/dev/full"));
  std::string linha(1000, 'a');
  for (int i = 0; i < 200; ++i) f.writeLine(linha);
  EXPECT_TRUE(f.failed());
  EXPECT_EQ(f.error(), "não há espaço livre no disco");
  EXPECT_FALSE(f.close());
}

}  // namespace
}  // namespace quorvel
