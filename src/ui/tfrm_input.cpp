#include "ui/tfrm_input.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/widgets.h"

namespace quorvel::ui {

TfrmInput::TfrmInput(const std::string& tituloTexto, const std::string& textoInicial,
                     const std::string& btnOk, const std::string& descricao)
    : QDialog(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("TfrmInput"));
  setWindowTitle(q(tituloTexto));
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(makeTitle(q(tituloTexto), this));
  if (!descricao.empty()) lay->addWidget(makeLabel(q(descricao), this, true));
  texto_ = new QPlainTextEdit(q(textoInicial).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                              this);
  texto_->setAccessibleName(q(tituloTexto));
  texto_->setLineWrapMode(QPlainTextEdit::NoWrap);
  texto_->installEventFilter(this);
  lay->addWidget(texto_, 1);
  auto* baixo = new QHBoxLayout;
  baixo->addWidget(makeLabel(QStringLiteral("Pressione ESC para fechar"), this));
  baixo->addStretch(1);
  QPushButton* ok = makeButton(q(btnOk), this);
  ok->setMinimumWidth(96);
  baixo->addWidget(ok);
  lay->addLayout(baixo);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  resize(720, 480);
}

bool TfrmInput::eventFilter(QObject* o, QEvent* e) {
  // Entering the text box selects all of its text.
  if (o == texto_ && e->type() == QEvent::FocusIn)
    QTimer::singleShot(0, texto_, [t = texto_] { t->selectAll(); });
  return QDialog::eventFilter(o, e);
}

std::optional<std::string> TfrmInput::mostrar() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  QString t = texto_->toPlainText();
  t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return u(t);
}

}  // namespace quorvel::ui
