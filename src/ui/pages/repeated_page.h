#pragma once
// Page "Eliminar repetidos": the column whose repeated values go.

#include "ui/pages/editor_page.h"

namespace quorvel::ui {

class RepeatedPage : public EditorPage {
  Q_OBJECT
 public:
  RepeatedPage(ListEditor& editor, QWidget* parent);
  void abrir() override;
  ColumnList* colunas() const { return colunas_; }

 private:
  ColumnList* colunas_;
};

}  // namespace quorvel::ui
