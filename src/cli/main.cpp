// quorvel-cli: the validation core on the command line.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>

#include "cli/bulk_commands.h"
#include "cli/check_command.h"
#include "cli/list_commands.h"
#include "cli/mailbox_commands.h"
#include "cli/store_commands.h"

int main(int argc, char** argv) {
  CLI::App app{"Quorvel — validação de listas de e-mails", "quorvel-cli"};
  app.require_subcommand(1);
  int exitCode = 0;
  quorvel::cli::CheckOptions check;
  quorvel::cli::addCheckCommand(app, check, exitCode);
  quorvel::cli::addStoreCommands(app, exitCode);
  quorvel::cli::addListCommands(app, exitCode);
  quorvel::cli::addBulkCommands(app, exitCode);
  quorvel::cli::addMailboxCommands(app, exitCode);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quorvel-cli: %s\n", e.what());
    return 1;
  }
  return exitCode;
}
