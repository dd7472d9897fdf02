#include "cli/extract_command.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <unordered_set>

#include "cli/cli_failure.h"
#include "cli/input_bytes.h"
#include "cli/standard_output.h"
#include "cli/terminal_ports.h"
#include "common/text.h"
#include "common/text_file.h"
#include "extraction/tdtm_extrator.h"

namespace quorvel::cli {
namespace {

struct ExtractOptions {
  bool primeiro = false;
  bool unico = false;
  std::string arquivo = "-";
};

int extrair(const ExtractOptions& o) {
  const std::string bytes = readInputBytes(o.arquivo);
  std::string decodificado;
  const std::string_view texto = utf8View(bytes, decodificado);
  installCancelHandler();
  TerminalDialogs dialogs;
  TerminalProgress progress;
  NullPump pump;
  TdtmExtrator extrator(&dialogs, &progress, &pump);
  const std::string emails = extrator.getEmails(texto, !o.primeiro, true);
  // The extractor ends each address with CR LF (its lists and files); a terminal line ends in LF.
  std::unordered_set<std::string> vistos;
  size_t p = 0;
  while (p < emails.size()) {
    size_t fim = emails.find("\r\n", p);
    if (fim == std::string::npos) fim = emails.size();
    const std::string_view email(emails.data() + p, fim - p);
    p = fim + 2;
    if (email.empty()) continue;
    if (o.unico && !vistos.insert(toLower(email)).second) continue;
    out(email);
    out("\n");
  }
  if (cancelRequestedByUser()) throw CliFailure("cancelado", kSaidaCancelado);
  return kSaidaOk;
}

}  // namespace

void addExtractCommand(CLI::App& app, int& exitCode) {
  auto o = std::make_shared<ExtractOptions>();
  auto* cmd = app.add_subcommand("extract", "Extrai os endereços de e-mail de um texto");
  cmd->add_flag("--first", o->primeiro, "Só o primeiro endereço");
  cmd->add_flag("--unique", o->unico, "Cada endereço uma vez (a primeira ocorrência)");
  cmd->add_option("FILE", o->arquivo, "Arquivo de texto (- ou nada: a entrada padrão)");
  cmd->callback([o, &exitCode] { exitCode = extrair(*o); });
}

}  // namespace quorvel::cli
