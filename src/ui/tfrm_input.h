#pragma once
// The text dialog: a title line, a description line, a large text box holding the initial text
// and one button whose caption is given; Esc closes it without a text.

#include <QDialog>
#include <optional>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace quorvel::ui {

class TfrmInput : public QDialog {
  Q_OBJECT
 public:
  TfrmInput(const std::string& tituloTexto, const std::string& textoInicial,
            const std::string& btnOk, const std::string& descricao);

  // ShowInputMemo: the box's text when closed through the button.
  std::optional<std::string> mostrar();
  QPlainTextEdit* caixaTexto() const { return texto_; }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  QPlainTextEdit* texto_;
};

}  // namespace quorvel::ui
