#pragma once
// Page "Definir colunas": one row per column with an example value and its editable name.

#include "ui/pages/editor_page.h"

class QTableWidget;

namespace quorvel::ui {

class DefineColumnsPage : public EditorPage {
  Q_OBJECT
 public:
  DefineColumnsPage(ListEditor& editor, QWidget* parent);
  void abrir() override;
  QTableWidget* tabela() const { return tabela_; }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  QTableWidget* tabela_;
};

}  // namespace quorvel::ui
