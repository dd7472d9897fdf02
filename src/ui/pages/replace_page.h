#pragma once
// The replace page ("Substituir / alterar"): a column, an action and its text.

#include "lists/column_operations.h"
#include "ui/pages/editor_page.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvel::ui {

class ReplacePage : public EditorPage {
  Q_OBJECT
 public:
  ReplacePage(ListEditor& editor, QWidget* parent);
  void abrir() override;
  ColumnList* colunas() const { return colunas_; }
  QListWidget* acoes() const { return acoes_; }
  QLineEdit* substituir() const { return substituir_; }
  QLineEdit* texto() const { return texto_; }
  QPushButton* aplicar() const { return aplicar_; }

 private:
  void refresh();

  ReplacePageState estado_;
  ColumnList* colunas_;
  QLabel* rotuloAcoes_;
  QListWidget* acoes_;
  QLabel* rotuloSubstituir_;
  QLineEdit* substituir_;
  QLabel* rotuloTexto_;
  QLineEdit* texto_;
  QPushButton* aplicar_;
};

}  // namespace quorvel::ui
