#include "validation/empirical.h"

#include <gtest/gtest.h>

#include <random>

namespace quorvel {
namespace {

TEST(FiltroEmpirico, FirstStageMeasuresAndTheirTexts) {
  struct Case {
    const char* email;
    const char* detalhe;  // nullptr = passes stage 1
  };
  const Case cases[] = {
      {"a_b_c_d_e@x.com", "4ocorrências do caractere \"_\""},
      {"a.b.c.d.e@x.com.br", "6ocorrências do caractere \".\""},
      {"ana123456789@x.com", "9 números seguidos"},
      {"ana12345678@x.com", nullptr},
      {"bcdfghj@x.com", "7 consoantes seguidas"},
      {"bcdfgh@x.com", nullptr},
      {"aeiou@x.com", "5 vogais seguidas"},
      {"aeio@x.com", nullptr},
      {"a000000@x.com", "6 caracteres iguais seguidos"},
      {"__ana@x.com", "caiu na regra __"},
      {"_-_ana@x.com", "caiu na regra _-_"},
      {"ana.silva@gmail.com", nullptr},
  };
  for (const auto& c : cases) {
    std::string gErro;
    bool rejeita = filtroEmpirico(c.email, false, gErro);
    EXPECT_EQ(rejeita, c.detalhe != nullptr) << c.email;
    if (c.detalhe) {
      EXPECT_EQ(gErro, c.detalhe) << c.email;
    }
  }
}

TEST(FiltroEmpirico, MeasuresAreAtLeastOneAndLeaveTheirText) {
  std::string gErro;
  EXPECT_EQ(maxSequenciaNumeros("abc@x.com", gErro), 1);
  EXPECT_EQ(gErro, "1 números seguidos");
  EXPECT_EQ(maxSequenciaIguais("abc", gErro), 1);
  EXPECT_EQ(maxSequenciaConsoantes("", gErro), 0);
  // A pass without stage 2 leaves the text of the last measure computed.
  EXPECT_FALSE(filtroEmpirico("ana@x.com", false, gErro));
  EXPECT_EQ(gErro, "1 caracteres iguais seguidos");
  EXPECT_FALSE(filtroEmpirico("ana@x.com", true, gErro));
  EXPECT_EQ(gErro, "");
}

TEST(FiltroEmpirico, SecondStageSubRules) {
  struct Case {
    const char* email;
    const char* motivo;
  };
  const Case cases[] = {
      {"ab12cd34ef56@x.com", "Sequências atípicas de números e letras"},
      {"ab12cd34@x.com", "não"},
      {"ana.@x.com", "Termina ou começa com caracteres atípicos"},
      {"ana_@x.com", "Termina ou começa com caracteres atípicos"},
      {"-ana@x.com", "Termina ou começa com caracteres atípicos"},
      {"a-n-a-b@x.com", "Tem muitos hífens ou underlines"},
      {"a_n_a_b@x.com", "Tem muitos hífens ou underlines"},
      {"a1234567890@x.com", "Quantidade atípica de números"},
      {"anabcdfgh@x.com", "Sequência atípica de consoantes"},
      {"anaBCDFGH@x.com", "Sequência atípica de consoantes"},
      {"annnna@x.com", "Muitos caracteres iguais seguidos"},
      {"a.n.a.b@x.com.br", "Tem muitos pontos"},
      {"a.b@x-.com", "Uso atípio de hífens e underlines"},
      {"ana_-b@x.com", "Uso atípio de hífens e underlines"},
      {"123.45@x.com", "Só números e símbolos no prefixo"},
      {"semarroba", "Só números e símbolos no prefixo"},
      {"maria.silva@gmail.com", "não"},
  };
  for (const auto& c : cases) EXPECT_EQ(EhInvalidoFiltroEmpirico(c.email), c.motivo) << c.email;
}

TEST(FiltroEmpirico, SecondStageOnlyWhenRequested) {
  std::string gErro;
  EXPECT_FALSE(filtroEmpirico("ab12cd34ef56@x.com", false, gErro));
  EXPECT_TRUE(filtroEmpirico("ab12cd34ef56@x.com", true, gErro));
  EXPECT_EQ(gErro, "Sequências atípicas de números e letras");
  // Four or five equal characters: only stage 2; six: stage 1.
  EXPECT_FALSE(filtroEmpirico("annnnna@x.com", false, gErro));
  EXPECT_TRUE(filtroEmpirico("annnnna@x.com", true, gErro));
  EXPECT_EQ(gErro, "Muitos caracteres iguais seguidos");
}

TEST(FiltroEmpirico, LetterDigitCountAgreesWithTheExpression) {
  std::mt19937 rng(3);
  const std::string alphabet = "aZ09._@";
  for (int i = 0; i < 100000; ++i) {
    std::string s;
    int len = static_cast<int>(rng() % 16);
    for (int k = 0; k < len; ++k) s += alphabet[rng() % alphabet.size()];
    ASSERT_EQ(contarLetrasNumeros(s), contarLetrasNumerosPcre(s)) << s;
  }
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

// Stage 1 computes its measures in one pass; the answer and the text left behind must be those
// of computing them one after the other.
TEST(FiltroEmpirico, OnePassAgreesWithTheMeasuresInTurn) {
  auto emSequencia = [](std::string_view e, std::string& gErro) {
    if (contarCaractere(e, '_', gErro) >= 4) return true;
    if (contarCaractere(e, '.', gErro) >= 6) return true;
    if (maxSequenciaNumeros(e, gErro) >= 9) return true;
    if (maxSequenciaConsoantes(e, gErro) >= 7) return true;
    if (maxSequenciaVogais(e, gErro) >= 5) return true;
    if (maxSequenciaIguais(e, gErro) >= 6) return true;
    if (e.substr(0, 2) == "__") return gErro = "caiu na regra __", true;
    if (e.substr(0, 3) == "_-_") return gErro = "caiu na regra _-_", true;
    return false;
  };
  std::mt19937 rng(11);
  const std::string alphabet = "aeibcdxyz0123_.-@\xC3\xA3";
  for (int i = 0; i < 100000; ++i) {
    std::string s;
    int len = static_cast<int>(rng() % 20);
    for (int k = 0; k < len; ++k) s += alphabet[rng() % alphabet.size()];
    std::string a, b;
    ASSERT_EQ(filtroEmpiricoEtapa1(s, a), emSequencia(s, b)) << s;
    ASSERT_EQ(a, b) << s;
  }
}

}  // namespace
}  // namespace quorvel
