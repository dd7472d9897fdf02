#include "cli/check_command.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <optional>

#include "cli/stage_switches.h"
#include "cli/terminal_app.h"
#include "cli/terminal_ports.h"
#include "common/text.h"
#include "common/text_file.h"

namespace quorvel::cli {
namespace {

void writeOut(std::string& buf, bool force = false) {
  if (!force && buf.size() < (1 << 16)) return;
  std::fwrite(buf.data(), 1, buf.size(), stdout);
  buf.clear();
}

int runSingle(ValidationChain& v, const std::vector<std::string>& lines, bool counters) {
  v.counters.setUndefined(Counter::lbTotalOriginal);
  TerminalProgressBar bar("check");
  std::string out, erro;
  int64_t done = 0;
  for (const auto& line : lines) {
    if (!isBlank(line)) v.incLabelNumber(Counter::lbProcessados);
    std::string valido = v.validarEmail(trimView(line), erro);
    out += line;
    out += '\t';
    out += valido;
    out += '\t';
    out += erro;
    out += '\n';
    writeOut(out);
    if (++done % 4096 == 0) bar.update(done, static_cast<int64_t>(lines.size()));
  }
  bar.finish();
  if (counters) printCounters(v, out);
  writeOut(out, true);
  return 0;
}

int runGrid(Application& app, const std::vector<std::string>& lines, bool counters) {
  ListEditor& editor = app.editor;
  Validator& v = app.validator;
  TextGrid& g = editor.gridMain;
  g.setRowCount(static_cast<int>(lines.size()) + 1);
  for (size_t i = 0; i < lines.size(); ++i) g.setCell(0, static_cast<int>(i) + 1, lines[i]);
  v.mostrar();
  TerminalProgressBar bar("check --grid");
  {
    auto barra =
        v.notices.listen([&](const ValidatorNotice&) { bar.update(v.barraPos, v.barraMax); });
    v.iniciarValidacao();
  }
  bar.finish();

  std::string out;
  const TextGrid& val = editor.gridValidos;
  if (val.rowCount() > 2 || val.rowHasText(1)) {
    int col = criarColunaSeNaoExistir(editor.gridValidos, "emails", 100);
    for (int r = 1; r < val.rowCount(); ++r) {
      out += "V\t";
      out += val.cell(col, r);
      out += '\n';
      writeOut(out);
    }
  }
  const TextGrid& inv = editor.gridInvalidos;
  if (inv.rowCount() > 2 || inv.rowHasText(1)) {
    int ce = criarColunaSeNaoExistir(editor.gridInvalidos, "E-mail", 100);
    int cr = criarColunaSeNaoExistir(editor.gridInvalidos, "Erro", 100);
    for (int r = 1; r < inv.rowCount(); ++r) {
      out += "I\t";
      out += inv.cell(ce, r);
      out += '\t';
      out += inv.cell(cr, r);
      out += '\n';
      writeOut(out);
    }
  }
  if (counters) printCounters(v.chain, out);
  writeOut(out, true);
  return 0;
}

}  // namespace

void addCheckCommand(CLI::App& app, CheckOptions& o, int& exitCode) {
  auto* cmd = app.add_subcommand("check", "Valida endereços pela cadeia de filtros");
  cmd->add_option("--home", o.home, "Pasta do programa (com dados/config); padrão: a do programa");
  cmd->add_flag("--grid", o.grid, "Valida como lista (aba Principal) e lista Válidos/Inválidos");
  cmd->add_flag("--counters", o.counters, "Mostra os contadores ao final");
  cmd->add_option("--disable", o.disable, kAjudaDisable)->delimiter(',')->allow_extra_args(false);
  cmd->add_flag("-v,--verbose", o.verbose, "Mostra também as mensagens de informação");
  cmd->add_option("address", o.addresses, "Endereços; sem nenhum, lê linhas da entrada padrão");
  cmd->callback([&o, &exitCode] { exitCode = runCheck(o); });
}

int runCheck(const CheckOptions& o) {
  std::optional<TerminalApp> t;
  try {
    t.emplace(o.home, o.verbose);
    t->carregarDefinicoes();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quorvel-cli: %s\n", e.what());
    return 2;
  }
  ValidationChain& v = t->chain();
  if (!switchStagesOff(v, o.disable)) return 2;
  try {
    t->abrirBancoSeUsado();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quorvel-cli: %s\n", e.what());
    return 2;
  }

  std::vector<std::string> lines;
  if (!o.addresses.empty()) {
    lines = o.addresses;
  } else {
    std::string bytes;
    if (!readAll(STDIN_FILENO, bytes)) {
      std::fprintf(stderr, "quorvel-cli: não foi possível ler a entrada padrão\n");
      return 2;
    }
    lines = splitLines(decodeText(bytes));
  }
  if (o.grid) return runGrid(t->app, lines, o.counters);
  v.stagesRunStarts();
  return runSingle(v, lines, o.counters);
}

}  // namespace quorvel::cli
