#include "bulk/bulk_validation.h"

#include "app/bulk_run_window.h"

#include "bulk/line_read_ahead.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/format.h"
#include "common/text.h"
#include "support/scripted_ports.h"
#include "support/temp_folder.h"
#include "support/validation_window_fixture.h"

namespace quorvel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr const char* kBom = "\xEF\xBB\xBF";

struct Grandes : testing::ValidationWindowFixture {
  testing::TempFolder pasta;
  RecordingProgress progress;
  FakePlatform platform;
  BulkValidation g{v.chain, dialogs, progress, pump, platform};
  Notifier<BulkNotice>::Subscription janela = mostrarGrandesNaJanela(g, v);

  Grandes() {
    platform.folder = pasta.str();
    platform.clock = std::chrono::system_clock::now();
    std::filesystem::create_directories(pasta / "dados");
  }

  std::string arquivo(const std::string& nome, const std::string& bytes) {
    pasta.write(nome, bytes);
    return (pasta / nome).string();
  }
  std::string carimbo() const { return fileStamp(platform.clock); }
  std::string validos() const { return pasta.bytes("dados/big_validos " + carimbo() + ".txt"); }
  std::string invalidos() const { return pasta.bytes("dados/big_invalidos " + carimbo() + ".txt"); }
  // The lines of an output file, after checking its byte-order mark.
  static std::vector<std::string> linhas(const std::string& bytes) {
    EXPECT_EQ(bytes.substr(0, 3), kBom);
    return splitLines(std::string_view(bytes).substr(3));
  }
};

std::string linhasNumeradas(const std::string& prefixo, int n) {
  std::string t;
  for (int i = 0; i < n; ++i) t += prefixo + std::to_string(i) + "@empresa.com.br\r\n";
  return t;
}

TEST(BulkValidation, ValidatesEveryLineAndWritesBothFiles) {
  Grandes t;
  std::string a = t.arquivo("a.txt",
                            "Fulano@Empresa.com.br;Fulano;SP\r\n"
                            "\"beltrano@gmail.com\"\r\n"
                            "\r\n"
                            "sem;endereço\r\n"
                            "xx\r\n"
                            "fulano@empresa.com.br\r\n");
  // Windows-1252, with a field before the address.
  std::string b = t.arquivo("b.txt",
                            "Jos\xE9 Silva,jose@uol.com.br\r\n"
                            "Jo\xE3o\tjoao@terra.com.br\r\n"
                            "beltrano@gmail.com\r\n");
  t.g.adicionarArquivos({a, b});
  t.g.iniciar();

  EXPECT_THAT(Grandes::linhas(t.validos()),
              ElementsAre("Fulano@Empresa.com.br", "beltrano@gmail.com", "", "", "jose@uol.com.br",
                          "joao@terra.com.br"));
  EXPECT_THAT(Grandes::linhas(t.invalidos()),
              ElementsAre("xx\tErro de sintaxe", "fulano@empresa.com.br\tE-mail repetido",
                          "beltrano@gmail.com\tE-mail repetido"));
  EXPECT_EQ(t.v.chain.counters.value(Counter::lbProcessados), 7);
  EXPECT_EQ(t.v.chain.counters.value(Counter::lbRepetidos), 2);
  EXPECT_TRUE(t.v.chain.counters.undefined(Counter::lbTotalOriginal));
  // Per-file counters belong to the last file.
  EXPECT_EQ(t.g.linhasLidas, 3);
  EXPECT_EQ(t.g.validos, 2);
  EXPECT_EQ(t.g.invalidos, 1);
  EXPECT_EQ(t.g.totalLinhas, 9);

  EXPECT_THAT(t.dialogs.messages, IsEmpty());
  EXPECT_EQ(t.progress.operation, kOperacaoLendoArquivos);
  // The gauge shows the share of the listed files' bytes validated: full at the end.
  EXPECT_EQ(t.progress.maximum, BulkValidation::kEscalaBarra);
  EXPECT_EQ(t.progress.position, BulkValidation::kEscalaBarra);
  EXPECT_EQ(t.progress.legend1, "arquivo: b.txt");
  EXPECT_FALSE(t.progress.visible);
  EXPECT_THAT(t.platform.opened, ElementsAre((t.pasta / "dados").string()));
  EXPECT_TRUE(t.g.btnIniciarHabilitado);
  EXPECT_TRUE(t.v.btnFecharHabilitado);
  EXPECT_FALSE(t.v.btnIniciarHabilitado);  // until the validation window is closed
  EXPECT_FALSE(t.v.barraProgressoVisivel);
}

TEST(BulkValidation, TextOfEachLine) {
  const std::pair<std::string, std::string> casos[] = {
      {"ana@x.com.br", "ana@x.com.br"},
      {"  \"Ana@X.com.br\"  ", "Ana@X.com.br"},
      {"Ana;ana@x.com.br;SP", "ana@x.com.br"},
      {"Ana Silva,ana@x.com.br,SP", "ana@x.com.br"},
      {"Ana\t\"ana@x.com.br\"\t11 99999-0000", "ana@x.com.br"},
      {"nome;cidade;uf", ""},
      {"", ""},
  };
  std::string extraido, texto;
  for (const auto& [linha, esperado] : casos) {
    prepareLine(linha, extraido, texto);
    EXPECT_EQ(texto, esperado) << linha;
  }
}

TEST(BulkValidation, RepeatsAcrossRunsWhileTheWindowStaysOpen) {
  Grandes t;
  t.g.adicionarArquivos({t.arquivo("a.txt", "ana@x.com.br\r\n")});
  t.g.iniciar();
  t.platform.clock += std::chrono::seconds(1);
  t.g.iniciar();
  EXPECT_THAT(Grandes::linhas(t.invalidos()), ElementsAre("ana@x.com.br\tE-mail repetido"));
  t.v.fecharClicado();
  t.platform.clock += std::chrono::seconds(1);
  t.g.iniciar();
  EXPECT_THAT(Grandes::linhas(t.validos()), ElementsAre("ana@x.com.br"));
}

// The lines are checked against the filter lists ahead of the chain, on another thread: a list
// or a check box changed while the run lets events through applies from the next line on, as
// it would if each line were checked in its turn.
TEST(BulkValidation, FilterChangesDuringTheRunApplyFromTheNextLine) {
  Grandes t;
  std::string texto;
  for (int i = 0; i < 1200; ++i)
    texto += (i % 2 ? "bloqueado" : "cliente") + std::to_string(i) + "@empresa.com.br\r\n";
  t.g.adicionarArquivos({t.arquivo("a.txt", texto)});
  t.pump.onPump = [&] {
    if (t.g.linhasLidas == 300) t.v.chain.gRegras = filterListOf({"bloqueado*"});
    if (t.g.linhasLidas == 700) t.v.chain.opcoes.ckbRegras = false;
  };
  t.g.iniciar();
  const auto invalidos = Grandes::linhas(t.invalidos());
  // Lines 300 to 699 (counted from 1), the odd ones among them: lines 301, 303, ... 699.
  ASSERT_EQ(invalidos.size(), 200u);
  EXPECT_EQ(invalidos.front(), "bloqueado299@empresa.com.br\tRegra personalizada (bloqueado*)");
  EXPECT_EQ(invalidos.back(), "bloqueado697@empresa.com.br\tRegra personalizada (bloqueado*)");
  EXPECT_EQ(Grandes::linhas(t.validos()).size(), 1000u);
}

TEST(BulkValidation, LegendsEveryHundredLines) {
  Grandes t;
  t.g.adicionarArquivos({t.arquivo("a.txt", linhasNumeradas("p", 250))});
  std::vector<std::string> l2, l3;
  t.progress.onLegend = [&](RecordingProgress& p) {
    if (l2.empty() || l2.back() != p.legend2) l2.push_back(p.legend2);
    if (l3.empty() || l3.back() != p.legend3) l3.push_back(p.legend3);
  };
  t.g.iniciar();
  EXPECT_THAT(l2, ElementsAre("Linhas processadas: 100", "Linhas processadas: 200"));
  EXPECT_THAT(l3, ElementsAre("", "Válidos: 99 / Inválidos: 0", "Válidos: 199 / Inválidos: 0"));
  EXPECT_EQ(t.pump.calls, 3);  // the window shown, then lines 100 and 200
}

TEST(BulkValidation, CancelInTheSecondFileKeepsWhatWasDone) {
  Grandes t;
  t.g.adicionarArquivos({t.arquivo("1.txt", linhasNumeradas("a", 150)),
                         t.arquivo("2.txt", linhasNumeradas("b", 300)),
                         t.arquivo("3.txt", linhasNumeradas("c", 10))});
  t.pump.onPump = [&] {
    if (t.progress.legend1 == "arquivo: 2.txt" && t.progress.legend2 == "Linhas processadas: 200")
      t.progress.cancelRequested = true;
  };
  t.g.iniciar();
  EXPECT_TRUE(t.g.cancelado);
  EXPECT_THAT(t.dialogs.texts("information"), ElementsAre(kMsgGrandesCancelado));
  auto val = Grandes::linhas(t.validos());
  ASSERT_EQ(val.size(), 350u);
  EXPECT_EQ(val[149], "a149@empresa.com.br");
  EXPECT_EQ(val[349], "b199@empresa.com.br");
  EXPECT_THAT(Grandes::linhas(t.invalidos()), IsEmpty());
  EXPECT_EQ(t.progress.legend1, "arquivo: 2.txt");  // the third file was never opened
  EXPECT_TRUE(t.g.btnIniciarHabilitado);
}

TEST(BulkValidation, TheGaugeFollowsTheLinesValidatedAndEndsFull) {
  // Two files of 3,000 and 1,000 lines (the MX read-ahead keeps 2,048 lines ahead): at each
  // hundredth line the gauge stands where the lines done stand, never at the bytes read ahead.
  Grandes t;
  t.g.adicionarArquivos({t.arquivo("a.txt", linhasNumeradas("p", 3000)),
                         t.arquivo("b.txt", linhasNumeradas("q", 1000))});
  std::vector<std::pair<int64_t, int64_t>> marcas;  // (lines done, gauge)
  t.progress.onLegend = [&](RecordingProgress& p) {
    if (p.legend2.rfind("Linhas processadas: ", 0) != 0) return;
    marcas.emplace_back(t.g.totalLinhas, p.position);
  };
  t.g.iniciar();
  ASSERT_GE(marcas.size(), 30u);
  for (const auto& [linhas, barra] : marcas) {
    const double esperado = static_cast<double>(linhas) / 4000 * BulkValidation::kEscalaBarra;
    EXPECT_NEAR(static_cast<double>(barra), esperado, 15) << linhas;
  }
  EXPECT_EQ(t.progress.position, BulkValidation::kEscalaBarra);
}

TEST(BulkValidation, WithoutFilesOrDefinitionsNothingIsWritten) {
  Grandes t;
  t.g.iniciar();
  EXPECT_THAT(t.dialogs.texts("error"), ElementsAre(kMsgNenhumArquivo));

  // Lists not loaded: they are loaded first; only lists that cannot be loaded stop the run.
  Grandes u;
  u.v.chain.gRegras.reset();
  bool carregou = false;
  auto pedido = u.g.notices.listen([&](const BulkNotice& n) {
    if (n.kind == BulkNotice::Kind::definitionsMissing) carregou = true;
  });
  u.g.adicionarArquivos({u.arquivo("a.txt", "a@x.com\r\n")});
  u.g.iniciar();
  EXPECT_THAT(u.dialogs.texts("error"), ElementsAre(kMsgBancoNaoIniciado));
  EXPECT_TRUE(carregou);

  for (const Grandes* x : {&t, &u}) EXPECT_TRUE(std::filesystem::is_empty(x->pasta / "dados"));
}

TEST(BulkValidation, AFileGoneAfterListingIsSkipped) {
  Grandes t;
  std::string sumiu = t.arquivo("sumiu.txt", "x@y.com.br\r\n");
  t.g.adicionarArquivos(
      {t.arquivo("a.txt", "a@x.com.br\r\n"), sumiu, t.arquivo("c.txt", "c@x.com.br\r\n")});
  std::filesystem::remove(sumiu);
  t.g.iniciar();
  EXPECT_THAT(t.dialogs.texts("error"), ElementsAre(kMsgNaoAbriuArquivo + sumiu));
  EXPECT_THAT(Grandes::linhas(t.validos()), ElementsAre("a@x.com.br", "c@x.com.br"));
}

TEST(BulkValidation, ASecondRunInTheSameSecondNeverOverwritesTheFirst) {
  Grandes t;
  t.g.adicionarArquivos({t.arquivo("a.txt", "a@x.com.br\r\n")});
  t.g.iniciar();
  const std::string primeiro = t.g.arquivoValidos;
  t.v.fecharClicado();  // a new window: the address is not repeated
  t.g.lstFiles.clear();
  t.g.adicionarArquivos({t.arquivo("b.txt", "b@x.com.br\r\n")});
  t.g.iniciar();  // the clock has not moved
  EXPECT_EQ(t.g.arquivoValidos,
            (t.pasta / "dados" / ("big_validos " + t.carimbo() + " (2).txt")).string());
  EXPECT_EQ(t.g.arquivoInvalidos,
            (t.pasta / "dados" / ("big_invalidos " + t.carimbo() + " (2).txt")).string());
  EXPECT_THAT(Grandes::linhas(t.validos()), ElementsAre("a@x.com.br"));  // the first run's
  EXPECT_THAT(Grandes::linhas(t.pasta.bytes("dados/big_validos " + t.carimbo() + " (2).txt")),
              ElementsAre("b@x.com.br"));
}

TEST(BulkValidation, BadInputsDoNotBringItDown) {
  Grandes t;
  std::mt19937 rng(7);
  std::string binario(300000, '\0');
  for (char& c : binario) c = static_cast<char>(rng());
  std::string longa(5 << 20, 'a');
  t.g.adicionarArquivos({t.arquivo("bin.dat", binario), t.arquivo("vazio.txt", ""),
                         t.arquivo("longa.txt", "x@y.com.br," + longa + "\r" + longa + "@x.com"),
                         t.arquivo("cr.txt", "ana@bol.com.br\rcaio@dominio.com.br\r")});
  t.g.iniciar();
  EXPECT_THAT(t.dialogs.messages, IsEmpty());
  auto val = Grandes::linhas(t.validos());
  auto inv = Grandes::linhas(t.invalidos());
  EXPECT_EQ(static_cast<int64_t>(val.size() + inv.size()), t.g.totalLinhas);
  EXPECT_THAT(std::vector<std::string>(val.end() - 3, val.end()),
              ElementsAre("x@y.com.br", "ana@bol.com.br", "caio@dominio.com.br"));
  // The 5 MB line is written whole, with its reason.
  EXPECT_EQ(inv.back().substr(0, longa.size() + 7), longa + "@x.com\t");
}

TEST(BulkValidation, FileList) {
  Grandes t;
  std::string a = t.arquivo("a.txt", std::string(2500, 'x'));
  std::string b = t.arquivo("b.txt", "pouco");
  t.dialogs.values.push_back(a + "\r\n" + b);
  t.g.abrirLista();
  t.g.adicionarArquivos({a.substr(0, a.size() - 5) + "A.TXT", (t.pasta / "nenhum.txt").string()});
  ASSERT_EQ(t.g.lstFiles.size(), 3u);
  EXPECT_EQ(t.g.lstFiles[0].informacoes, "2 KB");
  EXPECT_EQ(t.g.lstFiles[1].informacoes, "1 KB");
  EXPECT_EQ(t.g.lstFiles[2].informacoes, "1 KB");  // a size that cannot be read
  t.g.excluir({2, 0});
  ASSERT_EQ(t.g.lstFiles.size(), 1u);
  EXPECT_EQ(t.g.lstFiles[0].arquivo, b);

  t.g.mostrarAjuda();
  ASSERT_FALSE(t.dialogs.messages.empty());
  EXPECT_EQ(t.dialogs.messages.back().altura, 400);
  EXPECT_THAT(t.dialogs.messages.back().texto,
              ::testing::StartsWith("Validação de listas gigantes"));
}

TEST(FileStamp, DateAndTimeInBrazilianForm) {
  const char* tzAntes = std::getenv("TZ");
  std::string salvo = tzAntes ? tzAntes : "";
  ::setenv("TZ", "BRT3", 1);  // UTC−3 without a time-zone database
  ::tzset();
  using namespace std::chrono;
  auto t = sys_days{year{2026} / 3 / 7} + hours{15} + minutes{4} + seconds{9};
  EXPECT_EQ(fileStamp(t), "07-03-2026 12_04_09");
  if (tzAntes)
    ::setenv("TZ", salvo.c_str(), 1);
  else
    ::unsetenv("TZ");
  ::tzset();
}

}  // namespace
}  // namespace quorvel
