#pragma once
// A list file opened on the terminal as the list editor's "Abrir lista" opens it, for the
// commands that work on list files.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/terminal_app.h"
#include "common/text_grid.h"

namespace quorvel::cli {

// True when `a` (not standard input) and `b` name the same existing file.
bool mesmoArquivo(const std::string& a, const std::string& b);

// "1 linha", "1.234 linhas": a count of rows for the summaries.
std::string linhas(int64_t n);

// The column named on the command line in `g`: its number counted from 1, or its name (ignoring
// case). Throws CliFailure naming the columns there are.
int colunaPedida(const TextGrid& g, const std::string& nomeOuNumero);

// The list editor on a terminal, as the desktop wires it.
class ListSession {
 public:
  explicit ListSession(const std::string& home)
      : t(home), editor(t.app.editor), dialogs(t.dialogs) {}

  // Opens the file (`-`: standard input) into "Principal" as "Abrir lista" does, with its
  // clean-up. Throws CliFailure when it cannot be read.
  void abrir(const std::string& nome);
  int coluna(const std::string& nomeOuNumero) const {
    return colunaPedida(*editor.gGrid, nomeOuNumero);
  }
  // Ctrl+C asked for: nothing is written.
  void cancelado() const;
  void salvarGrade(TextGrid& grid, const std::string& caminho);
  // The line on standard error that says what was done, then the files written.
  void resumo(const std::string& texto) const;

  TerminalApp t;
  ListEditor& editor;
  TerminalDialogs& dialogs;
  int linhasLidas = 0;
  std::vector<std::string> gravados;
};

}  // namespace quorvel::cli
