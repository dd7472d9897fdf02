#pragma once
// The list editor's model: the three lists and their bookkeeping. The editor window is a view
// over this object; every operation acts on the current grid `gGrid`.

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/grid_journal.h"
#include "common/notifier.h"
#include "common/ports.h"
#include "common/text_grid.h"
#include "common/window_opener.h"

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
  // The windows its menus open ("Exportar + utilitários").
  WindowOpener* windows = &noWindows();
  std::string programFolder;  // where dados/ lies
  // The e-mail extractor (text → the addresses found, one per line); empty until connected.
  std::function<std::string(const std::string& texto)> extratorEmails;
  // The grid is hidden while long operations rewrite it.
  bool gridVisivel = true;
  void setGridVisivel(bool visivel) {
    gridVisivel = visivel;
    changed();
  }

  // The field separator a list was read with (tab, ";" or ","; 0 when not known): saving writes
  // it back with the same one unless the user chooses another.
  char separadorDe(const TextGrid& grid) const {
    return separadores_[static_cast<size_t>(abaDe(grid))];
  }
  void setSeparador(const TextGrid& grid, char separador) {
    separadores_[static_cast<size_t>(abaDe(grid))] = separador;
  }

  // Edited flag and file path of the tab that shows `grid`.
  void setEditou(const TextGrid& grid, bool editou);
  void setArquivo(const TextGrid& grid, const std::string& caminho);
  std::string arquivoDe(const TextGrid& grid) const { return arquivoDaAba(abaDe(grid)); }
  // The progress box; a silent one when none is connected.
  Progress& progresso();
  Dialogs& dialogos();

  static const std::array<const char*, 3> kAbaTitulos;  // "Principal", "Válidos", "Inválidos"

  TextGrid& grid(int aba);
  const TextGrid& grid(int aba) const { return const_cast<ListEditor*>(this)->grid(aba); }
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

  // --- undo ------------------------------------------------------------------------------------
  // One user operation: whatever it changes in the lists while this lives is one step of each
  // list's history ("Desfazer" takes it back whole). Steps nest; the outermost one counts. An
  // operation that changed several lists is undone and redone in all of them at once, from
  // whichever of them the user is on.
  class EditStep {
   public:
    explicit EditStep(ListEditor& e) : e_(e) { e_.comecarPasso(); }
    ~EditStep() { e_.terminarPasso(); }
    EditStep(const EditStep&) = delete;
    EditStep& operator=(const EditStep&) = delete;

   private:
    ListEditor& e_;
  };
  // The history of the list of a grid.
  GridJournal& historico(const TextGrid& g) { return historicos_[abaDe(g)]; }
  const GridJournal& historico(const TextGrid& g) const {
    return historicos_[static_cast<size_t>(abaDe(g))];
  }
  // "Desfazer (Ctrl+Z)" / "Refazer (Ctrl+Y)" on the current list (and on the other lists the
  // same operation changed). False when there was nothing to take back (or to do again), or when
  // another list the operation changed has changed since: its newer steps are undone first, or
  // the contacts the operation moved would be lost from both lists.
  bool desfazer();
  bool refazer();
  bool podeDesfazer() const { return historico(*gGrid).canUndo(); }
  bool podeRefazer() const { return historico(*gGrid).canRedo(); }

 private:
  // A list changed (a step ended, or was undone or redone): its edited flag follows whether it
  // is back in the state it was saved in, and the views hear of it.
  void listaMudou(int aba);
  void comecarPasso();
  void terminarPasso();
  bool repetirPasso(bool desfazendo);

  // The steps one operation made in several lists (per list the step's id, 0 for a list it left
  // alone), newest last.
  std::vector<std::array<uint64_t, 3>> passosLigados_;
  std::array<uint64_t, 3> antesDoPasso_{};
  int profundidadePasso_ = 0;

  std::array<GridJournal, 3> historicos_;
  std::array<char, 3> separadores_{};
  std::array<int, 3> desfazerVisto_{};  // what the views last heard of the undo entries
  int abaAtiva_ = kAbaPrincipal;
  std::unique_ptr<Progress> progressoMudo_;
  std::unique_ptr<Dialogs> dialogosMudos_;
};

}  // namespace quorvel
