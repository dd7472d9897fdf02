// "definitions", "collaboration" and "update": the program's side of the web service.

#include "cli/online_commands.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "cli/cli_failure.h"
#include "cli/mailbox_workspace.h"
#include "cli/secret_input.h"
#include "cli/standard_output.h"
#include "common/build_info.h"
#include "online/shipped_definitions.h"

namespace quorvel::cli {
namespace {

struct OnlineOptions {
  std::string home, email, chave;
  bool forcar = false;
};

// One line per row of the definitions window: the row, its count, the update indicator.
void imprimirLinhas(const DefinitionsWindow& d) {
  for (const auto& l : d.linhas)
    if (l.visivel) out(std::string(l.rotulo) + "\t" + l.itens + "\t" + l.indicador + "\n");
}

// The loading sequence to its end (the window's timer, at once): the lists, the counts and
// the comparison with the service.
void rodarSequencia(DefinitionsWindow& d) {
  while (d.timerAtivo()) d.tmCheckTimer();
}

void atualizar(DefinitionsWindow& d) {
  installCancelHandler();
  TerminalProgressBar barra("definições");
  std::string etapa;
  auto acompanhar = d.notices.listen([&](const DefinitionsNotice&) {
    if (cancelRequestedByUser()) d.gCancelou = true;
    if (d.lbAtualizando != etapa) {
      etapa = d.lbAtualizando;
      barra.finish();
      if (!etapa.empty()) avisar(etapa);
    }
    if (d.barraLinhasMax > 0)
      barra.update(d.barraLinhasPos, d.barraLinhasMax);
    else
      barra.show(d.lbTamanho);
  });
  try {
    d.btnAtualizarClick();
  } catch (const std::exception& e) {
    barra.finish();
    if (cancelRequestedByUser())
      throw CliFailure("cancelado; as datas das definições não mudaram", kSaidaCancelado);
    throw CliFailure(
        std::string("a atualização falhou: ") + e.what() + " (as datas das definições não mudaram)",
        kSaidaFalha);
  }
  acompanhar.cancel();
  barra.finish();
  avisar(kDefinicoesAtualizadas);
}

int definitions(const OnlineOptions& o, bool atualizarAgora) {
  return comWorkspace(o.home, [&](MailboxWorkspace& w) {
    Application& app = w.t.app;
    instalarDefinicoesIniciais(app.home(), pastaDefinicoesEmbarcadas());
    DefinitionsWindow& d = app.definicoes;
    d.esperar = nullptr;  // the terminal prints the line; nothing to wait for
    if (o.forcar)
      d.forcarAtualizacao();
    else
      d.mostrar();
    rodarSequencia(d);
    if (!d.avisoServico.empty()) {
      if (!atualizarAgora) imprimirLinhas(d);
      avisar(d.avisoServico);
      return kSaidaFalha;
    }
    if (atualizarAgora) {
      if (!d.painelVisivel) {
        avisar("as definições instaladas já são as mais recentes");
      } else {
        atualizar(d);
        rodarSequencia(d);
      }
    }
    imprimirLinhas(d);
    return kSaidaOk;
  });
}

int collaboration(const OnlineOptions& o, const std::string& acao) {
  TerminalApp t(o.home);
  if (!t.app.dtm.settingsLoad.ok()) throw CliFailure(t.app.dtm.settingsLoad.mensagem());
  CollaborationConsent& c = t.app.online.consentimento;
  if (!o.email.empty() || !o.chave.empty()) {
    const std::string chave = o.chave.empty() ? c.chave : lerSegredo(o.chave, "Chave de acesso");
    if (!c.guardarConta(o.email.empty() ? c.email : o.email, chave)) return kSaidaFalha;
  }
  if (acao != "status" && !c.setCompartilha(acao == "on")) return kSaidaFalha;
  const std::string& base = t.app.online.baseUrl();
  out(std::string(c.status()) + "\n");
  out("E-mail: " + (c.email.empty() ? std::string("(não informado)") : c.email) + "\n");
  out(std::string("Chave de acesso: ") + (c.chave.empty() ? "(não informada)" : "guardada") + "\n");
  out("Serviço: " + (base.empty() ? std::string("(nenhum configurado)") : base) + "\n");
  return kSaidaOk;
}

int updateCheck(const OnlineOptions& o) {
  TerminalApp t(o.home);
  ProgramUpdate& u = t.app.online.atualizacao;
  ResultadoBuild r = u.verificarBuild();
  out("Build instalado: " + std::to_string(kBuild) + "\n");
  if (r == ResultadoBuild::semResposta) {
    avisar("não foi possível verificar se há atualização: " + u.erroVerificacao);
    return kSaidaFalha;
  }
  out("Build atual no serviço: " + (u.buildAtual.empty() ? "-" : u.buildAtual) + "\n");
  out("Build mínimo: " + (u.buildMinimo.empty() ? "-" : u.buildMinimo) + "\n");
  if (r == ResultadoBuild::novaVersao)
    out("Há uma nova versão do Quorvel disponível: " + u.baseUrl + "/quorvel/download/" +
        kArquivoSetup + "\n");
  else if (r == ResultadoBuild::atual)
    out("O Quorvel está atualizado.\n");
  return r == ResultadoBuild::desabilitada ? kSaidaFalha : kSaidaOk;
}

}  // namespace

void addOnlineCommands(CLI::App& app, int& exitCode) {
  auto o = std::make_shared<OnlineOptions>();
  auto home = [o](CLI::App* c) {
    c->add_option("--home", o->home, "Pasta do programa (com dados/config)");
  };

  auto* def = app.add_subcommand("definitions", "Definições de checagem do serviço online");
  def->require_subcommand(1);
  auto* ck = def->add_subcommand(
      "check", "Compara as definições instaladas com as do serviço (sem baixar nada)");
  home(ck);
  ck->add_flag("--force", o->forcar,
               "Como \"Forçar atualização\": apaga definitions.txt e considera tudo desatualizado");
  ck->callback([o, &exitCode] { exitCode = definitions(*o, false); });
  auto* up = def->add_subcommand("update", "Baixa as definições mais novas do serviço");
  home(up);
  up->add_flag("--force", o->forcar,
               "Como \"Forçar atualização\": baixa tudo de novo (as bases desde 2020-10-10)");
  up->callback([o, &exitCode] { exitCode = definitions(*o, true); });

  auto* col = app.add_subcommand("collaboration", "Colaboração de dados com o serviço online");
  col->require_subcommand(1);
  for (const char* acao : {"on", "off", "status"}) {
    auto* c = col->add_subcommand(acao, std::string(acao) == "on"    ? "Ativa a colaboração"
                                        : std::string(acao) == "off" ? "Desativa a colaboração"
                                                                     : "Mostra a situação atual");
    home(c);
    c->add_option("--email", o->email, "E-mail da sua conta no serviço (fica guardado)");
    c->add_option("--key", o->chave,
                  "Chave de acesso da conta (fica guardada); \"-\" lê da entrada padrão");
    c->callback([o, acao, &exitCode] { exitCode = collaboration(*o, acao); });
  }

  auto* upd = app.add_subcommand("update", "Atualizações do programa");
  upd->require_subcommand(1);
  auto* uc = upd->add_subcommand("check", "Verifica se há um build mais novo no serviço");
  home(uc);
  uc->callback([o, &exitCode] { exitCode = updateCheck(*o); });
}

}  // namespace quorvel::cli
