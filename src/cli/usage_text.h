#pragma once
// The command line's own words in Portuguese: the help screens' labels and the usage errors,
// each naming the word that was wrong.

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

namespace quorvel::cli {

// Help in Portuguese for `app` and every command added to it afterwards.
void usarPortugues(CLI::App& app);
// Every command's help flag and subcommands under the Portuguese headings (after all commands
// are added).
void gruposEmPortugues(CLI::App& app);
// The message of a usage error ("argumento inesperado: --x"), without the program's name.
std::string mensagemDeUso(const CLI::ParseError& e);

}  // namespace quorvel::cli
