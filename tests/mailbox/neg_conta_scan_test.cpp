// getMessages over a real Dovecot inbox: each decision with its log line and colour, what is
// stored, the stored position, the limits, deletion and the rules, cancel, the sharing queue.
#include <gtest/gtest.h>

#include "mailbox/bounce_rules.h"
#include "scan_fixture.h"
#include "support/hostile_imap_server.h"
#include "validation/stage_hooks.h"

namespace quorvel {
namespace {

using testing::HostileImapServer;
using testing::mensagem;
using testing::Resposta;
using testing::retorno;
using testing::ScanTest;

using Linhas = std::vector<std::pair<std::string, Cor>>;

class GetMessages : public ScanTest {
 protected:
  // The hand-made fixtures, oldest first, and one ordinary message on top.
  std::string semearTodos() {
    std::string u = novoUsuario({});
    std::vector<std::string> ms;
    for (const char* f : {"usuario_inexistente.eml", "relatorio_original_recipient.eml",
                          "relatorio_varios_destinatarios.eml", "postmaster_texto.eml",
                          "ilegivel.eml", "noreply_newsletter.eml", "caixa_cheia_latin1.eml",
                          "remover.eml", "so_conta_propria.eml"})
      ms.push_back(retorno(f, u));
    ms.push_back(mensagem("Amigo <amigo@cliente.test>", "Reunião amanhã"));
    servidor().semear(u, ms);
    return u;
  }
};

TEST_F(GetMessages, EveryDecisionWithItsLogLineAndWhatIsStored) {
  std::string u = semearTodos();
  ListaMensagens r = varrer(contaDe(u));

  EXPECT_EQ(
      obs.linhas,
      (Linhas{
          {"IGNORADO: (amigo@cliente.test) não é um retorno de erro -> Reunião amanhã", kMarrom},
          {"Pedido de remoção: Leitor.Antigo@Cliente.test", kAzulMarinho},
          {"ADICIONADO: paulo@cliente.test - mailer-daemon@ - mailbox is full", kVerde},
          {"ADICIONADO: vendas@loja.exemplo.test - noreply@ - ", kVerde},
          {"IGNORADA: mensagem 5 não pôde ser lida (a mensagem não tem cabeçalho legível)",
           kMarrom},
          {"ADICIONADO: carla.dias@cliente.test - postmaster@ - endereço não encontrado", kVerde},
          {"ADICIONADO: bruno@falhou.test - mailer-daemon@ - ", kVerde},
          {"ADICIONADO: maria.souza@cliente.test - relatório de entrega - user unknown", kVerde},
          {"ADICIONADO: joao.silva@cliente.test - mailer-daemon@ - address rejected", kVerde},
      }));
  EXPECT_EQ(baseNegativa(), (std::vector<std::string>{
                                "bruno@falhou.test|0||" + u + "|3",
                                "carla.dias@cliente.test|1|endereço não encontrado|" + u + "|4",
                                "joao.silva@cliente.test|1|address rejected|" + u + "|1",
                                "leitor.antigo@cliente.test|3|pedido de remoção|" + u + "|8",
                                "maria.souza@cliente.test|1|user unknown|" + u + "|2",
                                "paulo@cliente.test|2|mailbox is full|" + u + "|7",
                                "vendas@loja.exemplo.test|0||" + u + "|6",
                            }));
  // The sharing queue holds the new non-existent addresses; nothing is sent without sharing.
  EXPECT_EQ(fila, (std::vector<std::string>{"carla.dias@cliente.test", "maria.souza@cliente.test",
                                            "joao.silva@cliente.test"}));

  std::vector<std::string> uids;
  for (const auto& [uid, msg] : r) uids.push_back(uid);
  EXPECT_EQ(uids, (std::vector<std::string>{"10", "9", "7", "6", "4", "3", "2", "1"}));
  EXPECT_EQ(neg->gTotalMensagens, 8);
  const ClMsg& m = r.back().second;
  EXPECT_EQ(m.aData, "2026-12-08 12:15");
  EXPECT_EQ(m.email, u);
  EXPECT_EQ(m.from, "MAILER-DAEMON@Relay.Provedor.test");
  EXPECT_EQ(m.nomeRemetente, "Mail Delivery Subsystem");
  EXPECT_EQ(m.mailFolder, "INBOX");
  EXPECT_EQ(m.msgId, "1");

  EXPECT_EQ(config->valor(maxUidKey(u)), "10");
  EXPECT_EQ(obs.maximo, 10);
  EXPECT_EQ(obs.posicao, 10);
  EXPECT_FALSE(obs.progressoVisivel);
  // Read messages are seen; only the unsubscribe request is marked deleted (deletion is off).
  auto marcas = servidor().marcas(u);
  EXPECT_EQ(std::count(marcas.begin(), marcas.end(), "ST"), 1);
  EXPECT_EQ(servidor().quantidade(u), 10u);
}

TEST_F(GetMessages, StoredPositionSkipsWhatWasSeenAndForcedCheckReadsItAgain) {
  std::string u = novoUsuario(
      {mensagem("amigo@cliente.test", "Um"), retorno("usuario_inexistente.eml", "x@y.test")});
  CLContas conta = contaDe(u);
  varrer(conta);
  obs.linhas.clear();

  EXPECT_TRUE(varrer(conta).empty());
  EXPECT_EQ(obs.linhas, (Linhas{{"Não há mensagens recentes", kMarrom}}));
  EXPECT_EQ(pular.value(u), "1");

  // Newer messages: the one at the stored position is examined again, older ones are not.
  servidor().semear(u, {retorno("usuario_inexistente.eml", "x@y.test")});
  obs.linhas.clear();
  EXPECT_EQ(varrer(conta).size(), 2u);
  EXPECT_EQ(obs.textos(), (std::vector<std::string>{
                              "IGNORADO: joao.silva@cliente.test - mailer-daemon@ - já existia "
                              "no banco.",
                              "IGNORADO: joao.silva@cliente.test - mailer-daemon@ - já existia "
                              "no banco."}));
  EXPECT_EQ(obs.linhas[0].second, kLaranja);
  EXPECT_EQ(config->valor(maxUidKey(u)), "3");

  neg->opcoes.forcado = true;
  EXPECT_EQ(varrer(conta).size(), 3u);
}

TEST_F(GetMessages, DeletionRemovesBouncesAndConsolidatesAtTheEnd) {
  std::string u = novoUsuario({});
  servidor().semear(u, {mensagem("amigo@cliente.test", "Fica"),
                        retorno("usuario_inexistente.eml", u), retorno("so_conta_propria.eml", u)});
  config->setValor(kCheckDelete, "-1");
  varrer(contaDe(u));
  EXPECT_EQ(obs.textos(),
            (std::vector<std::string>{
                "Excluída: Returned mail",
                "ADICIONADO: joao.silva@cliente.test - mailer-daemon@ - address rejected",
                "Excluída: Undelivered Mail Returned to Sender",
                "IGNORADO: (amigo@cliente.test) não é um retorno de erro -> Fica",
                u + " - Consolidando mensagens excluídas... ", u + " - Concluído "}));
  EXPECT_EQ(obs.linhas[0].second, kVermelho);
  EXPECT_EQ(obs.linhas[4].second, kFucsia);
  EXPECT_EQ(servidor().quantidade(u), 1u);
}

TEST_F(GetMessages, AStoredAddressIsCommittedBeforeItsBounceIsDeleted) {
  std::string u = novoUsuario({});
  servidor().semear(u,
                    {retorno("caixa_cheia_latin1.eml", u), retorno("usuario_inexistente.eml", u)});
  config->setValor(kCheckDelete, "-1");
  // Another connection to the same file sees only what was committed.
  SharingFlags outra;
  Database leitor(home.string(), outra);
  leitor.esperaAberturaMs = 0;
  leitor.abrirBD();
  struct Verificador : testing::RecordingScanObserver {
    Database* leitor;
    std::vector<int64_t> vistos;
    void setLogGeral(const std::string& m, Cor c) override {
      if (m.rfind("Excluída", 0) == 0) vistos.push_back(leitor->qtdTabela("tbemailsinvalidos"));
      RecordingScanObserver::setLogGeral(m, c);
    }
  } verificador;
  verificador.leitor = &leitor;
  neg->observador = &verificador;
  varrer(contaDe(u));
  EXPECT_EQ(verificador.vistos, (std::vector<int64_t>{1, 2}));
}

TEST_F(GetMessages, SubjectAndBodyRulesDeleteOnlyOrdinaryMessages) {
  std::string u = novoUsuario({mensagem("a@cliente.test", "Férias", "Estou de FÉRIAS até..."),
                               mensagem("b@cliente.test", "  Resposta AUTOMÁTICA "),
                               mensagem("c@cliente.test", "Pedido", "Quero comprar"),
                               retorno("usuario_inexistente.eml", "x@y.test")});
  config->gConfigSubject.add(" automática ");
  config->gConfigBody.add("de férias");
  config->gConfigSubject.add("returned to sender");  // rules never apply to bounces
  varrer(contaDe(u));
  std::vector<std::string> excluidas;
  for (const auto& [t, c] : obs.linhas)
    if (t.rfind("Excluída", 0) == 0) excluidas.push_back(t);
  EXPECT_EQ(excluidas, (std::vector<std::string>{
                           "Excluída (contém \"automática\" no assunto): Resposta AUTOMÁTICA",
                           "Excluída (contém \"de férias\" no corpo): Férias"}));
  // Without deletion switched on the marks stay until an expunge.
  auto marcas = servidor().marcas(u);
  EXPECT_EQ(std::count(marcas.begin(), marcas.end(), "ST"), 2);
}

TEST_F(GetMessages, CountAndDayLimitsStopTheScan) {
  std::string u =
      novoUsuario({mensagem("a@x.test", "Antiga", "x", "Mon, 30 Nov 2026 10:00:00 +0000"),
                   mensagem("b@x.test", "Sem data", "x", "não é data"),
                   mensagem("c@x.test", "Ontem", "x", "Wed, 09 Dec 2026 10:00:00 +0000"),
                   mensagem("d@x.test", "Hoje", "x", "Thu, 10 Dec 2026 08:00:00 +0000")});
  neg->opcoes.maximo = 2;
  varrer(contaDe(u));
  EXPECT_EQ(obs.linhas.back(),
            (std::pair<std::string, Cor>{"Limite de mensagens por conta: 3", kMarrom}));

  neg->opcoes = {true, 7, 0};
  obs.linhas.clear();
  varrer(contaDe(u));
  EXPECT_EQ(obs.linhas.back().first,
            "Data limite da mensagem: 03/12/2026 - [30/12/1899 00:00:00] -> Sem data");

  neg->opcoes = {true, 5, 0};
  servidor().semear(u, {mensagem("e@x.test", "Velha", "x", "Sun, 29 Nov 2026 10:00:00 +0000")});
  obs.linhas.clear();
  varrer(contaDe(u));
  EXPECT_EQ(obs.linhas.front().first,
            "Data limite da mensagem: 05/12/2026 - [29/11/2026 10:00:00] -> Velha");
}

TEST_F(GetMessages, CancelStopsBeforeTheNextMessageAndIsCleared) {
  std::string u = novoUsuario(
      {mensagem("a@x.test", "1"), mensagem("b@x.test", "2"), mensagem("c@x.test", "3")});
  pump.onPump = [&] {
    if (neg->gTotalMensagens == 1) neg->gCancelou = true;
  };
  EXPECT_EQ(varrer(contaDe(u)).size(), 1u);
  EXPECT_FALSE(neg->gCancelou);
  EXPECT_FALSE(obs.progressoVisivel);
}

TEST_F(GetMessages, ASuccessNoticeIsNoBounceAndIsNeverDeleted) {
  std::string u = novoUsuario({});
  servidor().semear(u, {retorno("relatorio_entregue.eml", u)});
  config->setValor(kCheckDelete, "-1");
  varrer(contaDe(u));
  EXPECT_TRUE(baseNegativa().empty());
  EXPECT_EQ(obs.textos(), (std::vector<std::string>{
                              "IGNORADO: (MAILER-DAEMON@relay.exemplo.test) não é um retorno de "
                              "erro -> Successful Mail Delivery Report",
                              u + " - Consolidando mensagens excluídas... ", u + " - Concluído "}));
  EXPECT_EQ(servidor().quantidade(u), 1u);
  EXPECT_EQ(servidor().marcas(u), std::vector<std::string>{"S"});
}

TEST_F(GetMessages, AHugeMessageIsSkippedAndAnUnreadableUidSkipsOnlyThePositionTests) {
  const std::string bounce = retorno("usuario_inexistente.eml", "conta@exemplo.test");
  const std::string comum = mensagem("amigo@cliente.test", "Oi");
  HostileImapServer hostil([&](const std::string& cmd) -> Resposta {
    auto literal = [](const std::string& n, const std::string& m) -> Resposta {
      return {"* " + n + " FETCH (BODY[] {" + std::to_string(m.size()) + "}\r\n" + m + ")",
              "OK done"};
    };
    if (cmd.rfind("SELECT", 0) == 0) return {"* 3 EXISTS", "OK [READ-WRITE] done"};
    if (cmd == "FETCH 3 (UID)") return {"* 3 FETCH (UID 30)", "OK done"};
    if (cmd == "FETCH 3 BODY[]") {
      Resposta r{"* 3 FETCH (BODY[] {1073741824}", ")", "OK done"};
      r.literal = uint64_t{1} << 30;
      return r;
    }
    if (cmd == "FETCH 2 (UID)") return {"* 2 FETCH (UID 99999999999999999999)", "OK done"};
    if (cmd == "FETCH 2 BODY[]") return literal("2", bounce);
    if (cmd == "FETCH 1 (UID)") return {"* 1 FETCH (UID 10)", "OK done"};
    if (cmd == "FETCH 1 BODY[]") return literal("1", comum);
    return HostileImapServer::padrao(cmd);
  });
  CLContas c = contaDe("conta@exemplo.test");
  c.ImapPorta = std::to_string(hostil.porta());
  config->setValor(maxUidKey(c.email), "20");
  varrer(c);
  EXPECT_EQ(obs.textos(),
            (std::vector<std::string>{
                "IGNORADA: mensagem 30 não pôde ser lida (a resposta do servidor passa de 50 MB; "
                "1024 MB anunciados)",
                "ADICIONADO: joao.silva@cliente.test - mailer-daemon@ - address rejected"}));
  // Message 1 (UID 10, below the position) was never read.
  EXPECT_FALSE(hostil.recebeu("FETCH 1 BODY[]"));
  EXPECT_EQ(config->valor(maxUidKey(c.email)), "30");
}

TEST_F(GetMessages, PositionMovesPastAnUnreadableNewestMessage) {
  std::string u = novoUsuario(
      {retorno("usuario_inexistente.eml", "x@y.test"), retorno("ilegivel.eml", "x@y.test")});
  varrer(contaDe(u));
  EXPECT_EQ(config->valor(maxUidKey(u)), "2");
  EXPECT_EQ(baseNegativa().size(), 1u);
}

class Servico : public SharingPermission, public CompartilhamentoEmails {
 public:
  bool falhar = false;
  int perguntas = 0;
  std::vector<size_t> enviados;  // addresses per send
  bool podeSincronizar() override {
    ++perguntas;
    if (falhar) throw std::runtime_error("serviço fora do ar");
    return true;
  }
  bool sincronizarEmailsInValidos(const std::string& emails) override {
    enviados.push_back(std::count(emails.begin(), emails.end(), '\n'));
    return true;
  }
};

TEST_F(GetMessages, QueueIsSentInBatchesOfTwentyAndTheRestAtTheEnd) {
  std::vector<std::string> ms;
  for (int i = 0; i < 23; ++i)
    ms.push_back(mensagem("postmaster@relay.test", "Falha " + std::to_string(i),
                          "<dest" + std::to_string(i) + "@cliente.test>: user unknown"));
  std::string u = novoUsuario(ms);
  Servico servico;
  neg->sincronizacao = &servico;
  neg->compartilhamento = &servico;
  colaboracao.gCompartilha = true;
  varrer(contaDe(u));
  EXPECT_EQ(servico.enviados, (std::vector<size_t>{20, 3}));
  EXPECT_TRUE(fila.empty());
  EXPECT_EQ(obs.sincronizando, 1);
}

TEST_F(GetMessages, TheServiceIsAskedOnlyWhileSharingAndAFailureMeansNotNow) {
  Servico servico;
  servico.falhar = true;
  neg->sincronizacao = &servico;
  // Not taking part: the service is not asked at all.
  std::string u = novoUsuario({retorno("usuario_inexistente.eml", "x@y.test")});
  varrer(contaDe(u));
  EXPECT_EQ(servico.perguntas, 0);
  EXPECT_EQ(baseNegativa().size(), 1u);
  // Taking part, with the service out of reach: one log line, and the scan goes on unshared.
  colaboracao.gCompartilha = true;
  std::string v = novoUsuario({retorno("usuario_inexistente.eml", "x@y.test"),
                               retorno("postmaster_texto.eml", "x@y.test")});
  obs.linhas.clear();
  varrer(contaDe(v));
  EXPECT_EQ(servico.perguntas, 1);
  ASSERT_FALSE(obs.linhas.empty());
  EXPECT_EQ(obs.linhas[0],
            std::make_pair(std::string("Serviço online indisponível, a checagem segue sem "
                                       "compartilhar: serviço fora do ar"),
                           kMarrom));
  EXPECT_EQ(config->valor(maxUidKey(v)), "2");
  EXPECT_GE(obs.linhas.size(), 3u);  // both messages were examined
}

}  // namespace
}  // namespace quorvel
