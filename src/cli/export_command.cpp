#include "cli/export_command.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_failure.h"
#include "cli/list_session.h"
#include "common/format.h"
#include "export/cl_neg_office.h"
#include "export/export_window.h"
#include "export/xlsx_sheet.h"

namespace quorvel::cli {
namespace {

struct ExportOptions {
  std::string formato, home, entrada, saida;
  std::vector<std::string> colunas;
  std::string repetidosPor, vaziasEm;
};

// The workbook through a temporary beside OUT, put in its place only when whole.
void gravarPlanilha(ListSession& s, const TextGrid& grid, const std::string& saida) {
  const std::string temporario = temporaryBeside(saida);
  SheetResult r = writeWorkbook(grid, temporario, s.t.progressPort);
  std::string erro = r.erro;
  bool ocupado = false;
  if (r.resultado == SheetOutcome::gravada && putInPlace(temporario, saida, true, erro, ocupado)) {
    if (r.cortadas > 0)
      avisar(formatNumber(r.cortadas) + " célula(s) com mais de 32.767 caracteres cortada(s)");
    return;
  }
  ::unlink(temporario.c_str());
  s.cancelado();
  throw CliFailure("não foi possível gravar o arquivo " + saida + ": " + erro, kSaidaFalha);
}

int exportar(const ExportOptions& o) {
  if (o.formato != "txt" && o.formato != "html" && o.formato != "xlsx")
    throw CliFailure("formato desconhecido: " + o.formato + " (use txt, html ou xlsx)");
  installCancelHandler();
  if (mesmoArquivo(o.entrada, o.saida))
    throw CliFailure("o arquivo de saída não pode ser o de entrada: " + o.saida);
  ListSession s(o.home);
  s.abrir(o.entrada);
  ExportWindow janela(s.dialogs, s.t.progressPort, s.t.platform);
  janela.carregarGrid(std::move(s.editor.gridMain));
  TextGrid& g = janela.gridDados;

  // Every column is named against the list as it was read, before anything changes it.
  const int vazias = o.vaziasEm.empty() ? -1 : colunaPedida(g, o.vaziasEm);
  const int repetidos = o.repetidosPor.empty() ? -1 : colunaPedida(g, o.repetidosPor);
  std::vector<int> colunas;
  for (const auto& c : o.colunas) colunas.push_back(colunaPedida(g, c));

  if (vazias >= 0) janela.utilDeletarColunaVazia(g, vazias);
  s.cancelado();
  if (repetidos >= 0) janela.utilDeletarColunaRepetida(g, repetidos);
  s.cancelado();
  if (!colunas.empty()) janela.keepColumns(colunas);

  if (o.formato == "xlsx") {
    gravarPlanilha(s, g, o.saida);
  } else {
    const WriteOutcome r =
        o.formato == "txt" ? janela.saveToText(o.saida, true) : janela.saveToHtml(o.saida, true);
    s.cancelado();
    if (r != WriteOutcome::gravado)
      throw CliFailure("o arquivo não foi gravado: " + o.saida, kSaidaFalha);
  }
  s.cancelado();
  s.gravados.push_back(o.saida);
  s.resumo(linhas(s.linhasLidas) + " lidas, " + linhas(g.dataRowCount()) + " gravadas");
  return kSaidaOk;
}

}  // namespace

void addExportCommand(CLI::App& app, int& exitCode) {
  auto o = std::make_shared<ExportOptions>();
  auto* c = app.add_subcommand(
      "export", "Exporta uma lista como texto separado por \";\", tabela HTML ou planilha (.xlsx)");
  c->add_option("--format", o->formato, "Formato da saída: txt, html ou xlsx")->required();
  c->add_option("--columns", o->colunas,
                "Colunas exportadas, nesta ordem: números (a partir de 1) ou nomes")
      ->delimiter(',')
      ->allow_extra_args(false);
  c->add_option("--dedupe-by", o->repetidosPor,
                "Elimina as linhas que repetem o valor desta coluna (a primeira fica)");
  c->add_option("--drop-blank", o->vaziasEm, "Elimina as linhas em que esta coluna está vazia");
  c->add_option("--home", o->home, "Pasta do programa (com dados/config)");
  c->add_option("IN", o->entrada, "Lista de entrada (- para a entrada padrão)")->required();
  c->add_option("OUT", o->saida, "Arquivo de saída")->required();
  c->callback([o, &exitCode] { exitCode = exportar(*o); });
}

}  // namespace quorvel::cli
