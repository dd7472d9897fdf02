#include "cli/list_commands.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/stage_switches.h"
#include "cli/terminal_app.h"
#include "cli/terminal_ports.h"
#include "common/paths.h"
#include "extraction/tdtm_extrator.h"
#include "lists/list_cleaning.h"
#include "lists/list_loading.h"
#include "lists/list_saving.h"
#include "lists/name_identification.h"

namespace quorvel::cli {
namespace {

namespace fs = std::filesystem;

struct ListOptions {
  int coluna = 0;  // counted from 1
  std::vector<std::string> com;
  std::string home, entrada, saida, validos, invalidos;
  bool counters = false;
};

// Something went wrong: the message is printed and the command ends with status 2.
struct Failure {
  std::string mensagem;
};

bool mesmoArquivo(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

// The list editor on a terminal, as the desktop wires it.
class ListSession {
 public:
  explicit ListSession(const std::string& home)
      : t(home), editor(t.app.editor), dialogs(t.dialogs) {}

  // Opens the file into "Principal" as "Abrir lista" does (with its clean-up).
  void abrir(const std::string& caminho) {
    std::error_code ec;
    if (!fs::is_regular_file(caminho, ec))
      throw Failure{"não foi possível abrir o arquivo: " + caminho};
    dialogs.arquivos.push_back(caminho);
    int antes = dialogs.erros;
    btnAbrirClick(editor);
    if (dialogs.erros != antes) throw Failure{"a lista não foi carregada: " + caminho};
    if (cancelRequestedByUser()) throw Failure{"cancelado"};
  }

  int coluna(int numero) const {
    int n = editor.gGrid->colCount();
    if (numero < 1 || numero > n)
      throw Failure{"a coluna " + std::to_string(numero) + " não existe (a lista tem " +
                    std::to_string(n) + (n == 1 ? " coluna)" : " colunas)")};
    return numero - 1;
  }

  void salvarGrade(TextGrid& grid, const std::string& caminho) {
    editor.mudarGGrid(grid);
    int antes = dialogs.erros;
    if (!salvarComo(editor, caminho, true) || dialogs.erros != antes)
      throw Failure{"o arquivo não foi gravado: " + caminho};
  }

  TerminalApp t;
  ListEditor& editor;
  TerminalDialogs& dialogs;
};

template <class Body>
int executar(Body body) {
  installCancelHandler();
  try {
    body();
    return 0;
  } catch (const Failure& f) {
    std::fprintf(stderr, "quorvel-cli: %s\n", f.mensagem.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quorvel-cli: %s\n", e.what());
  }
  return 2;
}

void conferirSaida(const ListOptions& o, const std::string& saida) {
  if (mesmoArquivo(o.entrada, saida))
    throw Failure{"o arquivo de saída não pode ser o de entrada: " + saida};
  for (const auto& c : o.com)
    if (mesmoArquivo(c, saida))
      throw Failure{"o arquivo de saída não pode ser uma lista de exclusão: " + saida};
}

// One list operation: open IN, apply `operacao` to the chosen column, save OUT.
template <class Operacao>
int operacaoLista(const ListOptions& o, Operacao operacao) {
  return executar([&] {
    conferirSaida(o, o.saida);
    ListSession s(o.home);
    s.abrir(o.entrada);
    int col = s.coluna(o.coluna);
    operacao(s, col);
    if (cancelRequestedByUser()) throw Failure{"cancelado; nada foi gravado"};
    s.salvarGrade(s.editor.gridMain, o.saida);
  });
}

int validarLista(const ListOptions& o) {
  return executar([&] {
    conferirSaida(o, o.validos);
    conferirSaida(o, o.invalidos);
    ListSession s(o.home);
    s.t.carregarDefinicoes();
    s.t.abrirBanco();
    s.abrir(o.entrada);
    Validator& v = s.t.validator();
    v.mostrar();
    TerminalProgressBar barra("validação");
    {
      auto acompanhar = v.notices.listen([&](const ValidatorNotice&) {
        if (cancelRequestedByUser()) v.gCancelou = true;
        barra.update(v.barraPos, v.barraMax);
      });
      v.iniciarValidacao();
    }
    barra.finish();
    s.salvarGrade(s.editor.gridValidos, o.validos);
    s.salvarGrade(s.editor.gridInvalidos, o.invalidos);
    if (o.counters) {
      std::string painel;
      printCounters(v.chain, painel);
      std::fputs(painel.c_str(), stdout);
    }
  });
}

CLI::App* comando(CLI::App& pai, const char* nome, const char* ajuda, ListOptions& o) {
  auto* c = pai.add_subcommand(nome, ajuda);
  c->add_option("--column", o.coluna, "Coluna (contada a partir de 1)")->required();
  c->add_option("--home", o.home, "Pasta do programa (com dados/config)");
  c->add_option("IN", o.entrada, "Lista de entrada")->required();
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
          throw Failure{"as listas de exclusão precisam ser arquivos .txt ou .csv: " + c};
        std::error_code ec;
        if (!fs::is_regular_file(c, ec)) throw Failure{"não foi possível abrir o arquivo: " + c};
        caminhos += (caminhos.empty() ? "" : "\n") + fs::absolute(c).string();
      }
      s.dialogs.arquivos.push_back(caminhos);
      exclusaoAvancada(s.editor, col);
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
  val->add_option("IN", o->entrada, "Lista de entrada")->required();
  val->add_option("--valid", o->validos, "Arquivo dos válidos")->required();
  val->add_option("--invalid", o->invalidos, "Arquivo dos inválidos")->required();
  val->add_flag("--counters", o->counters, "Mostra os contadores ao final");
  val->callback([o, &exitCode] { exitCode = validarLista(*o); });
}

}  // namespace quorvel::cli
