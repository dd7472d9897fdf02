#pragma once
// Page "Otimização seletiva": at most a few addresses of each domain.

#include "ui/pages/editor_page.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace quorvel::ui {

class OptimizationPage : public EditorPage {
  Q_OBJECT
 public:
  OptimizationPage(ListEditor& editor, QWidget* parent);
  QLineEdit* quantidade() const { return quantidade_; }
  QPlainTextEdit* prioridades() const { return prioridades_; }
  QCheckBox* ignorarProvedores() const { return ignorar_; }

 private:
  QLineEdit* quantidade_;
  QPlainTextEdit* prioridades_;
  QCheckBox* ignorar_;
};

}  // namespace quorvel::ui
