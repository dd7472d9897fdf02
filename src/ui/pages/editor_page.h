#pragma once
// An internal page of the list editor (no visible tab): "Voltar" and Esc return to the data page.

#include <QListWidget>
#include <QWidget>
#include <functional>

#include "lists/list_editor.h"

class QBoxLayout;
class QPushButton;

namespace quorvel::ui {

class EditorPage : public QWidget {
  Q_OBJECT
 public:
  EditorPage(ListEditor& editor, const QString& nome, QWidget* parent);

  // Called each time the page is opened: it reads the current list again.
  virtual void abrir() {}
  // Back to the data page (set by the editor window).
  std::function<void()> voltar;

 protected:
  // A title, an optional text and a layout for the page's controls.
  QBoxLayout* corpo() const { return corpo_; }
  // "Voltar" and the page's own button, at the bottom.
  QPushButton* rodape(const QString& acao);

  ListEditor& editor_;

 private:
  QBoxLayout* corpo_;
};

// The list of the current list's columns (labels as the pages show them).
class ColumnList : public QListWidget {
 public:
  explicit ColumnList(QWidget* parent, const QString& nome);
  // Refills from the grid; `escolhida` is selected (-1: none).
  void preencher(const TextGrid& grid, int escolhida);
  int escolhida() const { return currentRow(); }
};

}  // namespace quorvel::ui
