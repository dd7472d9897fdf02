#pragma once
// Page "Gerar email": addresses with common prefixes for every domain of the list.

#include "ui/pages/editor_page.h"

class QCheckBox;
class QPlainTextEdit;

namespace quorvel::ui {

class GeneratePage : public EditorPage {
  Q_OBJECT
 public:
  GeneratePage(ListEditor& editor, QWidget* parent);
  void abrir() override;
  ColumnList* colunas() const { return colunas_; }
  QPlainTextEdit* prefixos() const { return prefixos_; }
  QCheckBox* padrao() const { return padrao_; }

 private:
  ColumnList* colunas_;
  QPlainTextEdit* prefixos_;
  QCheckBox* padrao_;
};

}  // namespace quorvel::ui
