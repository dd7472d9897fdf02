#include "cli/store_commands.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/terminal_app.h"
#include "common/text.h"

namespace quorvel::cli {
namespace {

struct StoreOptions {
  std::string home;
  std::vector<std::string> dominios;
};

// Runs `body` over an opened workspace; any failure becomes a message and exit status 2.
template <class Body>
int comBanco(const std::string& home, Body body) {
  try {
    TerminalApp t(home);
    t.carregarDefinicoes();
    t.abrirBanco();
    return body(t);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quorvel-cli: %s\n", e.what());
    return 2;
  }
}

int dbStats(const StoreOptions& o) {
  return comBanco(o.home, [](TerminalApp& t) {
    for (const char* tabela :
         {"tbconfig", "tbmxvalidos", "tbmxinvalidos", "tbemailsinvalidos", "tbContas"})
      std::printf("%s\t%lld\n", tabela,
                  static_cast<long long>(t.app.dtm.banco().qtdTabela(tabela)));
    return 0;
  });
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
  return comBanco(o.home, [&](TerminalApp& t) {
    TesteMX& mx = *t.app.mx();
    mx.runStarts();
    for (const auto& d : o.dominios) {
      std::string dominio = toLower(trimView(d));
      int r = mx.siteTemMX(dominio, t.chain().mxContext());
      std::printf("%s\t%d\t%s\n", dominio.c_str(), r, origem(mx.ultimaOrigem));
    }
    return 0;
  });
}

}  // namespace

void addStoreCommands(CLI::App& app, int& exitCode) {
  auto opts = std::make_shared<StoreOptions>();
  auto* db = app.add_subcommand("db", "Banco de dados da pasta de trabalho");
  db->require_subcommand(1);
  auto* stats = db->add_subcommand("stats", "Quantidade de linhas de cada tabela");
  stats->add_option("--home", opts->home, "Pasta do programa (com dados/config)");
  stats->callback([opts, &exitCode] { exitCode = dbStats(*opts); });

  auto* mxCmd =
      app.add_subcommand("mx", "Teste MX de domínios (0 sem servidor, 1 tem, 2 sem resposta)");
  mxCmd->add_option("--home", opts->home, "Pasta do programa (com dados/config)");
  mxCmd->add_option("dominio", opts->dominios, "Domínios")->required();
  mxCmd->callback([opts, &exitCode] { exitCode = mx(*opts); });
}

}  // namespace quorvel::cli
