#pragma once
// Page "Nomes": the contacts' names guessed from their addresses.

#include "ui/pages/editor_page.h"

class QRadioButton;

namespace quorvel::ui {

class NamesPage : public EditorPage {
  Q_OBJECT
 public:
  NamesPage(ListEditor& editor, QWidget* parent);
  void abrir() override;
  ColumnList* colunas() const { return colunas_; }
  QRadioButton* amigavel() const { return amigavel_; }

 private:
  ColumnList* colunas_;
  QRadioButton* emBranco_;
  QRadioButton* amigavel_;
};

}  // namespace quorvel::ui
