#pragma once
// The list editor's model: the three lists and their bookkeeping. The editor window is a view
// over this object; every operation acts on the current grid `gGrid`.

#include <array>
#include <functional>
#include <map>
#include <string>

#include "lists/text_grid.h"

namespace quorvel {

inline constexpr int kAbaPrincipal = 0;
inline constexpr int kAbaValidos = 1;
inline constexpr int kAbaInvalidos = 2;

// What the status line shows.
struct StatusLine {
  std::string itens;      // "Itens:"
  std::string posicao;    // "Posição:"
  std::string estaSalvo;  // "Está salvo:" — "Sim" / "Não"
  std::string arquivo;    // "Arquivo: " + path
};

class ListEditor {
 public:
  ListEditor();
  ListEditor(const ListEditor&) = delete;
  ListEditor& operator=(const ListEditor&) = delete;

  TextGrid gridMain;
  TextGrid gridValidos;
  TextGrid gridInvalidos;
  TextGrid* gGrid = &gridMain;

  // Per tab index ("0", "1", "2"): the file path and the edited flag ("1" / "0"; unset at first).
  std::map<std::string, std::string> gArquivos;
  std::map<std::string, std::string> gEditou;
  int gSortedColumn = 0;
  bool gDesc = false;
  bool gMoveuColuna = false;
  int gMarcados = 0;
  bool exclusaoRapidaColunas = false;

  // Controls that depend on the tab ("Abrir lista", "Abrir / Inserir").
  bool abrirListaHabilitado = true;
  StatusLine status;

  // Called whenever the model wants its view refreshed (status line, tab, grid contents).
  std::function<void()> onChanged;

  static const std::array<const char*, 3> kAbaTitulos;  // "Principal", "Válidos", "Inválidos"

  TextGrid& grid(int aba);
  int abaDe(const TextGrid& grid) const;
  int abaAtiva() const { return abaAtiva_; }

  // Empties the grid, clears its tab's file path, refreshes the status line.
  void novaLista(TextGrid& grid, bool excluirColunas);
  void mudarGGrid(TextGrid& grid);
  // Switches the active tab and follows the change (pgcDadosChangeCheck).
  void setAbaAtiva(int aba);
  void pgcDadosChangeCheck();
  void showStatus(const TextGrid& grid);
  // Column widths from the content; `larguraTexto` measures a text in pixels (the view's font).
  void AutoSizeGrid(TextGrid& grid, const std::function<int(const std::string&)>& larguraTexto);

  std::string arquivoDaAba(int aba) const;
  std::string editouDaAba(int aba) const;

 private:
  void notify() {
    if (onChanged) onChanged();
  }
  int abaAtiva_ = kAbaPrincipal;
};

}  // namespace quorvel
