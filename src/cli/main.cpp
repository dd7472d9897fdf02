// quorvel-cli: the validation core on the command line.

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>

#include "cli/bulk_commands.h"
#include "cli/check_command.h"
#include "cli/cli_failure.h"
#include "cli/export_command.h"
#include "cli/extract_command.h"
#include "cli/large_pages.h"
#include "cli/list_commands.h"
#include "cli/mailbox_commands.h"
#include "cli/online_commands.h"
#include "cli/standard_output.h"
#include "cli/store_commands.h"
#include "cli/usage_text.h"
#include "common/build_info.h"

namespace cli = quorvel::cli;

int main(int argc, char** argv) {
  // The commands that hold a whole list in memory (check: its lines and the duplicate memory).
  if (argc > 1 && (std::string(argv[1]) == "list" || std::string(argv[1]) == "validate-list" ||
                   std::string(argv[1]) == "check"))
    cli::restartWithLargePages(argv);
  // A closed pipe is a write error to handle, not a signal that kills the program mid-line.
  std::signal(SIGPIPE, SIG_IGN);
  CLI::App app{"Quorvel — validação de listas de e-mails para campanhas", cli::kPrograma};
  cli::usarPortugues(app);
  app.set_version_flag(
      "--version",
      std::string(cli::kPrograma) + " (Quorvel) build " + std::to_string(quorvel::kBuild),
      "Mostra a versão do programa e sai");
  app.require_subcommand(1);
  int exitCode = 0;
  cli::CheckOptions check;
  cli::addCheckCommand(app, check, exitCode);
  cli::addStoreCommands(app, exitCode);
  cli::addListCommands(app, exitCode);
  cli::addExtractCommand(app, exitCode);
  cli::addExportCommand(app, exitCode);
  cli::addBulkCommands(app, exitCode);
  cli::addMailboxCommands(app, exitCode);
  cli::addOnlineCommands(app, exitCode);
  cli::gruposEmPortugues(app);
  // The first word that is not an option names a command; one that names none is told as such.
  auto conhecido = [&app](const std::string& nome) {
    for (const CLI::App* s : app.get_subcommands({}))
      if (s->check_name(nome)) return true;
    return false;
  };
  if (argc > 1 && argv[1][0] != '-' && !conhecido(argv[1])) {
    cli::avisar(std::string("comando desconhecido: ") + argv[1] + " (veja quorvel-cli --help)");
    return cli::kSaidaUso;
  }
  try {
    try {
      app.parse(argc, argv);
    } catch (const CLI::Success& e) {
      return app.exit(e);  // --help, --version
    } catch (const CLI::ParseError& e) {
      cli::avisar(cli::mensagemDeUso(e));
      return cli::kSaidaUso;
    }
    cli::flushOut();
  } catch (const cli::ClosedPipe&) {
    return cli::kSaidaOk;
  } catch (const cli::CliFailure& e) {
    try {
      cli::flushOut();
    } catch (...) {
    }
    cli::avisar(e.what());
    return e.status();
  } catch (const std::exception& e) {
    cli::avisar(e.what());
    return cli::kSaidaFalha;
  }
  return exitCode;
}

namespace quorvel::cli {

void avisar(const std::string& texto) {
  std::fprintf(stderr, "%s: %s\n", kPrograma, texto.c_str());
}

}  // namespace quorvel::cli
