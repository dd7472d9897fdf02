#pragma once
// The list editor's three lists as the validation run reads and fills them.

#include "lists/list_editor.h"
#include "validation/validator.h"

namespace quorvel {

class EditorValidationLists : public ValidationLists {
 public:
  explicit EditorValidationLists(ListEditor& e) : editor(e) {}

  ListEditor& editor;

  TextGrid& principal() override { return editor.gridMain; }
  TextGrid& validos() override { return editor.gridValidos; }
  TextGrid& invalidos() override { return editor.gridInvalidos; }
  void mostrarValidos(const std::function<int(const std::string&)>& larguraTexto) override {
    editor.setAbaAtiva(kAbaValidos);
    editor.AutoSizeGrid(editor.gridValidos, larguraTexto);
    editor.AutoSizeGrid(editor.gridInvalidos, larguraTexto);
    editor.mudarGGrid(editor.gridValidos);
    editor.showStatus(editor.gridValidos);
  }
  // A run rebuilds the result lists from nothing: their histories start again and the rows it
  // appends are not recorded one by one (the working list is only read).
  void execucaoComeca() override {
    for (TextGrid* g : {&editor.gridValidos, &editor.gridInvalidos}) {
      editor.historico(*g).clear();
      editor.historico(*g).pause();
      editor.setSeparador(*g, editor.separadorDe(editor.gridMain));
    }
  }
  // The results are new, unsaved lists.
  void execucaoTermina() override {
    for (TextGrid* g : {&editor.gridValidos, &editor.gridInvalidos}) {
      editor.historico(*g).resume();
      editor.setEditou(*g, true);
    }
    editor.changed();
  }
};

}  // namespace quorvel
