#pragma once
// The value dialog ("Entrada de valor"): a title line, a multi-line text box, "&Ok" and
// "&Cancelar".

#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace quorvel::ui {

class TfrmGetValue : public QDialog {
  Q_OBJECT
 public:
  TfrmGetValue(const std::string& tituloTexto, const std::string& textoInicial);

  // The text typed (its lines joined with line breaks) after "&Ok"; empty otherwise.
  std::string pedir();
  QPlainTextEdit* caixaTexto() const { return texto_; }

 private:
  QPlainTextEdit* texto_;
};

}  // namespace quorvel::ui
