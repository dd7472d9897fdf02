#include "cli/list_commands.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_failure.h"
#include "cli/input_bytes.h"
#include "cli/stage_switches.h"
#include "cli/standard_output.h"
#include "cli/terminal_app.h"
#include "common/format.h"
#include "common/text.h"
#include "common/text_file.h"
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
  std::string home, entrada, saida, validos, invalidos;
  bool counters = false;
};

bool mesmoArquivo(const std::string& a, const std::string& b) {
  std::error_code ec;
  return !ehEntradaPadrao(a) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

// Standard input as a file of its own, so that it is opened as "Abrir lista" opens any file;
// the file is gone when the command ends.
class EntradaEmArquivo {
 public:
  explicit EntradaEmArquivo(const std::string& nome) {
    if (!ehEntradaPadrao(nome)) {
      caminho_ = nome;
      return;
    }
    caminho_ =
        (fs::temp_directory_path() / ("quorvel-entrada-" + std::to_string(::getpid()) + ".txt"))
            .string();
    WriteResult w = writeFileAtomic(caminho_, readInputBytes("-"));
    if (!w.ok)
      throw CliFailure("não foi possível guardar a entrada padrão: " + w.error, kSaidaFalha);
    temporario_ = true;
  }
  ~EntradaEmArquivo() {
    if (temporario_) ::unlink(caminho_.c_str());
  }
  const std::string& caminho() const { return caminho_; }

 private:
  std::string caminho_;
  bool temporario_ = false;
};

// The list editor on a terminal, as the desktop wires it.
class ListSession {
 public:
  explicit ListSession(const std::string& home)
      : t(home), editor(t.app.editor), dialogs(t.dialogs) {}

  // Opens the file into "Principal" as "Abrir lista" does (with its clean-up).
  void abrir(const std::string& nome) {
    EntradaEmArquivo entrada(nome);
    std::error_code ec;
    if (!fs::is_regular_file(entrada.caminho(), ec))
      throw CliFailure("não foi possível abrir o arquivo: " + nome, kSaidaFalha);
    dialogs.arquivos.push_back(entrada.caminho());
    int antes = dialogs.erros;
    btnAbrirClick(editor);
    cancelado();
    if (dialogs.erros != antes) throw CliFailure("a lista não foi carregada: " + nome, kSaidaFalha);
    linhasLidas = editor.gridMain.dataRowCount();
  }

  // The column named on the command line: its number counted from 1, or its name (ignoring
  // case).
  int coluna(const std::string& nomeOuNumero) const {
    const TextGrid& g = *editor.gGrid;
    const int n = g.colCount();
    const std::string_view pedido = trimView(nomeOuNumero);
    const bool numero = !pedido.empty() && pedido.find_first_not_of("0123456789") == pedido.npos;
    if (numero) {
      const long c = pedido.size() > 6 ? 0 : std::stol(std::string(pedido));
      if (c < 1 || c > n)
        throw CliFailure("a coluna " + std::string(pedido) + " não existe (a lista tem " +
                         std::to_string(n) + (n == 1 ? " coluna)" : " colunas)"));
      return static_cast<int>(c) - 1;
    }
    std::string nomes;
    for (int c = 0; c < n; ++c) {
      if (equalsIgnoreCase(trimView(g.cell(c, 0)), pedido)) return c;
      nomes += (c ? ", " : "") + trim(g.cell(c, 0));
    }
    throw CliFailure("não há coluna chamada \"" + std::string(pedido) +
                     "\" (as colunas são: " + nomes + ")");
  }

  // Ctrl+C asked for: nothing is written.
  void cancelado() const {
    if (cancelRequestedByUser()) throw CliFailure("cancelado; nada foi gravado", kSaidaCancelado);
  }

  void salvarGrade(TextGrid& grid, const std::string& caminho) {
    cancelado();
    editor.mudarGGrid(grid);
    int antes = dialogs.erros;
    const bool salvo = salvarComo(editor, caminho, true);
    cancelado();  // a Ctrl+C during the save left the file unwritten
    if (!salvo || dialogs.erros != antes)
      throw CliFailure("o arquivo não foi gravado: " + caminho, kSaidaFalha);
    gravados.push_back(caminho);
  }

  // The line on standard error that says what was done.
  void resumo(const std::string& texto) const {
    avisar(texto);
    for (const auto& g : gravados) avisar("gravado: " + g);
  }

  TerminalApp t;
  ListEditor& editor;
  TerminalDialogs& dialogs;
  int linhasLidas = 0;
  std::vector<std::string> gravados;
};

void conferirSaida(const ListOptions& o, const std::string& saida) {
  if (mesmoArquivo(o.entrada, saida))
    throw CliFailure("o arquivo de saída não pode ser o de entrada: " + saida);
  for (const auto& c : o.com)
    if (mesmoArquivo(c, saida))
      throw CliFailure("o arquivo de saída não pode ser uma lista de exclusão: " + saida);
}

std::string linhas(int64_t n) {
  return formatNumber(n) + (n == 1 ? " linha" : " linhas");
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

int validarLista(const ListOptions& o) {
  installCancelHandler();
  conferirSaida(o, o.validos);
  conferirSaida(o, o.invalidos);
  if (!o.validos.empty() && (o.validos == o.invalidos || mesmoArquivo(o.validos, o.invalidos)))
    throw CliFailure("os arquivos dos válidos e dos inválidos precisam ser diferentes: " +
                     o.validos);
  ListSession s(o.home);
  s.t.prepararCadeia(o.disable);
  s.abrir(o.entrada);
  s.t.rodarValidacao("validação");
  Validator& v = s.t.validator();
  // Without an e-mail column nothing was validated: no result files are written.
  if (v.colunaDaExecucao < 0)
    throw CliFailure("a coluna de e-mails não foi identificada; nada foi gravado");
  s.salvarGrade(s.editor.gridValidos, o.validos);
  s.salvarGrade(s.editor.gridInvalidos, o.invalidos);
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
  val->add_option("--disable", o->disable, kAjudaDisable)->delimiter(',')->allow_extra_args(false);
  val->add_flag("--counters", o->counters, "Mostra os contadores ao final");
  val->callback([o, &exitCode] { exitCode = validarLista(*o); });
}

}  // namespace quorvel::cli
