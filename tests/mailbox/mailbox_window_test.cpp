// The mailbox window's model: runs over the active accounts, account failures as log lines, the
// automatic check, the settings, and the negative-base page.
#include "mailbox/mailbox_window.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "scan_fixture.h"
#include "support/hostile_imap_server.h"

namespace quorvel {
namespace {

using testing::HostileImapServer;
using testing::mensagem;
using testing::Resposta;
using testing::retorno;
using testing::ScanTest;

// What a window over the model hears and is asked to do.
struct Janela : WindowOpener {
  int contas = 0, grids = 0;
  Notifier<NegativeBaseGridNotice>::Subscription sub;
  bool available(WindowId) const override { return true; }
  void open(WindowId j) override {
    if (j == WindowId::accounts) ++contas;
  }
  void ligar(MailboxWindow& w) {
    w.windows = this;
    sub = w.grid.notices.listen([this](const NegativeBaseGridNotice& n) {
      if (n.kind == NegativeBaseGridNotice::Kind::linhas) ++grids;
    });
  }
};

class MailboxWindowTest : public ScanTest {
 protected:
  std::unique_ptr<MailboxWindow> w;
  Janela janela;
  void SetUp() override {
    ScanTest::SetUp();
    w = std::make_unique<MailboxWindow>(*banco, *config, dialogs, pump, platform);
    janela.ligar(*w);
    w->timeoutConexaoS = 1;
    w->timeoutLeituraS = 1;
  }
  // One tick of the automatic check, as the event loop gives it while the ticker runs (the fake
  // platform's tickers tick only when told to).
  void tick() { static_cast<ManualTicker&>(w->temporizadorChecagem()).tick(); }
  std::vector<std::string> log() const {
    std::vector<std::string> r;
    for (const auto& l : w->log) r.push_back(l.texto);
    return r;
  }
};

TEST_F(MailboxWindowTest, RunExaminesActiveAccountsInEmailOrder) {
  std::string b = novoUsuario({retorno("usuario_inexistente.eml", "x@y.test")});
  std::string a = novoUsuario({retorno("usuario_inexistente.eml", "x@y.test")});
  neg->newContaSave(contaDe(b));
  neg->newContaSave(contaDe(a));
  neg->setActive(1, false);  // b
  w->ckbForcar = true;
  platform.clock += std::chrono::minutes(5);
  w->btnChecarClick();
  EXPECT_EQ(log(), (std::vector<std::string>{
                       "Iniciando conta " + a + "...", "Conta " + a + " conectada com sucesso!",
                       "Iniciando checagem de retornos...",
                       "ADICIONADO: joao.silva@cliente.test - mailer-daemon@ - address rejected",
                       a + " CHECAGEM - Checagem concluída!"}));
  EXPECT_EQ(w->log[0].quando, "10/12/2026 12:05:00");
  EXPECT_EQ(w->log[0].linha(), "10/12/2026 12:05:00 - Iniciando conta " + a + "...");
  EXPECT_EQ(w->log[3].cor, kVerde);
  EXPECT_FALSE(w->ckbForcar);
  EXPECT_TRUE(w->btnChecarHabilitado);
  EXPECT_FALSE(w->pnTrabalhandoVisivel);
  EXPECT_TRUE(w->temporizadorChecagem().active());
  EXPECT_EQ(w->gLastCheck, platform.clock);
  EXPECT_EQ(w->lbDeSuasContas, "1");
  EXPECT_EQ(w->lbContasConfiguradas, "2");
  EXPECT_EQ(w->grid.linhaAtual, 0);  // scrolled to the last row after the stored address
  EXPECT_GE(janela.grids, 1);        // the grid told its listener that it read the rows again
  EXPECT_EQ(w->gLista.size(), 1u);
}

TEST_F(MailboxWindowTest, AccountFailuresAreLogLinesAndTheRunGoesOn) {
  // Connects and logs in, then never answers the first FETCH.
  HostileImapServer mudo([](const std::string& cmd) -> Resposta {
    if (cmd.rfind("FETCH", 0) == 0) return {};
    return HostileImapServer::padrao(cmd);
  });
  CLContas recusada = contaDe("a-recusada@exemplo.test");
  recusada.ImapPorta = "1";
  CLContas calada = contaDe("b-calada@exemplo.test");
  calada.ImapPorta = std::to_string(mudo.porta());
  std::string boa = novoUsuario({mensagem("amigo@cliente.test", "Oi")});
  for (const auto& c : {recusada, calada, contaDe(boa)}) neg->newContaSave(c);
  w->btnChecarClick();
  std::vector<std::string> l = log();
  ASSERT_EQ(l.size(), 11u);
  EXPECT_EQ(l[1],
            "a-recusada@exemplo.test: CHECAGEM - Falha ao conectar. Verifique as "
            "configurações da conta");
  EXPECT_EQ(l[5],
            "b-calada@exemplo.test"
            " CHECAGEM - Erro ao pegar mensagens: tempo esgotado "
            "aguardando o servidor 127.0.0.1:" +
                std::to_string(mudo.porta()));
  EXPECT_EQ(l[9], "IGNORADO: (amigo@cliente.test) não é um retorno de erro -> Oi");
  EXPECT_EQ(l[10], boa + " CHECAGEM - Checagem concluída!");
  EXPECT_EQ(w->contasComFalha, 2);
}

TEST_F(MailboxWindowTest, AMessageCountPastSixtyFourBitsIsAClearLogLine) {
  HostileImapServer enorme([](const std::string& cmd) -> Resposta {
    if (cmd.rfind("SELECT", 0) == 0)
      return {"* 99999999999999999999 EXISTS", "OK [READ-WRITE] done"};
    return HostileImapServer::padrao(cmd);
  });
  CLContas c = contaDe("conta@exemplo.test");
  c.ImapPorta = std::to_string(enorme.porta());
  neg->newContaSave(c);
  w->btnChecarClick();
  EXPECT_EQ(log().back(),
            "conta@exemplo.test CHECAGEM - Erro ao pegar mensagens: o servidor informou um número "
            "de mensagens inválido (99999999999999999999) ao selecionar a pasta INBOX");
  EXPECT_EQ(w->contasComFalha, 1);
}

TEST_F(MailboxWindowTest, CancelCutsAWaitForATricklingServerAtOnce) {
  // The first account's only message would take a minute and a half, two bytes at a time.
  HostileImapServer gotejando([](const std::string& cmd) -> Resposta {
    if (cmd.rfind("SELECT", 0) == 0) return {"* 1 EXISTS", "OK [READ-WRITE] done"};
    if (cmd == "FETCH 1 (UID)") return {"* 1 FETCH (UID 5)", "OK done"};
    if (cmd == "FETCH 1 BODY[]") {
      Resposta r{"* 1 FETCH (BODY[] {600}", ")", "OK done"};
      r.literal = 600;
      r.gotejarMs = 300;
      return r;
    }
    return HostileImapServer::padrao(cmd);
  });
  CLContas lenta = contaDe("a-lenta@exemplo.test");
  lenta.ImapPorta = std::to_string(gotejando.porta());
  std::string boa = novoUsuario({mensagem("amigo@cliente.test", "Oi")});
  neg->newContaSave(lenta);
  neg->newContaSave(contaDe(boa));
  // "Cancelar" is pressed once the message is being sent; the time until the account's scan
  // ends is what the user waits.
  using Relogio = std::chrono::steady_clock;
  std::optional<Relogio::time_point> cancelouEm, terminouEm;
  pump.onPump = [&] {
    if (!cancelouEm && gotejando.recebeu("FETCH 1 BODY[]")) {
      cancelouEm = Relogio::now();
      w->btnCancelarClick();
    }
  };
  auto fim = w->notices.listen([&](const MailboxNotice& n) {
    if (n.kind == MailboxNotice::Kind::log && !w->log.empty() && !terminouEm &&
        w->log.back().texto == "a-lenta@exemplo.test CHECAGEM - Checagem concluída!")
      terminouEm = Relogio::now();
  });
  w->btnChecarClick();
  ASSERT_TRUE(cancelouEm && terminouEm);
  const double s = std::chrono::duration<double>(*terminouEm - *cancelouEm).count();
  std::printf("[ figura ] \"Cancelar\" durante a espera pelo servidor: %.2f s\n", s);
  EXPECT_LT(s, 5.0);
  EXPECT_EQ(log().back(), boa + " CHECAGEM - Checagem concluída!");  // the run went on
  EXPECT_EQ(w->contasComFalha, 0);
}

TEST_F(MailboxWindowTest, RefusedDeletionEndsTheScanAfterTheClosingSteps) {
  const std::string bounce = retorno("usuario_inexistente.eml", "conta@exemplo.test");
  HostileImapServer recusa([&](const std::string& cmd) -> Resposta {
    if (cmd.rfind("SELECT", 0) == 0) return {"* 1 EXISTS", "OK [READ-WRITE] done"};
    if (cmd == "FETCH 1 (UID)") return {"* 1 FETCH (UID 41)", "OK done"};
    if (cmd == "FETCH 1 BODY[]")
      return {"* 1 FETCH (BODY[] {" + std::to_string(bounce.size()) + "}\r\n" + bounce + ")",
              "OK done"};
    if (cmd.rfind("UID STORE", 0) == 0) return {"NO [CANNOT] Permissão negada"};
    return HostileImapServer::padrao(cmd);
  });
  CLContas c = contaDe("conta@exemplo.test");
  c.ImapPorta = std::to_string(recusa.porta());
  neg->newContaSave(c);
  w->ckbApagar = true;
  w->btnChecarClick();
  EXPECT_EQ(log(), (std::vector<std::string>{
                       "Iniciando conta conta@exemplo.test...",
                       "Conta conta@exemplo.test conectada com sucesso!",
                       "Iniciando checagem de retornos...",
                       "ADICIONADO: joao.silva@cliente.test - mailer-daemon@ - address rejected",
                       "conta@exemplo.test - Consolidando mensagens excluídas... ",
                       "conta@exemplo.test - Concluído ",
                       "conta@exemplo.test CHECAGEM - Erro ao pegar mensagens: [CANNOT] Permissão "
                       "negada"}));
  const std::vector<std::string> comandos = recusa.comandos();
  EXPECT_NE(std::find(comandos.begin(), comandos.end(), "EXPUNGE"), comandos.end());
  Settings lida(home.string());
  lida.loadConfig();
  EXPECT_EQ(lida.valor(maxUidKey("conta@exemplo.test")), "41");
}

TEST_F(MailboxWindowTest, CancelStopsOnlyTheAccountUnderExamination) {
  std::string a = novoUsuario({mensagem("x@c.test", "1"), mensagem("y@c.test", "2")});
  std::string b = novoUsuario({mensagem("z@c.test", "3"), mensagem("w@c.test", "4")});
  if (b < a) std::swap(a, b);  // a is examined first
  neg->newContaSave(contaDe(a));
  neg->newContaSave(contaDe(b));
  pump.onPump = [&] {
    if (w->gEmailConta == a && w->gNegConta && w->gNegConta->gTotalMensagens == 1)
      w->btnCancelarClick();
  };
  w->btnChecarClick();
  std::vector<std::string> l = log();
  EXPECT_EQ(std::count_if(l.begin(), l.end(),
                          [](const std::string& s) { return s.rfind("IGNORADO", 0) == 0; }),
            3);
  EXPECT_EQ(l.back(), b + " CHECAGEM - Checagem concluída!");
}

TEST_F(MailboxWindowTest, EventsLetThroughDuringARunNeverStartASecondOne) {
  std::string a = novoUsuario({mensagem("x@c.test", "1")});
  neg->newContaSave(contaDe(a));
  int cliques = 0, esperas = 0;
  pump.onPump = [&] {
    ++esperas;
    // A double click on "Checar erros retornados", and the automatic check falling due.
    if (cliques++ < 2) w->btnChecarClick();
    platform.clock += std::chrono::hours(2);
    w->cmbCheckMinutes = 1;
    EXPECT_FALSE(w->temporizadorChecagem().active());
    tick();
    w->tmAutoCheckTimer();
  };
  w->btnChecarClick();
  std::vector<std::string> l = log();
  EXPECT_EQ(std::count(l.begin(), l.end(), "Iniciando conta " + a + "..."), 1);
  EXPECT_EQ(l.back(), a + " CHECAGEM - Checagem concluída!");
  EXPECT_TRUE(w->btnChecarHabilitado);
  EXPECT_GT(esperas, 2);
}

TEST_F(MailboxWindowTest, WithoutScrollingTheLogStaysEmpty) {
  neg->newContaSave(contaDe(novoUsuario({mensagem("x@c.test", "1")})));
  w->ckbRolar = false;
  w->btnChecarClick();
  EXPECT_TRUE(w->log.empty());
}

TEST_F(MailboxWindowTest, NoAccountAsksToConfigureOne) {
  dialogs.answers = {kSim};
  w->btnChecarClick();
  EXPECT_EQ(dialogs.texts("question"), std::vector<std::string>{kMsgSemContaChecar});
  EXPECT_EQ(janela.contas, 1);
}

TEST_F(MailboxWindowTest, AutomaticCheckStartsAfterTheIntervalOnly) {
  CLContas inativa = contaDe("a@exemplo.test");
  neg->newContaSave(inativa);
  neg->setActive(1, false);
  // The model ticks on its own from its creation, shown or not.
  EXPECT_TRUE(w->temporizadorChecagem().active());
  EXPECT_EQ(w->temporizadorChecagem().intervalo(), std::chrono::seconds(10));
  auto inicio = platform.clock;
  w->cmbCheckMinutes = 1;  // "1 minuto"
  platform.clock = inicio + std::chrono::seconds(60);
  tick();
  EXPECT_EQ(w->gLastCheck, inicio);
  platform.clock = inicio + std::chrono::seconds(61);
  tick();
  EXPECT_EQ(w->gLastCheck, platform.clock);
  EXPECT_TRUE(w->temporizadorChecagem().active());

  w->cmbCheckMinutes = 0;  // "Apenas checagem manual"
  platform.clock += std::chrono::hours(5);
  tick();
  EXPECT_NE(w->gLastCheck, platform.clock);
  EXPECT_EQ(w->intervaloSegundos(), std::nullopt);
  w->cmbCheckMinutes = 5;
  EXPECT_EQ(w->intervaloSegundos(), 3600);
}

TEST_F(MailboxWindowTest, AMaximumNeverSavedMeansFiveHundred) {
  config->setValor(kCheckMinutes, "0");
  config->setValor(kCheckDays, "8");
  w->mostrar();
  EXPECT_EQ(w->edtMax, "500");
  EXPECT_EQ(w->opcoesChecagem().maximo, 500);
}

TEST_F(MailboxWindowTest, SettingsAreSavedAndLoadedBack) {
  w->mostrar();
  EXPECT_EQ(w->edtMax, "500");
  EXPECT_FALSE(w->ckbApagar);
  EXPECT_EQ(w->cmbCheckDays, -1);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].id, kIdDicaChecagem);
  EXPECT_EQ(dialogs.messages[0].altura, 450);

  w->cmbCheckMinutes = 2;
  w->ckbApagar = true;
  w->edtMax = "50";
  w->cmbCheckDays = 4;
  w->setUnsubscribeAddress("sair@loja.test");
  w->mmoAssunto = {"Férias", "  resposta automática ", "férias"};
  w->mmoCorpo = {"fora do escritório"};
  w->salvarConfigs(false);
  EXPECT_EQ(dialogs.texts("information"), std::vector<std::string>{kMsgConfigsAtualizadas});

  Settings lida(home.string());
  lida.loadConfig();
  MailboxWindow outra(*banco, lida, dialogs, pump, platform);
  outra.mostrar();
  EXPECT_EQ(outra.cmbCheckMinutes, 2);
  EXPECT_TRUE(outra.ckbApagar);
  EXPECT_EQ(outra.edtMax, "50");
  EXPECT_EQ(outra.cmbCheckDays, 4);
  EXPECT_EQ(outra.edtUnsubscribe, "sair@loja.test");
  // Stored as typed (the leading spaces sort first), trimmed when shown.
  EXPECT_EQ(outra.mmoAssunto, (std::vector<std::string>{"resposta automática", "Férias"}));
  EXPECT_EQ(outra.mmoCorpo, std::vector<std::string>{"fora do escritório"});
  OpcoesChecagem o = outra.opcoesChecagem();
  EXPECT_EQ(o.limiteDias, 7);
  EXPECT_EQ(o.maximo, 50);

  w->setUnsubscribeAddress("");
  w->salvarConfigs(true);
  EXPECT_EQ(readFileBytes((home / "config.txt").string())->find("check_unsubscribe"),
            std::string::npos);
  w->cmbCheckDays = 8;  // "não limitar dias"
  w->edtMax = "muitas";
  EXPECT_EQ(w->opcoesChecagem().limiteDias, 0);
  EXPECT_EQ(w->opcoesChecagem().maximo, 0);
}

TEST_F(MailboxWindowTest, UnsubscribeSnippets) {
  EXPECT_EQ(w->edtOpcao1,
            "Para se descadastrar de nossa lista, <a href=\"mailto:#email\">clique aqui</a>");
  EXPECT_EQ(w->edtOpcao2, w->edtOpcao1);
  w->setUnsubscribeAddress("sair@loja.test");
  EXPECT_EQ(
      w->edtOpcao1,
      "Para se descadastrar de nossa lista, <a href=\"mailto:sair@loja.test?subject=remover\">"
      "clique aqui</a>");
  EXPECT_EQ(w->edtOpcao2, "mailto:sair@loja.test?subject=remover");
}

TEST_F(MailboxWindowTest, AHandTypedRemovalTakesEffectEvenOverAnAddressFromTheService) {
  auto dia = std::chrono::year_month_day{std::chrono::year{2026} / 12 / 1};
  banco->inserirEmailInvalido("rede@x.test", "", "", dia, 1, 0, false);
  dialogs.values = {"  Rede@X.test "};
  w->btnNovoDescadastramentoClick();
  EXPECT_TRUE(dialogs.texts("information").empty());
  // Sharing off: only own rows count, and this one is the user's now.
  colaboracao.gCompartilha = false;
  EXPECT_EQ(banco->temEmailInvalido("rede@x.test"), 3);
}

TEST_F(MailboxWindowTest, NegativeBasePageFiltersSortsFindsAddsAndDeletes) {
  auto dia = std::chrono::year_month_day{std::chrono::year{2026} / 12 / 1};
  banco->inserirEmailInvalido("b@x.test", "user unknown", "c@x.test", dia, 1, 7, true);
  banco->inserirEmailInvalido("a@x.test", "mailbox is full", "c@x.test", dia, 2, 8, true);
  banco->inserirEmailInvalido("rede@x.test", "", "", dia, 1, 0, false);  // from the service
  w->mostrar();
  EXPECT_EQ(w->lbDeSuasContas, "2");
  EXPECT_EQ(w->lbOnline, "1");
  EXPECT_EQ(w->grid.linhas.size(), 2u);

  struct Caso {
    bool p, r, d;
    const char* sql;
  } casos[] = {
      {false, false, false, "SELECT * FROM tbemailsinvalidos where seu = 1 order by data_cadastro"},
      {true, false, true,
       "SELECT * FROM tbemailsinvalidos where (seu = 1) and (tipo_erro in (1,3)) order by "
       "data_cadastro"},
      {false, true, false,
       "SELECT * FROM tbemailsinvalidos where (seu = 1) and (tipo_erro in (2)) order by "
       "data_cadastro"},
  };
  for (const auto& c : casos) {
    w->grid.ckbPermanentes = c.p;
    w->grid.ckbRelativos = c.r;
    w->grid.ckbDescadastrados = c.d;
    EXPECT_EQ(w->grid.sql(), c.sql);
  }
  w->grid.ckbPermanentes = w->grid.ckbRelativos = w->grid.ckbDescadastrados = false;

  // "Novo descadastramento": more than 7 characters, trimmed, type 3.
  dialogs.values = {"a@b.com", "  Novo@Loja.test  ", "Novo@Loja.test"};
  w->btnNovoDescadastramentoClick();
  EXPECT_EQ(w->grid.linhas.size(), 2u);
  w->btnNovoDescadastramentoClick();
  ASSERT_EQ(w->grid.linhas.size(), 3u);
  EXPECT_EQ(w->grid.linhas[2].email, "novo@loja.test");  // compared as every address is
  EXPECT_EQ(w->grid.linhas[2].tipoErro, "3");
  EXPECT_EQ(w->grid.linhas[2].textoRetorno, "descadastramento incluído manualmente");
  EXPECT_EQ(w->grid.linhas[2].dataCadastro, "2026-12-10");
  w->btnNovoDescadastramentoClick();  // exists already: the store's text in a box
  EXPECT_EQ(dialogs.texts("information").size(), 1u);

  w->clicarTitulo(0);
  EXPECT_EQ(w->grid.linhas[0].email, "a@x.test");
  w->clicarTitulo(0);
  EXPECT_EQ(w->grid.linhas[0].email, "novo@loja.test");
  w->clicarTitulo(0);
  EXPECT_EQ(w->grid.linhas[0].email, "a@x.test");
  w->localizar("NOV");
  EXPECT_EQ(w->grid.linhaAtual, 2);

  dialogs.answers = {kSim};
  w->btnExcluirClick();
  EXPECT_EQ(w->grid.linhas.size(), 2u);
  EXPECT_EQ(w->lbDeSuasContas, "2");
  dialogs.answers = {kSim};
  w->btnApagarTudoClick();
  EXPECT_TRUE(w->grid.linhas.empty());
  EXPECT_EQ(w->lbOnline, "0");  // the rows received from the service go too
}

}  // namespace
}  // namespace quorvel
