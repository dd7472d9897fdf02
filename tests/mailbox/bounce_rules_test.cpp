// Reading a bounce: the sender patterns, the phrase tables, the two passes over the text, the
// cleaning of the candidate and the recipient of a delivery report.
#include "mailbox/bounce_rules.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "mailbox/parsed_message.h"

namespace quorvel {
namespace {

TEST(BounceRules, SenderPatternIsTheFirstContainedOne) {
  EXPECT_EQ(remetenteDeRetorno(toLower("MAILER-DAEMON@relay.test")), "mailer-daemon@");
  EXPECT_EQ(remetenteDeRetorno("postmaster@x.test"), "postmaster@");
  EXPECT_EQ(remetenteDeRetorno("loja-noreply@x.test"), "noreply@");
  EXPECT_EQ(remetenteDeRetorno("cliente@x.test"), "");
}

TEST(BounceRules, PermanentPhrasesWinOverRelativeOnesAndTableOrderDecides) {
  struct Caso {
    const char* texto;
    const char* frase;
    int tipo;
  } casos[] = {
      {"user unknown ... recipient address rejected", "address rejected", kTipoPermanente},
      {"mailbox is full; also user unknown", "user unknown", kTipoPermanente},
      {"over quota and mailbox is full", "mailbox is full", kTipoRelativo},
      {"smtp error from remote mail server", "SMTP error from remote", kTipoRelativo},
      {"message delayed 48 hours on the queue", "hours on the queue", kTipoRelativo},
      {"a caixa postal não existe esta caixa postal", "não existe esta caixa postal",
       kTipoPermanente},
      {"obrigado pela mensagem", "", kTipoSemFrase},
  };
  for (const auto& c : casos) {
    FraseEncontrada f = classificarTexto(toLower(c.texto));
    EXPECT_EQ(f.frase, c.frase) << c.texto;
    EXPECT_EQ(f.tipo, c.tipo) << c.texto;
  }
}

TEST(BounceRules, FirstPassKeepsTheLastPairAndStopsAtTheOwnAddress) {
  EnderecosIgnorados eu{"conta@exemplo.test", "mailer-daemon@relay.test"};
  struct Caso {
    const char* texto;
    const char* candidato;
  } casos[] = {
      {"<a@x.test> then <b@x.test>", "b@x.test"},
      {"<a@x.test> then <conta@exemplo.test> and <b@x.test>", "conta@exemplo.test"},
      {"> before <a@x.test", ""},  // the first ">" stands before the first "<"
      {"a < with nothing after", ""},
      {"<a@x.test> then < open", "a@x.test"},
      // reporters and the bounce's sender are passed over
      {"<a@x.test> <postmaster@relay.test> <mailer-daemon@relay.test>", "a@x.test"},
  };
  for (const auto& c : casos) EXPECT_EQ(primeiraPassagem(c.texto, eu), c.candidato) << c.texto;
}

TEST(BounceRules, SecondPassSkipsOwnSenderAndReporterAddresses) {
  EnderecosIgnorados eu{"conta@exemplo.test", "avisos@relay.test"};
  EXPECT_EQ(segundaPassagem("conta@exemplo.test avisos@relay.test postmaster@relay.test "
                            "mailer-daemon@outro.test joana@cliente.test",
                            eu),
            "joana@cliente.test");
  EXPECT_EQ(segundaPassagem("only conta@exemplo.test here", eu), "");
}

TEST(BounceRules, CandidateCleaning) {
  EnderecosIgnorados eu{"conta@exemplo.test", ""};
  struct Caso {
    const char* bruto;
    const char* limpo;
  } casos[] = {
      {"<joana@cliente.test>.", "joana@cliente.test"},
      {"mailto:joana@cliente.test mais palavras", "joana@cliente.test"},
      {"mailto:<joana@cliente.test>", "joana@cliente.test"},
      {"<conta@exemplo.test>", ""},
      {"postmaster@relay.test", ""},
  };
  for (const auto& c : casos) EXPECT_EQ(limparCandidato(c.bruto, eu), c.limpo) << c.bruto;
}

TEST(BounceRules, WholeTextGivesTheFirstForeignAddress) {
  EnderecosIgnorados eu{"conta@exemplo.test", "mailer-daemon@relay.test"};
  EXPECT_EQ(enderecoDoRetorno("from <conta@exemplo.test>: mailbox unavailable", eu), "");
  EXPECT_EQ(
      enderecoDoRetorno("postmaster@relay.test reports: <ana@cliente.test>: user unknown", eu),
      "ana@cliente.test");
}

TEST(DeliveryReport, RecipientOfTheFailedGroupOriginalBeforeFinal) {
  struct Caso {
    const char* relatorio;
    const char* destinatario;
    bool sucesso;
  } casos[] = {
      {"Reporting-MTA: dns; r\n\nOriginal-Recipient: rfc822;A@x.test\nFinal-Recipient: rfc822; "
       "b@x.test\nAction: failed\n",
       "A@x.test", false},
      {"Reporting-MTA: dns; r\n\nFinal-Recipient: rfc822; d@x.test\nAction: delayed\n\n"
       "Final-Recipient: rfc822;\n  <f@x.test>\nAction: Failed (bad)\n",
       "f@x.test", false},
      {"Reporting-MTA: dns; r\n\nFinal-Recipient: rfc822; d@x.test\nAction: delivered\n\n"
       "Final-Recipient: rfc822; e@x.test\nAction: delayed\n",
       "e@x.test", false},
      // A success notice names nobody; a report without actions leaves it to the text.
      {"Reporting-MTA: dns; r\n\nFinal-Recipient: rfc822; g@x.test\nAction: relayed\n", "", true},
      {"Final-Recipient: rfc822; g@x.test\nAction: delivered\n\nFinal-Recipient: rfc822; "
       "k@x.test\nAction: expanded\n",
       "", true},
      {"Final-Recipient: rfc822; g@x.test\n", "", false},
      {"Original-Recipient: x400; c=br\nFinal-Recipient: rfc822; h@x.test\nAction: failed\n",
       "h@x.test", false},
      {"Final-Recipient: x400; c=br\nAction: failed\n", "", false},
      {"nothing to read here", "", false},
  };
  for (const auto& c : casos) {
    AnaliseRelatorio a = analisarRelatorio(c.relatorio);
    EXPECT_EQ(a.destinatario, c.destinatario) << c.relatorio;
    EXPECT_EQ(a.sucesso, c.sucesso) << c.relatorio;
  }
}

}  // namespace
}  // namespace quorvel
