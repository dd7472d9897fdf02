#include "common/leitor_linhas.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/arquivo_saida.h"
#include "store/pasta_temporaria.h"

namespace quorvel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr size_t kMega = size_t{1} << 20;  // the reader's block

std::vector<std::string> lerLinhas(const teste::PastaTemporaria& pasta, const std::string& bytes,
                                   TextEncoding* codificacao = nullptr) {
  pasta.gravar("entrada.txt", bytes);
  LeitorLinhas leitor;
  std::string erro;
  EXPECT_TRUE(leitor.abrir((pasta / "entrada.txt").string(), erro)) << erro;
  std::vector<std::string> linhas;
  std::string_view l;
  while (leitor.proximaLinha(l)) linhas.emplace_back(l);
  EXPECT_EQ(leitor.erroLeitura(), "");
  if (codificacao) *codificacao = leitor.codificacao();
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

TEST(LeitorLinhas, CodificacaoPeloPrimeiroBloco) {
  teste::PastaTemporaria pasta;
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

TEST(LeitorLinhas, BytesInvalidosDepoisDoPrimeiroBlocoViramWindows1252) {
  teste::PastaTemporaria pasta;
  std::string ascii(5000, 'a');
  TextEncoding c;
  auto linhas = lerLinhas(pasta, ascii + "\nJos\xE9\n", &c);
  EXPECT_EQ(c, TextEncoding::Utf8);
  EXPECT_THAT(linhas, ElementsAre(ascii, "José"));
}

TEST(LeitorLinhas, CaractereCortadoNoFimDoBlocoDeDeteccao) {
  teste::PastaTemporaria pasta;
  // "é" straddles byte 4096: the block is still UTF-8, not Windows-1252.
  std::string inicio(4095, 'a');
  TextEncoding c;
  auto linhas = lerLinhas(pasta, inicio + "\xC3\xA9" + "\n", &c);
  EXPECT_EQ(c, TextEncoding::Utf8);
  EXPECT_THAT(linhas, ElementsAre(inicio + "é"));
}

TEST(LeitorLinhas, FinsDeLinha) {
  teste::PastaTemporaria pasta;
  EXPECT_THAT(lerLinhas(pasta, "a\r\nb\nc\rd"), ElementsAre("a", "b", "c", "d"));
  EXPECT_THAT(lerLinhas(pasta, "a\r\n\r\nb\r\n"), ElementsAre("a", "", "b"));
  EXPECT_THAT(lerLinhas(pasta, "a\r\rb\n\n"), ElementsAre("a", "", "b", ""));
  EXPECT_THAT(lerLinhas(pasta, ""), IsEmpty());
  EXPECT_THAT(lerLinhas(pasta, "\n"), ElementsAre(""));
  EXPECT_THAT(lerLinhas(pasta, std::string("a\0b\nc", 5)),
              ElementsAre(std::string("a\0b", 3), "c"));
}

TEST(LeitorLinhas, LinhasQueAtravessamBlocos) {
  teste::PastaTemporaria pasta;
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

TEST(LeitorLinhas, ArquivoQueNaoAbre) {
  teste::PastaTemporaria pasta;
  LeitorLinhas leitor;
  std::string erro;
  EXPECT_FALSE(leitor.abrir((pasta / "sumiu.txt").string(), erro));
  EXPECT_EQ(erro, "o arquivo ou a pasta não existe");
  EXPECT_FALSE(leitor.abrir(pasta.str(), erro));
  std::string_view l;
  EXPECT_FALSE(leitor.proximaLinha(l));
}

TEST(ArquivoSaida, MarcaDeOrdemEQuebrasCrLf) {
  teste::PastaTemporaria pasta;
  std::string caminho = (pasta / "saida.txt").string();
  {
    ArquivoSaida f;
    ASSERT_TRUE(f.criar(caminho));
    f.linha("josé@x.com");
    f.linha("xx", '\t', "Erro de sintaxe");
    f.linha("");
    EXPECT_TRUE(f.fechar());
  }
  EXPECT_EQ(pasta.bytes("saida.txt"), "\xEF\xBB\xBFjosé@x.com\r\nxx\tErro de sintaxe\r\n\r\n");
}

TEST(ArquivoSaida, DiscoCheioGuardaAPrimeiraFalha) {
  ArquivoSaida f;
  ASSERT_TRUE(f.criar("/dev/full"));
  std::string linha(1000, 'a');
  for (int i = 0; i < 200; ++i) f.linha(linha);
  EXPECT_TRUE(f.falhou());
  EXPECT_EQ(f.erro(), "não há espaço livre no disco");
  EXPECT_FALSE(f.fechar());
}

}  // namespace
}  // namespace quorvel
