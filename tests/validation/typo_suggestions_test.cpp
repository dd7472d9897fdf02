// Suggestions for mistyped addresses: the slip rule, the candidate index, and the rules of a
// suggestion through the chain, with MX answers from the DNS peer on loopback and a real store.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "support/mx_fixture.h"
#include "validation/candidate_index.h"

namespace quorvel {
namespace {

using ::testing::ElementsAre;

TEST(SmallSlip, OneEditInTheDomainOrTheBrEnding) {
  struct Caso {
    const char* digitado;
    const char* candidato;
    bool slip;
  };
  const Caso casos[] = {
      {"gmial.com", "gmail.com", true},       // neighbours swapped
      {"hotmail.cmo", "hotmail.com", true},   // neighbours swapped at the end
      {"hotmail.con", "hotmail.com", true},   // one letter replaced
      {"gmail,com", "gmail.com", true},       // the dot replaced
      {"hotmai.com", "hotmail.com", true},    // one letter left out
      {"gmailcom", "gmail.com", true},        // the dot left out
      {"gmaill.com", "gmail.com", true},      // a doubled letter
      {"yaho.com.br", "yahoo.com.br", true},  // a double letter typed once
      {"gmail.com.", "gmail.com", true},      // one character added at the end
      {"uol.com", "uol.com.br", true},        // ".br" left out
      {"gmail.com.br", "gmail.com", true},    // ".br" added
      {"uol.combr", "uol.com.br", true},      // the dot of ".br" left out
      {"gmail.com", "gmail.com", false},      // the same domain
      {"gmial.con", "gmail.com", false},      // two edits
      {"gmlia.com", "gmail.com", false},      // letters two apart swapped
      {"liame.com", "gmail.com", false},      // same letters, no slip
      {"uol.com.br.br", "uol.com", false},    // ".br" twice
      {"uol.br.com", "uol.com", false},       // ".br" in the middle
      {"uol.com.pt", "uol.com", false},       // another ending
      {"gmail.co.br", "gmail.com", false},    // a slip and ".br"
  };
  for (const auto& c : casos) {
    EXPECT_EQ(smallSlip(c.digitado, c.candidato), c.slip) << c.digitado << " → " << c.candidato;
    if (std::string_view(c.digitado) != c.candidato) {
      EXPECT_EQ(smallSlip(c.candidato, c.digitado), c.slip) << "simétrico: " << c.digitado;
    }
  }
}

TEST(CandidateIndex, TheOnlyCloseCandidateNeverTheDomainItselfNorOneOfTwo) {
  CandidateIndex i;
  for (const char* d : {"gmail.com", "uol.com.br", "bol.com.br", "oi.com.br", "ig.com.br"})
    EXPECT_TRUE(i.add(d));
  EXPECT_FALSE(i.add("gmail.com"));
  EXPECT_EQ(i.size(), 5u);
  auto unico = [&](const char* t) {
    const std::string* c = i.unico(t);
    return c ? *c : std::string("-");
  };
  EXPECT_EQ(unico("gmial.com"), "gmail.com");
  EXPECT_EQ(unico("uol.com"), "uol.com.br");
  EXPECT_EQ(unico("gmail.com.br"), "gmail.com");
  EXPECT_EQ(unico("gmail.com"), "-");  // a candidate is no slip of itself
  EXPECT_EQ(unico("ol.com.br"), "-");  // uol and bol
  EXPECT_EQ(unico("i.com.br"), "-");   // oi and ig
  EXPECT_EQ(unico("yahoo.com"), "-");  // nothing close
  EXPECT_EQ(unico(std::string(300, 'a').c_str()), "-");
  EXPECT_TRUE(i.algumProximo("ol.com.br"));
  EXPECT_FALSE(i.algumProximo("gmail.com"));
}

// The index answers what comparing the typed domain with every candidate answers.
TEST(CandidateIndex, AgreesWithComparingEveryCandidate) {
  std::mt19937_64 rng(25);
  std::vector<std::string> candidatos;
  CandidateIndex i;
  const std::string letras = "abcdeilmnor.";
  auto aleatorio = [&](size_t n) {
    std::string s;
    for (size_t k = 0; k < n; ++k) s += letras[rng() % (letras.size() - 1)];
    return s;
  };
  for (int k = 0; k < 300; ++k) {
    std::string d = aleatorio(3 + rng() % 6) + (k % 3 ? ".com" : ".com.br");
    if (i.add(d)) candidatos.push_back(d);
  }
  // Typed domains one or two edits from a candidate, ".br" games included.
  auto estragar = [&](std::string s) {
    switch (rng() % 5) {
      case 0:
        s.insert(rng() % (s.size() + 1), 1, letras[rng() % letras.size()]);
        break;
      case 1:
        s.erase(rng() % s.size(), 1);
        break;
      case 2:
        s[rng() % s.size()] = letras[rng() % letras.size()];
        break;
      case 3:
        if (s.size() > 1) {
          size_t p = rng() % (s.size() - 1);
          std::swap(s[p], s[p + 1]);
        }
        break;
      default:
        s = s.size() > 3 && s.ends_with(".br") ? s.substr(0, s.size() - 3) : s + ".br";
    }
    return s;
  };
  int unicos = 0, varios = 0;
  for (int k = 0; k < 5000; ++k) {
    std::string t = estragar(candidatos[rng() % candidatos.size()]);
    if (k % 2) t = estragar(t);
    std::set<std::string> perto;
    for (const auto& c : candidatos)
      if (smallSlip(t, c)) perto.insert(c);
    const std::string* u = i.unico(t);
    if (perto.size() == 1) {
      ASSERT_NE(u, nullptr) << t;
      EXPECT_EQ(*u, *perto.begin()) << t;
      ++unicos;
    } else {
      EXPECT_EQ(u, nullptr) << t << " (" << perto.size() << " candidatos)";
      varios += perto.size() > 1;
    }
    EXPECT_EQ(i.algumProximo(t), !perto.empty()) << t;
  }
  EXPECT_GT(unicos, 1000);  // the table exercised both answers
  EXPECT_GT(varios, 50);
}

// The providers and a few look-alikes have mail servers on the DNS peer; every other name does
// not exist. globo.com is a provider without one.
struct Sugestoes : testing::MxFixture {
  Sugestoes()
      : MxFixture(
            {"gmail.com", "hotmail.com", "uol.com.br", "bol.com.br", "yahoo.com.br", "oi.com.br",
             "ig.com.br", "gmai.com", "loja-xyz.com.br", "abc.com.br", "outra-loja.com.br"},
            {"--local=/#/"}) {
    ValidationChain& c = f.v.chain;
    c.gProvedores = filterListOf({"gmail.com", "hotmail.com", "uol.com.br", "bol.com.br",
                                  "yahoo.com.br", "oi.com.br", "ig.com.br", "globo.com"});
    c.gFiltroPaises = filterListOf({".co", ".fr"});
    c.gRegras = filterListOf({"teste*"});
    c.gTraps = filterListOf({"spam@gmail.com"});
    using namespace std::chrono;
    database->inserirEmailInvalido("morto@gmail.com", "", "", year{2026} / 1 / 1, 1, 0, true);
  }
  ValidationChain& chain() { return f.v.chain; }
  // The chain's suggestion for one address, with its reason.
  std::string sugestao(const std::string& email) {
    std::string erro;
    chain().validarEmail(email, erro);
    return chain().sugestao.empty() ? "- (" + erro + ")" : chain().sugestao;
  }
};

TEST(TypoSuggestions, TableOfTypedAddresses) {
  Sugestoes s;
  s.sugestao("ok@gmail.com");  // one address already asked about: the rest must not depend on it
  struct Caso {
    const char* digitado;
    const char* esperado;
  };
  const Caso casos[] = {
      // A small slip of a domain without a mail server, one candidate close.
      {"joana@gmial.com", "joana@gmail.com"},
      {"pedro@hotmail.con", "pedro@hotmail.com"},
      {"lia@hotmail.cmo", "lia@hotmail.com"},
      {"caio@hotmai.com", "caio@hotmail.com"},
      {"lu@gmaill.com", "lu@gmail.com"},
      {"ze@yaho.com.br", "ze@yahoo.com.br"},
      {"ana@uol.com", "ana@uol.com.br"},
      {"bia@bol.com", "bia@bol.com.br"},
      {"rita@gmail.com.br", "rita@gmail.com"},
      {"ana.silva+promo_1@gmial.com", "ana.silva+promo_1@gmail.com"},
      // Refused by the syntax check for its domain.
      {"ana@gmail,com", "ana@gmail.com"},
      {"ana@gmailcom", "ana@gmail.com"},
      {"ana@hotmail.com.", "ana@hotmail.com"},
      {"rui@@gmail.com", "rui@gmail.com"},
      // Refused before the MX test (country filter): the domain is asked, has none.
      {"bia@hotmail.co", "bia@hotmail.com"},
      // Never away from a domain that has a mail server.
      {"x@gmai.com", "- ()"},
      {"teste@gmai.com", "- (Regra personalizada (teste*))"},
      // Never towards one that has none.
      {"x@glob.com", "- (Teste MX - glob.com)"},
      // Never when two candidates are as close, or the slip is bigger.
      {"x@i.com.br", "- (Teste MX - i.com.br)"},
      {"x@ol.com.br", "- (Teste MX - ol.com.br)"},
      {"x@gmial.con", "- (Teste MX - gmial.con)"},
      {"x@yahoo.co", "- (Filtro de países: .co)"},  // two edits from yahoo.com.br
      // Never a change of the local part: a fault there stays, and so does the row.
      {"ana..silva@gmial.com", "- (Erro de sintaxe)"},
      {"jo ana@gmial.com", "- (Erro de sintaxe)"},
      {"zé@gmial.com", "- (Erro de sintaxe)"},
      // The corrected address must pass the other stages too.
      {"spam@gmial.com", "- (Teste MX - gmial.com)"},
      {"morto@gmial.com", "- (Teste MX - gmial.com)"},
      {"teste@gmial.com", "- (Regra personalizada (teste*))"},
      // Only rejected addresses, and not the negative base's or a repeated one.
      {"ok2@gmail.com", "- ()"},
      {"morto@gmail.com", "- (Base negativa: e-mail inexistente)"},
      {"joana@gmial.com", "- (E-mail repetido)"},
      {"sem-arroba.gmail.com", "- (Erro de sintaxe)"},
  };
  for (const auto& c : casos) EXPECT_EQ(s.sugestao(c.digitado), c.esperado) << c.digitado;
}

TEST(TypoSuggestions, TheirQuestionsAreNotCountedAndNeedTheMxTest) {
  Sugestoes s;
  EXPECT_EQ(s.sugestao("joana@gmial.com"), "joana@gmail.com");
  EXPECT_EQ(s.sugestao("bia@hotmail.co"), "bia@hotmail.com");
  // gmail.com, hotmail.com and hotmail.co were asked for the suggestions: learnt, not counted.
  EXPECT_EQ(s.rows("SELECT dominio FROM tbmxvalidos ORDER BY 1"), "gmail.com|hotmail.com|");
  EXPECT_EQ(s.rows("SELECT dominio FROM tbmxinvalidos ORDER BY 1"), "gmial.com|hotmail.co|");
  EXPECT_EQ(s.f.counter(Counter::lbBases), "0");
  EXPECT_EQ(s.f.counter(Counter::lbTesteMx), "1");
  EXPECT_EQ(s.f.counter(Counter::lbInternacional), "1");
  EXPECT_EQ(s.f.counter(Counter::lbTotalInvalidos), "2");

  s.chain().opcoes.sugestoes = false;
  EXPECT_EQ(s.sugestao("ana@gmial.com"), "- (Teste MX - gmial.com)");
  s.chain().opcoes.sugestoes = true;
  s.chain().opcoes.ckbTesteMX = false;  // no MX test: no suggestion, even for a syntax slip
  EXPECT_EQ(s.sugestao("ana@gmail,com"), "- (Erro de sintaxe)");
  s.chain().opcoes.ckbTesteMX = true;
  s.platform.online = false;  // offline: the candidate cannot be known to receive mail
  EXPECT_EQ(s.sugestao("caio@hotmai.com"), "- ()");
  EXPECT_EQ(s.sugestao("rui@gmail,com"), "- (Erro de sintaxe)");
}

TEST(TypoSuggestions, TheUsersFrequentDomainsBecomeCandidates) {
  Sugestoes s;
  ValidationChain& c = s.chain();
  c.stagesRunStarts();
  std::string erro;
  for (int i = 0; i < 9; ++i) c.validarEmail("c" + std::to_string(i) + "@loja-xyz.com.br", erro);
  EXPECT_EQ(s.sugestao("ana@loja-xyz.com"), "- (Teste MX - loja-xyz.com)");
  c.validarEmail("c9@loja-xyz.com.br", erro);  // the tenth time: frequent
  EXPECT_EQ(s.sugestao("bia@loja-xyz.com"), "bia@loja-xyz.com.br");
  // Frequent look-alikes of a provider and short names never become candidates.
  for (int i = 0; i < 10; ++i) {
    c.validarEmail("g" + std::to_string(i) + "@gmai.com", erro);
    c.validarEmail("a" + std::to_string(i) + "@abc.com.br", erro);
  }
  EXPECT_EQ(s.sugestao("x@gma.com"), "- (Teste MX - gma.com)");
  EXPECT_EQ(s.sugestao("x@abc.com"), "- (Teste MX - abc.com)");
  c.stagesRunEnds();
  EXPECT_EQ(s.rows("SELECT dominio, hits FROM tbmxvalidos WHERE hits IS NOT NULL ORDER BY 1"),
            "abc.com.br|10|gmai.com|10|loja-xyz.com.br|10|");

  // Another program over the same store (the next start) knows it from there at once; a
  // received row counts only while sharing.
  s.database->inserirMX(kTbMxValidos, "outra-loja.com.br", "2026-01-01", false);
  s.database->db().exec("UPDATE tbmxvalidos SET hits = 50 WHERE dominio = 'outra-loja.com.br'");
  ValidationChain outra(s.f.dialogs);
  outra.gProvedores = c.gProvedores;
  outra.setMxStage(s.mx.get());
  outra.stagesRunStarts();
  EXPECT_EQ(outra.sugestoes().frequentes(), 1u);
  erro.clear();
  outra.validarEmail("caio@loja-xyz.combr", erro);
  EXPECT_EQ(outra.sugestao, "caio@loja-xyz.com.br");
  outra.validarEmail("caio@outra-loja.com", erro);
  EXPECT_EQ(outra.sugestao, "");
  s.colaboracao.gCompartilha = true;
  outra.stagesRunStarts();
  outra.validarEmail("dani@outra-loja.com", erro);
  EXPECT_EQ(outra.sugestao, "dani@outra-loja.com.br");
  EXPECT_EQ(outra.sugestoes().frequentes(), 2u);
}

// The MX stage counts in the answers it remembers: dropping those answers in the middle of a run
// (the collaboration flag changed) keeps the count, and an exempt domain is counted without one.
TEST(TypoSuggestions, CountsOutliveForgottenAnswersAndCoverExemptDomains) {
  Sugestoes s;
  ValidationChain& c = s.chain();
  c.gSitesIgnorados = filterListOf({"abc.com.br"});
  c.stagesRunStarts();
  std::string erro;
  for (int i = 0; i < 5; ++i) {
    c.validarEmail("c" + std::to_string(i) + "@loja-xyz.com.br", erro);
    c.validarEmail("a" + std::to_string(i) + "@abc.com.br", erro);
  }
  s.colaboracao.gCompartilha = true;
  for (int i = 5; i < 9; ++i) c.validarEmail("c" + std::to_string(i) + "@loja-xyz.com.br", erro);
  EXPECT_EQ(s.sugestao("ana@loja-xyz.com"), "- (Teste MX - loja-xyz.com)");
  c.validarEmail("c9@loja-xyz.com.br", erro);
  EXPECT_EQ(s.sugestao("bia@loja-xyz.com"), "bia@loja-xyz.com.br");
  // The exempt domain's addresses passed, uncounted by the store (it was never asked).
  EXPECT_EQ(s.f.counter(Counter::lbTotalFinal), "15");
  c.stagesRunEnds();
  EXPECT_EQ(s.rows("SELECT dominio, hits FROM tbmxvalidos WHERE hits IS NOT NULL ORDER BY 1"),
            "loja-xyz.com.br|10|");
  // The counts went to the store once: a new run adds nothing of its own.
  c.stagesRunStarts();
  c.stagesRunEnds();
  EXPECT_EQ(s.rows("SELECT hits FROM tbmxvalidos WHERE dominio = 'loja-xyz.com.br'"), "10|");
}

TEST(TypoSuggestions, ValidationRunFillsTheSuggestionColumnOfInvalidos) {
  Sugestoes s;
  s.f.list({{"nome", "emails"},
            {"Joana", "Joana@Gmial.com"},
            {"Caio", "caio@naoexiste.com.br"},
            {"Ana", "ana@gmail.com"},
            {"Rui", "rui@gmail,com"}});
  s.f.v.iniciarValidacao();
  const TextGrid& inv = s.f.editor.gridInvalidos;
  EXPECT_THAT(inv.rowCells(0), ElementsAre("E-mail", "Erro", "Sugestão"));
  EXPECT_THAT(s.f.column(inv, "Sugestão"), ElementsAre("joana@gmail.com", "", "rui@gmail.com"));
  EXPECT_THAT(s.f.valid(), ElementsAre("ana@gmail.com"));

  // With the suggestions off, Inválidos is as it always was.
  Sugestoes semSugestoes;
  semSugestoes.chain().opcoes.sugestoes = false;
  semSugestoes.f.emails({"joana@gmial.com"});
  semSugestoes.f.v.iniciarValidacao();
  EXPECT_THAT(semSugestoes.f.editor.gridInvalidos.rowCells(0), ElementsAre("E-mail", "Erro"));
}

}  // namespace
}  // namespace quorvel
