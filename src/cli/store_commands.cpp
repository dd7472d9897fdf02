#include "cli/store_commands.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_failure.h"
#include "cli/standard_output.h"
#include "cli/terminal_app.h"
#include "common/format.h"
#include "common/text.h"

namespace quorvel::cli {
namespace {

struct StoreOptions {
  std::string home;
  bool invalidos = false;
  std::vector<std::string> itens;  // domains or addresses
};

// The workspace with its filter lists and its database open.
struct Banco {
  explicit Banco(const std::string& home) : t(home) {
    t.carregarDefinicoes();
    try {
      t.abrirBanco();
    } catch (const DatabaseError& e) {
      throw CliFailure(e.what(), kSaidaFalha);
    }
  }
  Database& db() { return t.app.dtm.banco(); }
  TerminalApp t;
};

int dbStats(const StoreOptions& o) {
  Banco b(o.home);
  for (const char* tabela :
       {"tbconfig", "tbmxvalidos", "tbmxinvalidos", "tbemailsinvalidos", "tbContas"})
    out(std::string(tabela) + "\t" + std::to_string(b.db().qtdTabela(tabela)) + "\n");
  return kSaidaOk;
}

int dbMxList(const StoreOptions& o) {
  Banco b(o.home);
  b.db().listarMX(o.invalidos ? kTbMxInvalidos : kTbMxValidos,
                  [](std::string_view dominio, std::string_view data, bool seu) {
                    std::string linha(dominio);
                    linha += '\t';
                    linha += data;
                    linha += seu ? "\tseu\n" : "\trecebido\n";
                    out(linha);
                  });
  return kSaidaOk;
}

// Forgets or removes each item; the ones that were not there are told, and the status is 1.
template <class Remover>
int removerCada(const std::vector<std::string>& itens, const char* ausente, Remover remover) {
  int status = kSaidaOk;
  for (const auto& item : itens) {
    const std::string normal = toLower(trimView(item));
    if (remover(normal)) {
      out(normal + "\n");
    } else {
      avisar(std::string(ausente) + normal);
      status = kSaidaFalha;
    }
  }
  return status;
}

int dbMxForget(const StoreOptions& o) {
  Banco b(o.home);
  return removerCada(o.itens, "domínio que não estava guardado: ", [&](const std::string& d) {
    return b.db().esquecerMX(d);
  });
}

int negativeRemove(const StoreOptions& o) {
  Banco b(o.home);
  return removerCada(o.itens, "endereço que não estava na base negativa: ",
                     [&](const std::string& e) { return b.db().removerEmailInvalido(e); });
}

const char* origem(TesteMX::Origem o) {
  switch (o) {
    case TesteMX::Origem::semInternet:
      return "sem internet";
    case TesteMX::Origem::isento:
      return "isento";
    case TesteMX::Origem::cache:
      return "cache";
    case TesteMX::Origem::dns:
      return "DNS";
    default:
      return "sem resposta do DNS";
  }
}

int mx(const StoreOptions& o) {
  Banco b(o.home);
  TesteMX& mx = *b.t.app.mx();
  mx.runStarts();
  for (const auto& d : o.itens) {
    std::string dominio = toLower(trimView(d));
    int r = mx.siteTemMX(dominio, b.t.chain().mxContext());
    out(dominio + "\t" + std::to_string(r) + "\t" + origem(mx.ultimaOrigem) + "\n");
  }
  return kSaidaOk;
}

CLI::App* comando(CLI::App& pai, const char* nome, const char* ajuda, StoreOptions& o) {
  auto* c = pai.add_subcommand(nome, ajuda);
  c->add_option("--home", o.home, "Pasta do programa (com dados/config)");
  return c;
}

}  // namespace

void addStoreCommands(CLI::App& app, int& exitCode) {
  auto o = std::make_shared<StoreOptions>();
  auto* db = app.add_subcommand("db", "Banco de dados da pasta de trabalho");
  db->require_subcommand(1);
  comando(*db, "stats", "Quantidade de linhas de cada tabela", *o)->callback([o, &exitCode] {
    exitCode = dbStats(*o);
  });
  auto* dbmx = db->add_subcommand("mx", "O cache do teste MX: domínios com e sem servidor");
  dbmx->require_subcommand(1);
  auto* list =
      comando(*dbmx, "list", "Lista os domínios com servidor de e-mail (data, origem)", *o);
  list->add_flag("--invalid", o->invalidos, "Lista os domínios sem servidor de e-mail");
  list->callback([o, &exitCode] { exitCode = dbMxList(*o); });
  auto* forget =
      comando(*dbmx, "forget", "Esquece domínios: a próxima validação pergunta ao DNS", *o);
  forget->add_option("dominio", o->itens, "Domínios")->required();
  forget->callback([o, &exitCode] { exitCode = dbMxForget(*o); });

  auto* mxCmd =
      comando(app, "mx", "Teste MX de domínios (0 sem servidor, 1 tem, 2 sem resposta)", *o);
  mxCmd->add_option("dominio", o->itens, "Domínios")->required();
  mxCmd->callback([o, &exitCode] { exitCode = mx(*o); });
}

void addNegativeRemove(CLI::App& negative, int& exitCode) {
  auto o = std::make_shared<StoreOptions>();
  auto* remove = comando(negative, "remove", "Tira endereços da base negativa", *o);
  remove->add_option("email", o->itens, "Endereços")->required();
  remove->callback([o, &exitCode] { exitCode = negativeRemove(*o); });
}

}  // namespace quorvel::cli
