#include "ui/tfrm_get_value.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/value_prompt.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"

namespace quorvel::ui {

TfrmGetValue::TfrmGetValue(const std::string& tituloTexto, const std::string& textoInicial)
    : QDialog(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("TfrmGetValue"));
  setWindowTitle(QStringLiteral("Entrada de valor"));
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(makeTitle(q(tituloTexto), this));
  if (const std::string prompt = promptDoValor(tituloTexto); !prompt.empty())
    lay->addWidget(makeLabel(q(prompt), this, true));
  texto_ = new QPlainTextEdit(q(textoInicial), this);
  texto_->setAccessibleName(q(tituloTexto));
  texto_->setTabChangesFocus(true);
  lay->addWidget(texto_, 1);
  lay->addLayout(makeOkCancelRow(this));
  // Enter starts a new line in the box; Ctrl+Enter confirms.
  for (auto tecla : {Qt::Key_Return, Qt::Key_Enter})
    connect(new QShortcut(QKeySequence(Qt::CTRL | tecla), this), &QShortcut::activated, this,
            &QDialog::accept);
  resize(460, 240);
  texto_->setFocus();
  texto_->selectAll();
}

std::string TfrmGetValue::pedir() {
  if (exec() != QDialog::Accepted) return {};
  QString t = texto_->toPlainText();
  t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return u(t);
}

}  // namespace quorvel::ui
