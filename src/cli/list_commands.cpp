#include "cli/list_commands.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_failure.h"
#include "cli/list_session.h"
#include "cli/stage_switches.h"
#include "cli/standard_output.h"
#include "cli/terminal_app.h"
#include "common/format.h"
#include "common/text.h"
#include "lists/list_cleaning.h"
#include "lists/list_loading.h"
#include "lists/list_saving.h"
#include "lists/name_identification.h"

namespace quorvel::cli {
namespace {

namespace fs = std::filesystem;

struct ListOptions {
  std::string coluna;  // a number counted from 1, or a column's name
  std::vector<std::string> com;
  std::vector<std::string> disable;
  std::string home, entrada, saida, validos, invalidos, sugestoes;
  bool counters = false;
};

void conferirSaida(const ListOptions& o, const std::string& saida) {
  if (mesmoArquivo(o.entrada, saida))
    throw CliFailure("o arquivo de saída não pode ser o de entrada: " + saida);
  for (const auto& c : o.com)
    if (mesmoArquivo(c, saida))
      throw CliFailure("o arquivo de saída não pode ser uma lista de exclusão: " + saida);
}

// One list operation: open IN, apply `operacao` to the chosen column, save OUT.
template <class Operacao>
int operacaoLista(const ListOptions& o, Operacao operacao) {
  installCancelHandler();
  conferirSaida(o, o.saida);
  ListSession s(o.home);
  s.abrir(o.entrada);
  int col = s.coluna(o.coluna);
  operacao(s, col);
  s.salvarGrade(s.editor.gridMain, o.saida);
  const int escritas = s.editor.gridMain.dataRowCount();
  const int diferenca = escritas - s.linhasLidas;
  s.resumo(linhas(s.linhasLidas) + " lidas, " + linhas(escritas) + " gravadas, " +
           (diferenca > 0 ? formatNumber(diferenca) + " acrescentadas"
                          : formatNumber(-diferenca) + " removidas"));
  return kSaidaOk;
}

// The rows of "Inválidos" that carry a suggestion, under the same column names.
TextGrid linhasComSugestao(const TextGrid& inv) {
  TextGrid g;
  g.setColCount(inv.colCount());
  for (int c = 0; c < inv.colCount(); ++c) g.setCell(c, 0, inv.cell(c, 0));
  int cs = -1;
  for (int c = 0; c < inv.colCount() && cs < 0; ++c)
    if (equalsIgnoreCase(inv.cell(c, 0), kColunaSugestao)) cs = c;
  int n = 0;
  for (int r = 1; cs >= 0 && r < inv.rowCount(); ++r) {
    if (isBlank(inv.cell(cs, r))) continue;
    if (++n >= g.rowCount()) g.setRowCount(n + 1);
    for (int c = 0; c < inv.colCount(); ++c) g.setCell(c, n, inv.cell(c, r));
  }
  return g;
}

int validarLista(const ListOptions& o) {
  installCancelHandler();
  conferirSaida(o, o.validos);
  conferirSaida(o, o.invalidos);
  if (!o.sugestoes.empty()) conferirSaida(o, o.sugestoes);
  auto iguais = [](const std::string& a, const std::string& b) {
    return !a.empty() && !b.empty() && (a == b || mesmoArquivo(a, b));
  };
  if (iguais(o.validos, o.invalidos) || iguais(o.validos, o.sugestoes) ||
      iguais(o.invalidos, o.sugestoes))
    throw CliFailure(
        "os arquivos dos válidos, dos inválidos e das sugestões precisam ser "
        "diferentes");
  ListSession s(o.home);
  s.t.prepararCadeia(o.disable);
  s.abrir(o.entrada);
  s.t.rodarValidacao("validação");
  ValidationWindow& v = s.t.validationWindow();
  // Without an e-mail column nothing was validated: no result files are written.
  if (v.colunaDaExecucao < 0)
    throw CliFailure("a coluna de e-mails não foi identificada; nada foi gravado");
  s.salvarGrade(s.editor.gridValidos, o.validos);
  s.salvarGrade(s.editor.gridInvalidos, o.invalidos);
  if (!o.sugestoes.empty()) {
    TextGrid comSugestao = linhasComSugestao(s.editor.gridInvalidos);
    s.salvarGrade(comSugestao, o.sugestoes);
    s.editor.mudarGGrid(s.editor.gridInvalidos);
  }
  if (o.counters) out(counterPanel(v.chain));
  const auto& c = v.chain.counters;
  s.resumo(linhas(s.linhasLidas) + " lidas, " + formatNumber(c.value(Counter::lbTotalFinal)) +
           " válidas, " + formatNumber(c.value(Counter::lbTotalInvalidos)) + " inválidas");
  return kSaidaOk;
}

CLI::App* comando(CLI::App& pai, const char* nome, const char* ajuda, ListOptions& o) {
  auto* c = pai.add_subcommand(nome, ajuda);
  c->add_option("--column", o.coluna, "Coluna: o número (a partir de 1) ou o nome")->required();
  c->add_option("--home", o.home, "Pasta do programa (com dados/config)");
  c->add_option("IN", o.entrada, "Lista de entrada (- para a entrada padrão)")->required();
  c->add_option("OUT", o.saida, "Lista de saída (CSV, UTF-8)")->required();
  return c;
}

}  // namespace

void addListCommands(CLI::App& app, int& exitCode) {
  auto o = std::make_shared<ListOptions>();
  auto* list = app.add_subcommand("list", "Operações sobre listas (arquivos CSV ou texto)");
  list->require_subcommand(1);

  comando(*list, "dedupe", "Elimina linhas com valor repetido na coluna", *o)
      ->callback([o, &exitCode] {
        exitCode =
            operacaoLista(*o, [](ListSession& s, int col) { excluirRepetidos(s.editor, col); });
      });
  auto* excl =
      comando(*list, "exclude", "Elimina as linhas cujo valor está em listas de exclusão", *o);
  excl->add_option("--with", o->com, "Listas de exclusão (.txt ou .csv)")->required();
  excl->callback([o, &exitCode] {
    exitCode = operacaoLista(*o, [&](ListSession& s, int col) {
      std::string caminhos;
      for (const auto& c : o->com) {
        if (c.find(".txt") == std::string::npos && c.find(".csv") == std::string::npos)
          throw CliFailure("as listas de exclusão precisam ser arquivos .txt ou .csv: " + c);
        std::error_code ec;
        if (!fs::is_regular_file(c, ec))
          throw CliFailure("não foi possível abrir o arquivo: " + c, kSaidaFalha);
        caminhos += (caminhos.empty() ? "" : "\n") + fs::absolute(c).string();
      }
      s.dialogs.arquivos.push_back(caminhos);
      exclusaoAvancada(s.editor, col);
      s.cancelado();
    });
  });
  comando(*list, "names", "Identifica o nome de cada contato a partir do e-mail (#nome)", *o)
      ->callback([o, &exitCode] {
        exitCode = operacaoLista(
            *o, [](ListSession& s, int col) { identificarNomes(s.editor, col, false); });
      });
  comando(*list, "generate", "Gera contato@, suporte@, atendimento@ e o padrão de cada domínio", *o)
      ->callback([o, &exitCode] {
        exitCode = operacaoLista(*o, [](ListSession& s, int col) {
          gerarEmailPadrao(s.editor, col, "contato\r\nsuporte\r\natendimento", true);
        });
      });

  auto* val = app.add_subcommand("validate-list", "Valida uma lista e grava válidos e inválidos");
  val->add_option("--home", o->home, "Pasta do programa (com dados/config)");
  val->add_option("IN", o->entrada, "Lista de entrada (- para a entrada padrão)")->required();
  val->add_option("--valid", o->validos, "Arquivo dos válidos")->required();
  val->add_option("--invalid", o->invalidos, "Arquivo dos inválidos")->required();
  val->add_option("--suggestions", o->sugestoes,
                  "Grava à parte os inválidos que têm sugestão de correção");
  val->add_option("--disable", o->disable, kAjudaDisable)->delimiter(',')->allow_extra_args(false);
  val->add_flag("--counters", o->counters, "Mostra os contadores ao final");
  val->callback([o, &exitCode] { exitCode = validarLista(*o); });
}

}  // namespace quorvel::cli
