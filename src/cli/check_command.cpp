#include "cli/check_command.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iterator>
#include <optional>

#include "bulk/line_preparer.h"
#include "cli/cli_failure.h"
#include "cli/input_bytes.h"
#include "cli/json_text.h"
#include "cli/stage_switches.h"
#include "cli/standard_output.h"
#include "cli/terminal_app.h"
#include "cli/terminal_ports.h"
#include "common/text.h"

namespace quorvel::cli {
namespace {

// A suggestion for a mistyped address: a fourth field, or "suggestion" in JSON; nothing when
// there is none.
std::string campoSugestao(const std::string& sugestao, bool json) {
  if (sugestao.empty()) return {};
  return json ? ",\"suggestion\":" + jsonString(sugestao) : "\t" + sugestao;
}

// The reason of a line that is not blank but holds no address.
constexpr const char* kNenhumEmail = "Nenhum e-mail encontrado";

void escreverResultado(std::string_view linha, std::string_view valido, const std::string& erro,
                       bool json, const std::string& sugestao) {
  if (json) {
    out("{\"input\":" + jsonString(linha) + ",\"address\":" + jsonString(valido) +
        ",\"valid\":" + (valido.empty() ? "false" : "true") + ",\"reason\":" + jsonString(erro) +
        campoSugestao(sugestao, true) + "}\n");
    return;
  }
  out(linha);
  out("\t");
  out(valido);
  out("\t");
  out(erro);
  if (!sugestao.empty()) {
    out("\t");
    out(sugestao);
  }
  out("\n");
}

// A line read ahead of its turn: what it stands for, as read and in lower case.
struct LinhaPreparada {
  std::string endereco, normalizado;
};

int runSingle(ValidationChain& v, const std::vector<std::string>& lines, const CheckOptions& o) {
  v.counters.setUndefined(Counter::lbTotalOriginal);
  TerminalProgressBar bar("check");
  // Every line is prepared once, ahead of its turn: the duplicate memory's slot of its address
  // is on its way into the cache a few lines before it is validated and, when the MX stage reads
  // ahead, new domains are looked up lines before theirs.
  const bool adiante = v.mxReadAheadOn();
  constexpr size_t kSlotAdiante = ValidationChain::kLinhasAdianteSlot;
  const size_t janela = adiante ? ValidationChain::kLinhasAdianteMx : kSlotAdiante + 1;
  std::vector<LinhaPreparada> anel(janela);
  size_t proxima = 0;
  std::string erro, extraido;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (cancelRequestedByUser()) throw CliFailure("cancelado", kSaidaCancelado);
    for (; proxima < std::min(lines.size(), i + janela); ++proxima) {
      LinhaPreparada& p = anel[proxima % janela];
      prepareLine(lines[proxima], extraido, p.endereco);
      toLowerInto(p.endereco, p.normalizado);
      if (adiante) v.readAheadMxOf(p.normalizado);
    }
    if (i + kSlotAdiante < proxima) {
      const std::string& seguinte = anel[(i + kSlotAdiante) % janela].normalizado;
      v.prefetchDuplicate(trimView(seguinte));
    }
    // A line of fields (a spreadsheet's export) gives its first address, as in bulk runs.
    const std::string& line = lines[i];
    const LinhaPreparada& p = anel[i % janela];
    if (!isBlank(line)) v.incLabelNumber(Counter::lbProcessados);
    if (p.endereco.empty() && !isBlank(line)) {
      // A line of fields without any address still gets its verdict.
      v.incLabelNumber(Counter::lbTotalInvalidos);
      escreverResultado(line, "", kNenhumEmail, o.json, {});
    } else {
      escreverResultado(line, v.validarNormalizado(trimView(p.normalizado), erro), erro, o.json,
                        v.sugestao);
    }
    if ((i + 1) % 4096 == 0) bar.update(static_cast<int64_t>(i + 1), lines.size());
  }
  bar.finish();
  v.stagesRunEnds();
  if (o.counters) out(o.json ? counterPanelJson(v) : counterPanel(v));
  return kSaidaOk;
}

int runGrid(TerminalApp& terminal, const std::vector<std::string>& lines, const CheckOptions& o) {
  Application& app = terminal.app;
  ListEditor& editor = app.editor;
  ValidationWindow& v = app.validationWindow;
  TextGrid& g = editor.gridMain;
  g.setRowCount(static_cast<int>(lines.size()) + 1);
  for (size_t i = 0; i < lines.size(); ++i) g.setCell(0, static_cast<int>(i) + 1, lines[i]);
  terminal.rodarValidacao("check --grid");

  const TextGrid& val = editor.gridValidos;
  if (val.rowCount() > 2 || val.rowHasText(1)) {
    int col = criarColunaSeNaoExistir(editor.gridValidos, "emails", 100);
    for (int r = 1; r < val.rowCount(); ++r) {
      if (o.json)
        out("{\"valid\":true,\"address\":" + jsonString(val.cell(col, r)) + "}\n");
      else
        out("V\t" + val.cell(col, r) + "\n");
    }
  }
  const TextGrid& inv = editor.gridInvalidos;
  if (inv.rowCount() > 2 || inv.rowHasText(1)) {
    int ce = criarColunaSeNaoExistir(editor.gridInvalidos, "E-mail", 100);
    int cr = criarColunaSeNaoExistir(editor.gridInvalidos, "Erro", 100);
    int cs = criarColunaSeNaoExistir(editor.gridInvalidos, kColunaSugestao, 100);
    for (int r = 1; r < inv.rowCount(); ++r) {
      const std::string& sugestao = inv.cell(cs, r);
      if (o.json)
        out("{\"valid\":false,\"address\":" + jsonString(inv.cell(ce, r)) +
            ",\"reason\":" + jsonString(inv.cell(cr, r)) + campoSugestao(sugestao, true) + "}\n");
      else
        out("I\t" + inv.cell(ce, r) + "\t" + inv.cell(cr, r) + campoSugestao(sugestao, false) +
            "\n");
    }
  }
  if (o.counters) out(o.json ? counterPanelJson(v.chain) : counterPanel(v.chain));
  return kSaidaOk;
}

}  // namespace

void addCheckCommand(CLI::App& app, CheckOptions& o, int& exitCode) {
  auto* cmd = app.add_subcommand("check", "Valida endereços pela cadeia de filtros");
  cmd->add_option("--home", o.home, "Pasta do programa (com dados/config); padrão: a do programa");
  cmd->add_option("--file", o.file,
                  "Lê um endereço por linha deste arquivo (- para a entrada padrão)");
  cmd->add_flag("--grid", o.grid, "Valida como lista (aba Principal) e lista Válidos/Inválidos");
  cmd->add_flag("--counters", o.counters, "Mostra os contadores ao final");
  cmd->add_flag("--json", o.json, "Um objeto JSON por linha (input, address, valid, reason)");
  cmd->add_option("--disable", o.disable, kAjudaDisable)->delimiter(',')->allow_extra_args(false);
  cmd->add_flag("-v,--verbose", o.verbose, "Mostra também as mensagens de informação");
  cmd->add_option("address", o.addresses, "Endereços; sem nenhum, lê linhas da entrada padrão");
  cmd->callback([&o, &exitCode] { exitCode = runCheck(o); });
}

int runCheck(const CheckOptions& o) {
  installCancelHandler();
  TerminalApp t(o.home, o.verbose);
  t.prepararCadeia(o.disable);
  std::vector<std::string> lines = o.addresses;
  if (!o.file.empty() || lines.empty()) {
    std::vector<std::string> lidas = splitLines(readInputText(o.file.empty() ? "-" : o.file));
    // The lines read are taken as they are (a million of them are not copied a second time).
    if (lines.empty())
      lines = std::move(lidas);
    else
      lines.insert(lines.end(), std::make_move_iterator(lidas.begin()),
                   std::make_move_iterator(lidas.end()));
  }
  if (o.grid) return runGrid(t, lines, o);
  t.chain().stagesRunStarts();
  return runSingle(t.chain(), lines, o);
}

}  // namespace quorvel::cli
