#include "extraction/tdtm_extrator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "lists/list_loading.h"
#include "support/grid_builder.h"
#include "support/scripted_ports.h"

namespace quorvel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> todos(const std::string& texto) {
  TdtmExtrator e(nullptr, nullptr, nullptr);
  return splitLines(e.getEmails(texto, true, true));
}

std::string repetir(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

struct Caso {
  const char* nome;
  std::string texto;
  std::vector<std::string> esperado;
};

class ExtractorCases : public ::testing::TestWithParam<Caso> {};

TEST_P(ExtractorCases, FindsTheAddressesInTextOrder) {
  EXPECT_EQ(todos(GetParam().texto), GetParam().esperado) << GetParam().nome;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExtractorCases,
    ::testing::Values(
        Caso{"vazio", "", {}}, Caso{"sem arroba", "nenhum endereço aqui. só texto", {}},
        Caso{"so arrobas", "@@ @ @@@", {}},
        Caso{"cada separador encerra o endereco",
             "a@x.com;b@x.com c@x.com\r\nd@x.com\te@x.com\"f@x.com<g@x.com>h@x.com",
             {"a@x.com", "b@x.com", "c@x.com", "d@x.com", "e@x.com", "f@x.com", "g@x.com",
              "h@x.com"}},
        Caso{"virgula separa os campos de um CSV",
             "Silva,ana@x.com,Recife\r\na@x.com,b@y.com",
             {"ana@x.com", "a@x.com", "b@y.com"}},
        Caso{"nome e angulos",
             "Fulano de Tal <fulano@empresa.com.br>, outro",
             {"fulano@empresa.com.br"}},
        Caso{
            "mailto em qualquer caixa", "<a href=\"MailTo:Fulano@X.com.br\">", {"Fulano@X.com.br"}},
        // Only the first "mailto:" goes; the second leaves a ":" that cuts the local part away.
        Caso{"segundo mailto fica", "mailto:ab@mailto:x.com", {}},
        Caso{"dominio de um caractere", "a@b a@é", {}},
        Caso{"trechos proibidos rejeitam o candidato inteiro",
             "a!b@x.com a*b@x.com a}b@x.com a{b@x.com a%b@x.com a)b@x.com a(b@x.com a[b@x.com "
             "a]b@x.com a@x.1.com a@x.9.com a\\b@x.com a=b@x.com a|b@x.com a$b@x.com a/b@x.com "
             "a@x...com a#b@x.com",
             {}},
        Caso{"primeiro caractere nao alfanumerico", "_a@x.com -a@x.com .a@x.com é@x.com", {}},
        Caso{"finais soltos removidos",
             "a@x.com.br. b@x.com,,' c@x.com.'",
             {"a@x.com.br", "b@x.com", "c@x.com"}},
        Caso{"finais cortados completados",
             "a@x.co b@x.com.b c@x.ne d@x.c",
             {"a@x.com", "b@x.com.br", "c@x.net", "d@x.com"}},
        Caso{"outros finais intactos",
             "a@x.de b@x.io c@x.info d@x.me e@x.be f@x.org g@x.com.br h@x.mobi i@x.tec",
             {"a@x.de", "b@x.io", "c@x.info", "d@x.me", "e@x.be", "f@x.org", "g@x.com.br",
              "h@x.mobi", "i@x.tec"}},
        Caso{"interrogacao corta depois da completacao",
             "a@x.com?assunto b@y.co?x",
             {"a@x.com", "b@y.co"}},
        Caso{"rotulo com dois pontos",
             "Email:fulano@x.com E-mail: beltrano@y.com",
             {"fulano@x.com", "beltrano@y.com"}},
        Caso{"dois arrobas seguidos", "a@host@dom.com", {"a@host@dom.com", "host@dom.com"}},
        Caso{"repetidos e caixa preservados",
             "Ana@X.com ana@x.com Ana@X.com",
             {"Ana@X.com", "ana@x.com", "Ana@X.com"}},
        Caso{"sem ponto depois do arroba", "a@localhost b.c@d", {}},
        Caso{"controle antes do endereco aparado",
             "\x01"
             "a@x.com",
             {"a@x.com"}}),
    [](const ::testing::TestParamInfo<Caso>& caso) {
      std::string n = caso.param.nome;
      for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return n;
    });

TEST(TdtmExtrator, TheWindowCountsCharactersNotBytes) {
  // The local part keeps its last 100 characters; "é" is two bytes but one character.
  std::string local = repetir("z", 20) + "a" + repetir("é", 99);
  EXPECT_THAT(todos("texto " + local + "@x.com fim"),
              ElementsAre("a" + repetir("é", 99) + "@x.com"));
  // A local part longer than 100 characters loses its beginning.
  EXPECT_THAT(todos(repetir("q", 50) + repetir("b", 100) + "@x.com"),
              ElementsAre(repetir("b", 100) + "@x.com"));
}

TEST(TdtmExtrator, TheTwoHundredCharacterWindowCutsTheDomain) {
  // With 100 characters before the "@", 99 are left after it.
  std::string dominio = "x.com" + repetir("d", 150);
  EXPECT_THAT(todos(repetir("a", 100) + "@" + dominio),
              ElementsAre(repetir("a", 100) + "@" + dominio.substr(0, 99)));
  // With a short local part at the start of the text, the window leaves 197 after the "@".
  EXPECT_THAT(todos("ab@" + dominio), ElementsAre("ab@" + dominio.substr(0, 197)));
  // Characters, not bytes, after the "@" too.
  std::string acentuado = "x.com" + repetir("ç", 150);
  EXPECT_THAT(todos(repetir("a", 100) + "@" + acentuado),
              ElementsAre(repetir("a", 100) + "@x.com" + repetir("ç", 94)));
}

TEST(TdtmExtrator, FirstOnlyWhenNotTakingAll) {
  TdtmExtrator e(nullptr, nullptr, nullptr);
  EXPECT_EQ(e.getEmails("lixo _x@y.com a@x.com b@x.com", false, true), "a@x.com\r\n");
  EXPECT_EQ(e.getEmails("nada", false, true), "");
  std::string email;
  EXPECT_TRUE(firstEmail("Fulano;\"fulano@x.com.br\";SP;b@y.com", email));
  EXPECT_EQ(email, "fulano@x.com.br");
  EXPECT_FALSE(firstEmail("sem;endereço;aqui", email));
  EXPECT_EQ(email, "");
}

std::string muitosEnderecos(int n) {
  std::string t;
  for (int i = 0; i < n; ++i) t += "pessoa" + std::to_string(i) + "@empresa.com.br; ";
  return t;
}

TEST(TdtmExtrator, ProgressShowsTheCountEveryHundred) {
  ScriptedDialogs dialogs;
  RecordingProgress progress;
  NoEventPump pump;
  std::vector<std::string> legendas;
  progress.onLegend = [&](RecordingProgress& p) { legendas.push_back(p.legend1); };
  TdtmExtrator e(&dialogs, &progress, &pump);

  std::string r = e.getEmails(muitosEnderecos(250), true, false);
  EXPECT_EQ(splitLines(r).size(), 250u);
  EXPECT_EQ(progress.operation, kOperacaoExtraindo);
  EXPECT_EQ(progress.maximum, 1);
  EXPECT_EQ(progress.position, 1);  // stepped once after the set-up
  EXPECT_THAT(legendas, ElementsAre("E-mails encontrados: 100", "E-mails encontrados: 200"));
  EXPECT_EQ(pump.calls, 2);
  EXPECT_THAT(dialogs.messages, IsEmpty());

  // Silent: the box is not set up, but the count is still refreshed.
  RecordingProgress outro;
  outro.operation = "outra operação";
  TdtmExtrator silencioso(&dialogs, &outro, &pump);
  silencioso.getEmails(muitosEnderecos(1200), true, true);
  EXPECT_EQ(outro.operation, "outra operação");
  EXPECT_EQ(outro.legend1, "E-mails encontrados: 1.200");
}

TEST(TdtmExtrator, CancelReturnsWhatWasFound) {
  ScriptedDialogs dialogs;
  RecordingProgress progress;
  NoEventPump pump;
  pump.onPump = [&] { progress.cancelRequested = true; };  // "Cancelar" while events run
  TdtmExtrator e(&dialogs, &progress, &pump);
  std::string r = e.getEmails(muitosEnderecos(1000), true, false);
  EXPECT_EQ(splitLines(r).size(), 100u);
  EXPECT_THAT(dialogs.texts("information"), ElementsAre(kMsgExtracaoCancelada));
}

TEST(TdtmExtrator, ALargeTextWithoutSeparatorsDoesNotHang) {
  // 2 MB without a single separator and an "@" every few bytes: each pass is bounded by its
  // window, so the scan stays linear.
  std::string t = repetir("ab@cd", 400000);
  auto r = todos(t);
  EXPECT_THAT(r, IsEmpty());
}

}  // namespace
}  // namespace quorvel
