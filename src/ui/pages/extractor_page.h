#pragma once
// Page "Extrator": the addresses found in a pasted text replace the "Principal" list.

#include "ui/pages/editor_page.h"

class QCheckBox;
class QPlainTextEdit;

namespace quorvel::ui {

class ExtractorPage : public EditorPage {
  Q_OBJECT
 public:
  ExtractorPage(ListEditor& editor, QWidget* parent);
  QPlainTextEdit* texto() const { return texto_; }
  QCheckBox* bruto() const { return bruto_; }

 private:
  QPlainTextEdit* texto_;
  QCheckBox* bruto_;
};

}  // namespace quorvel::ui
