// "mailbox check" and "negative": the bounce harvest and the negative base it fills.

#include "cli/mailbox_commands.h"

#include "cli/standard_output.h"
#include "cli/store_commands.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "cli/mailbox_workspace.h"
#include "common/text.h"
#include "mailbox/mailbox_check.h"

namespace quorvel::cli {
namespace {

struct MailboxOptions {
  std::string home, email, tipos;
  bool forcar = false;
};

// Prints the log as it grows (coloured on a terminal) and draws the scan's progress bar.
class TerminalMailboxView : public EventPump {
 public:
  explicit TerminalMailboxView(MailboxCheck& w) : w_(w), cores_(::isatty(STDOUT_FILENO) == 1) {
    sub_ = w.notices.listen([this](const MailboxNotice& n) {
      if (n.kind == MailboxNotice::Kind::log) logMudou();
      if (n.kind == MailboxNotice::Kind::state) mudou();
    });
  }

  void logMudou() {
    if (w_.log.size() < impressas_) impressas_ = 0;  // the log was cleared
    for (; impressas_ < w_.log.size(); ++impressas_) {
      const LogLine& l = w_.log[impressas_];
      if (barra_) barra_->finish();
      if (cores_) {
        char cor[32];
        std::snprintf(cor, sizeof cor, "\033[38;2;%u;%u;%um", (l.cor >> 16) & 0xFF,
                      (l.cor >> 8) & 0xFF, l.cor & 0xFF);
        out(cor + l.linha() + "\033[0m\n");
      } else {
        out(l.linha() + "\n");
      }
      flushOut();
    }
  }
  void mudou() {
    if (w_.progressoVisivel) {
      if (!barra_) barra_ = std::make_unique<TerminalProgressBar>("Mensagens");
      barra_->update(w_.progressoPos, w_.progressoMax);
    } else {
      barra_.reset();
    }
  }
  void processEvents() override {
    // Ctrl+C is the window's "Cancelar": the account under examination stops, the run goes on.
    if (cancelRequestedByUser()) {
      clearCancel();
      cancelou = true;
      w_.btnCancelarClick();
    }
  }
  bool cancelou = false;  // Ctrl+C was pressed during the run

 private:
  MailboxCheck& w_;
  Notifier<MailboxNotice>::Subscription sub_;
  bool cores_;
  size_t impressas_ = 0;
  std::unique_ptr<TerminalProgressBar> barra_;
};

// The pump the window model is built with, pointed at the view once both exist.
class ForwardingPump : public EventPump {
 public:
  EventPump* alvo = nullptr;
  void processEvents() override {
    if (alvo) alvo->processEvents();
  }
};

int check(const MailboxOptions& o) {
  return comWorkspace(o.home, [&](MailboxWorkspace& w) {
    ForwardingPump pump;
    MailboxCheck janela(*w.banco, *w.config, w.dialogs, pump, *w.platform);
    janela.sincronizacao = &w.t.app.online.sync;
    janela.compartilhamento = &w.t.app.online.sync;
    TerminalMailboxView view(janela);
    pump.alvo = &view;
    janela.mostrar();
    janela.ckbRolar = true;
    janela.ckbForcar = o.forcar;
    installCancelHandler();
    janela.executarValidacao();
    if (view.cancelou) return kSaidaCancelado;
    if (janela.contasComFalha > 0) {
      avisar(janela.contasComFalha == 1
                 ? std::string("1 conta não pôde ser lida")
                 : std::to_string(janela.contasComFalha) + " contas não puderam ser lidas");
      return kSaidaFalha;
    }
    return kSaidaOk;
  });
}

int negativeList(const MailboxOptions& o) {
  return comWorkspace(o.home, [&](MailboxWorkspace& w) {
    NegativeBaseGrid grid(*w.banco);
    std::string tipos = o.tipos;
    for (size_t i = 0; i <= tipos.size();) {
      size_t fim = tipos.find(',', i);
      std::string t = trim(tipos.substr(i, fim == std::string::npos ? std::string::npos : fim - i));
      if (t == "1")
        grid.ckbPermanentes = true;
      else if (t == "2")
        grid.ckbRelativos = true;
      else if (t == "3")
        grid.ckbDescadastrados = true;
      else if (!t.empty()) {
        std::fprintf(stderr, "quorvel-cli: tipo desconhecido: %s (use 1, 2 e 3)\n", t.c_str());
        return 2;
      }
      if (fim == std::string::npos) break;
      i = fim + 1;
    }
    grid.abrir();
    for (const auto& l : grid.linhas)
      out(l.email + "\t" + l.dataCadastro + "\t" + l.contaEmail + "\t" + l.textoRetorno + "\t" +
          l.tipoErro + "\n");
    return 0;
  });
}

int negativeAdd(const MailboxOptions& o) {
  if (utf16Length(o.email) <= 7) {
    std::fprintf(stderr, "quorvel-cli: o endereço precisa ter mais de 7 caracteres\n");
    return 2;
  }
  return comWorkspace(o.home, [&](MailboxWorkspace& w) {
    NegativeBaseGrid grid(*w.banco);
    try {
      grid.inserirDescadastro(trim(o.email), diaLocal(w.platform->now()));
    } catch (const std::exception& e) {
      std::fprintf(stderr, "quorvel-cli: %s\n", e.what());
      return 1;
    }
    return 0;
  });
}

}  // namespace

void addMailboxCommands(CLI::App& app, int& exitCode) {
  addAccountsCommands(app, exitCode);
  auto o = std::make_shared<MailboxOptions>();

  auto* mb = app.add_subcommand("mailbox", "Retornos de erro e descadastramentos das contas");
  mb->require_subcommand(1);
  auto* ck = mb->add_subcommand("check", "Checa as contas ativas e mostra o registro da checagem");
  ck->add_option("--home", o->home, "Pasta do programa (com dados/config)");
  ck->add_flag("--force", o->forcar, "Forçar checagem completa (ignora a posição guardada)");
  ck->callback([o, &exitCode] { exitCode = check(*o); });

  auto* neg = app.add_subcommand("negative", "Base negativa: e-mails de suas contas");
  neg->require_subcommand(1);
  auto* ls = neg->add_subcommand(
      "list", "Lista em TSV: email, data_cadastro, conta_email, texto_retorno, tipo_erro");
  ls->add_option("--home", o->home, "Pasta do programa (com dados/config)");
  ls->add_option("--types", o->tipos,
                 "Tipos separados por vírgula: 1 permanentes, 2 relativos, "
                 "3 descadastrados");
  ls->callback([o, &exitCode] { exitCode = negativeList(*o); });
  auto* ad = neg->add_subcommand("add", "Novo descadastramento (mais de 7 caracteres)");
  ad->add_option("--home", o->home, "Pasta do programa (com dados/config)");
  ad->add_option("email", o->email, "Endereço")->required();
  ad->callback([o, &exitCode] { exitCode = negativeAdd(*o); });
  addNegativeRemove(*neg, exitCode);
}

}  // namespace quorvel::cli
