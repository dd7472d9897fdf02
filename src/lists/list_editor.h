#pragma once
// The list editor's model: the three lists and their bookkeeping. The editor window is a view
// over this object; every operation acts on the current grid `gGrid`.

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "common/notifier.h"
#include "common/ports.h"
#include "common/text_grid.h"

namespace quorvel {

inline constexpr int kAbaPrincipal = 0;
inline constexpr int kAbaValidos = 1;
inline constexpr int kAbaInvalidos = 2;

// What changed in the editor itself (the grids tell their own changes).
struct EditorNotice {
  enum class Kind {
    state,  // the status line, the current tab or grid, the enabled controls
  };
  Kind kind = Kind::state;
  bool operator==(const EditorNotice&) const = default;
};

// What the status line shows.
struct StatusLine {
  std::string items;     // "Itens:"
  std::string position;  // "Posição:"
  std::string saved;     // "Está salvo:" — "Sim" / "Não"
  std::string file;      // "Arquivo: " + path
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

  Notifier<EditorNotice> notices;
  // Tells the views that the editor's state changed.
  void changed() { notices.notify({}); }

  // The ports the editor's operations talk through (the desktop, the CLI or a test sets them).
  Dialogs* dialogs = nullptr;
  Progress* progress = nullptr;
  Platform* platform = nullptr;
  EventPump* pump = nullptr;
  std::string programFolder;  // where dados/ lies
  // The e-mail extractor (text → the addresses found, one per line); empty until connected.
  std::function<std::string(const std::string& texto)> extratorEmails;
  // The grid is hidden while long operations rewrite it.
  bool gridVisivel = true;
  void setGridVisivel(bool visivel) {
    gridVisivel = visivel;
    changed();
  }

  // Edited flag and file path of the tab that shows `grid`.
  void setEditou(const TextGrid& grid, bool editou);
  void setArquivo(const TextGrid& grid, const std::string& caminho);
  std::string arquivoDe(const TextGrid& grid) const { return arquivoDaAba(abaDe(grid)); }
  std::string editouDe(const TextGrid& grid) const { return editouDaAba(abaDe(grid)); }
  // The progress box; a silent one when none is connected.
  Progress& progresso();
  Dialogs& dialogos();

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
  int abaAtiva_ = kAbaPrincipal;
  std::unique_ptr<Progress> progressoMudo_;
  std::unique_ptr<Dialogs> dialogosMudos_;
};

}  // namespace quorvel
