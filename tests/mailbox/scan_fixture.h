#pragma once
// A workspace (database, settings) with a fixed clock and one mail account on the test Dovecot:
// what a mailbox check needs, without the window.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/text_file.h"
#include "mailbox/neg_conta.h"
#include "mailbox_server.h"
#include "store/database.h"
#include "store/settings.h"
#include "support/scripted_ports.h"

namespace quorvel::testing {

// What the mailbox window would show: every log line and the progress bar.
class RecordingScanObserver : public ScanObserver {
 public:
  std::vector<std::pair<std::string, Cor>> linhas;
  int64_t maximo = -1, posicao = 0;
  bool progressoVisivel = false;
  int sincronizando = 0, mudancas = 0;
  void setLogGeral(const std::string& m, Cor c) override { linhas.emplace_back(m, c); }
  void mostrarProgresso(int64_t m) override {
    maximo = m;
    posicao = 0;
    progressoVisivel = true;
  }
  void avancarProgresso() override { ++posicao; }
  void esconderProgresso() override { progressoVisivel = false; }
  void mostrarSincronizando(bool v) override { sincronizando += v; }
  void baseNegativaMudou() override { ++mudancas; }
  std::vector<std::string> textos() const {
    std::vector<std::string> r;
    for (const auto& l : linhas) r.push_back(l.first);
    return r;
  }
};

// Wednesday 2026-12-10, 12:00 UTC.
inline std::chrono::system_clock::time_point relogioDeTeste() {
  using namespace std::chrono;
  return sys_days{year{2026} / 12 / 10} + hours{12};
}

class ScanTest : public MailboxServer {
 protected:
  std::filesystem::path home;
  SharingFlags colaboracao;
  std::unique_ptr<Database> banco;
  std::unique_ptr<Settings> config;
  ScriptedDialogs dialogs;
  FakePlatform platform;
  NoEventPump pump;
  std::unique_ptr<NegConta> neg;
  RecordingScanObserver obs;
  std::vector<std::string> fila;
  NameValueList pular;

  void SetUp() override {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    char modelo[] = "/tmp/quorvel-scan-XXXXXX";
    home = ::mkdtemp(modelo);
    config = std::make_unique<Settings>(home.string());
    banco = std::make_unique<Database>(home.string(), colaboracao);
    banco->esperaAberturaMs = 0;
    banco->abrirBD();
    platform.folder = home.string();
    platform.clock = relogioDeTeste();
    neg = std::make_unique<NegConta>(*banco, *config, platform, dialogs, pump);
    neg->observador = &obs;
    neg->gEmailsInvalidos = &fila;
    neg->gPularConta = &pular;
  }
  void TearDown() override {
    neg.reset();
    banco.reset();
    std::filesystem::remove_all(home);
  }

  // An account on the plain listener of the test server.
  CLContas contaDe(const std::string& usuario) { return contaNoServidor(servidor(), usuario); }

  // One scan of the account's inbox, as a check run does it.
  ListaMensagens varrer(const CLContas& conta) {
    ImapClient imap;
    TlsHandler ssl;
    NegConta::configMailComponents2(imap, ssl, conta);
    EXPECT_EQ(neg->ImapConnect(imap, conta, true), "");
    int64_t qtd = neg->getFolderQtd(imap, "INBOX");
    ListaMensagens r = neg->getMessages(imap, conta, "INBOX", 1, qtd);
    imap.disconnect();
    return r;
  }

  // Rows of the negative base: "email tipo texto_retorno conta_email uid".
  std::vector<std::string> baseNegativa() {
    std::vector<std::string> r;
    Table t = banco->db().query(
        "SELECT email, tipo_erro, texto_retorno, conta_email, uid FROM tbemailsinvalidos ORDER "
        "BY email");
    for (const auto& l : t.linhas) {
      std::string s;
      for (const auto& c : l) s += (s.empty() ? "" : "|") + c.value_or("NULL");
      r.push_back(s);
    }
    return r;
  }
};

}  // namespace quorvel::testing
