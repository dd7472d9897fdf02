#pragma once
// Page "Excluir avançado": rows whose value is found in other files leave the list.

#include "ui/pages/editor_page.h"

namespace quorvel::ui {

class ExclusionPage : public EditorPage {
  Q_OBJECT
 public:
  ExclusionPage(ListEditor& editor, QWidget* parent);
  void abrir() override;
  ColumnList* colunas() const { return colunas_; }

 private:
  ColumnList* colunas_;
};

}  // namespace quorvel::ui
