// "accounts": the mail accounts the mailbox check reads.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "cli/mailbox_commands.h"
#include "cli/mailbox_workspace.h"
#include "cli/secret_input.h"
#include "cli/standard_output.h"
#include "common/text.h"
#include "mailbox/accounts_editor.h"
#include "mailbox/cl_email_test.h"
#include "mailbox/program_launcher.h"

namespace quorvel::cli {
namespace {

struct AccountOptions {
  std::string home, email, senha, servidor, porta, tls = kTLSImplicito, auth = kAutenticacaoPadrao,
                                                   estado;
  int esperaDescoberta = 60;  // seconds
};

template <size_t N>
bool umDe(const std::string& t, const std::array<const char*, N>& textos) {
  return std::any_of(textos.begin(), textos.end(), [&](const char* x) { return t == x; });
}

// The settings of a provider the program knows, or of the discovery program; false (with a
// message) when neither finds them.
bool configurarAutomaticamente(MailboxWorkspace& w, const AccountOptions& o, CLContas& c) {
  if (const Provedor* p = provedorDe(toLower(o.email))) {
    c.ImapServidor = p->servidor;
    c.ImapPorta = p->porta;
    c.ImapTipoAutenticacao = p->tipoAuth;
    c.ImapUsarTLS = p->usarTLS;
    c.ImapVersaoIp = p->versaoIp;
    c.ImapModoSSL = p->modoSSL;
    c.ImapMetodoSSL = p->metodoSSL;
    return true;
  }
  ProcessLauncher launcher;
  CLEmailTest exchange(w.home, launcher, w.pump);
  if (!exchange.execEmailTest()) {
    std::fprintf(stderr,
                 "quorvel-cli: o programa de configuração automática não pôde ser "
                 "iniciado (%s); informe --server\n",
                 programaEmailTest().c_str());
    return false;
  }
  exchange.saveInputRequest("IMAP", o.email, c.senha);
  std::vector<std::string> r;
  TerminalProgressBar barra("Procurando as configurações da conta");
  auto inicio = std::chrono::steady_clock::now();
  bool respondeu = false;
  while (!(respondeu = exchange.getOutputConfig(r)) &&
         std::chrono::steady_clock::now() - inicio < std::chrono::seconds(o.esperaDescoberta)) {
    barra.update(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - inicio)
            .count(),
        o.esperaDescoberta);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  barra.finish();
  exchange.closeEmailTest();
  if (!respondeu || r.empty() || trim(r[0]) != "1") {
    std::fprintf(stderr, "quorvel-cli: %s\n",
                 !respondeu      ? "o programa de configuração automática não respondeu"
                 : r.size() >= 3 ? r[2].c_str()
                                 : kMsgRespostaInvalida);
    return false;
  }
  NameValueList v(r);
  c.ImapServidor = v.value("Servidor");
  c.ImapPorta = v.value("Porta");
  c.ImapTipoAutenticacao = v.value("tipoAuth");
  c.ImapUsarTLS = v.value("TLS");
  c.ImapVersaoIp = v.value("versaoIP");
  c.ImapModoSSL = v.value("ModoSSL");
  c.ImapMetodoSSL = v.value("MetodoSSL");
  c.ImapNomeUsuario = v.value("username");
  return true;
}

int add(const AccountOptions& o) {
  if (o.email.find('@') == std::string::npos) {
    std::fprintf(stderr, "quorvel-cli: e-mail inválido: %s\n", o.email.c_str());
    return 2;
  }
  if (!umDe(o.tls, kTextosUsarTLS) || !umDe(o.auth, kTextosTipoAutenticacao)) {
    std::fprintf(stderr,
                 "quorvel-cli: --tls aceita \"Sem suporte a TLS\", \"TLS explícito\", \"TLS "
                 "implícito\" ou \"TLS requerido\"; --auth aceita \"Padrão\" ou \"SASL\"\n");
    return 2;
  }
  if (o.senha != "-")
    avisar(
        "aviso: a senha dada em --password fica visível para os outros usuários deste "
        "computador (na lista de processos); use --password - para digitá-la sem eco ou "
        "passá-la pela entrada padrão");
  return comWorkspace(o.home, [&](MailboxWorkspace& w) {
    if (w.neg->getConta(o.email)) {
      std::fprintf(stderr, "quorvel-cli: a conta %s já está cadastrada\n", o.email.c_str());
      return 1;
    }
    CLContas c;
    c.email = o.email;
    c.senha = lerSegredo(o.senha, "Senha");
    c.ImapNomeUsuario = o.email;
    c.ImapVersaoIp = "IPV4";
    c.ImapModoSSL = "Não definido";
    c.ImapMetodoSSL = "TLSv1";
    if (o.servidor.empty()) {
      if (!configurarAutomaticamente(w, o, c)) return 1;
    } else {
      c.ImapServidor = o.servidor;
      c.ImapUsarTLS = o.tls;
      c.ImapTipoAutenticacao = o.auth;
      c.ImapPorta = !o.porta.empty() ? o.porta : o.tls == kTLSImplicito ? "993" : "143";
    }
    if (!w.neg->newContaSave(c)) return 1;
    out("Conta " + c.email + " cadastrada: " + c.ImapServidor + ", porta " + c.ImapPorta + ", " +
        c.ImapUsarTLS + ", " + c.ImapTipoAutenticacao + "\n");
    return 0;
  });
}

int list(const AccountOptions& o) {
  return comWorkspace(o.home, [&](MailboxWorkspace& w) {
    for (const auto& r : w.neg->accounts()) {
      std::optional<CLContas> c = w.neg->getConta(r.email);
      out(std::string(AccountsEditor::textoAtiva(r)) + "\t" + r.email + "\t" + r.servidor + "\t" +
          (c ? c->ImapPorta : "") + "\t" + (c ? c->ImapUsarTLS : "") + "\t" +
          (c ? c->ImapTipoAutenticacao : "") + "\n");
    }
    return 0;
  });
}

int test(const AccountOptions& o) {
  return comWorkspace(o.home, [&](MailboxWorkspace& w) {
    std::optional<CLContas> c = w.neg->getConta(o.email);
    if (!c) {
      std::fprintf(stderr, "quorvel-cli: conta não cadastrada: %s\n", o.email.c_str());
      return 1;
    }
    std::string r = w.neg->testarConexao(*c);
    if (!w.neg->avisoConexao.empty()) avisar(w.neg->avisoConexao);
    if (!r.empty()) {
      out(r + "\n");
      return 1;
    }
    out(std::string(kMsgContaConectada) + "\n");
    return 0;
  });
}

// Every stored row with this address (the window removes one row at a time; here the address
// names them all).
int remove(const AccountOptions& o) {
  return comWorkspace(o.home, [&](MailboxWorkspace& w) {
    int n = 0;
    for (const auto& r : w.neg->accounts())
      if (r.email == o.email) {
        w.neg->removeAccount(r.id);
        ++n;
      }
    if (n == 0) {
      std::fprintf(stderr, "quorvel-cli: conta não cadastrada: %s\n", o.email.c_str());
      return 1;
    }
    out("Conta " + o.email + " excluída\n");
    return 0;
  });
}

int active(const AccountOptions& o) {
  if (o.estado != "on" && o.estado != "off") {
    std::fprintf(stderr, "quorvel-cli: use on ou off\n");
    return 2;
  }
  return comWorkspace(o.home, [&](MailboxWorkspace& w) {
    int n = 0;
    for (const auto& r : w.neg->accounts())
      if (r.email == o.email) {
        w.neg->setActive(r.id, o.estado == "on");
        ++n;
      }
    if (n == 0) {
      std::fprintf(stderr, "quorvel-cli: conta não cadastrada: %s\n", o.email.c_str());
      return 1;
    }
    return 0;
  });
}

}  // namespace

void addAccountsCommands(CLI::App& app, int& exitCode) {
  auto o = std::make_shared<AccountOptions>();
  auto* acc = app.add_subcommand("accounts", "Contas de e-mail checadas em busca de retornos");
  acc->require_subcommand(1);
  auto home = [o](CLI::App* c) {
    c->add_option("--home", o->home, "Pasta do programa (com dados/config)");
  };

  auto* a =
      acc->add_subcommand("add", "Cadastra uma conta (sem --server: configuração automática)");
  home(a);
  a->add_option("--email", o->email, "Endereço da conta")->required();
  a->add_option("--password", o->senha,
                "Senha; \"-\" lê da entrada padrão ou pede sem eco (um valor aqui fica visível na "
                "lista de processos)")
      ->required();
  a->add_option("--server", o->servidor, "Servidor IMAP");
  a->add_option("--port", o->porta, "Porta (padrão: 993 com TLS implícito, senão 143)");
  a->add_option("--tls", o->tls,
                "Sem suporte a TLS | TLS explícito | TLS implícito | TLS requerido");
  a->add_option("--auth", o->auth, "Padrão | SASL");
  a->add_option("--discovery-timeout", o->esperaDescoberta,
                "Segundos de espera pelo programa de configuração automática");
  a->callback([o, &exitCode] { exitCode = add(*o); });

  auto* l = acc->add_subcommand("list",
                                "Lista as contas (ativa, e-mail, servidor, porta, TLS, "
                                "autenticação)");
  home(l);
  l->callback([o, &exitCode] { exitCode = list(*o); });

  auto* t = acc->add_subcommand("test", "Testa a conexão de uma conta");
  home(t);
  t->add_option("email", o->email, "Endereço da conta")->required();
  t->callback([o, &exitCode] { exitCode = test(*o); });

  auto* r = acc->add_subcommand("remove", "Exclui uma conta");
  home(r);
  r->add_option("email", o->email, "Endereço da conta")->required();
  r->callback([o, &exitCode] { exitCode = remove(*o); });

  auto* at = acc->add_subcommand("active", "Liga ou desliga a checagem de uma conta");
  home(at);
  at->add_option("email", o->email, "Endereço da conta")->required();
  at->add_option("estado", o->estado, "on | off")->required();
  at->callback([o, &exitCode] { exitCode = active(*o); });
}

}  // namespace quorvel::cli
