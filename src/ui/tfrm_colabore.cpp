#include "ui/tfrm_colabore.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

TfrmColabore::TfrmColabore(CollaborationConsent& consentimento)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), c_(consentimento) {
  setObjectName(QStringLiteral("TfrmColabore"));
  setWindowTitle(q(kCaptionColabore));
  setWindowIcon(QIcon(QStringLiteral(":/quorvel.png")));
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(20, 16, 20, 16);
  lay->setSpacing(10);
  lay->addWidget(makeTitle(q(kTituloColabore), this));
  lay->addWidget(makeLabel(q(kExplicacaoColabore), this, true));
  mais_ = makeLinkButton(q(kMaisInformacoes), this);
  lay->addWidget(mais_, 0, Qt::AlignLeft);

  // The account the service gave the user: the exchange needs both before its first request.
  auto* conta = new QFormLayout;
  conta->setLabelAlignment(Qt::AlignLeft);
  const QString rotuloEmail = QStringLiteral("E-mail da conta no serviço:");
  const QString rotuloChave = QStringLiteral("Chave de acesso:");
  email_ = makeLineEdit(rotuloEmail, this);
  chave_ = makeLineEdit(rotuloChave, this);
  chave_->setEchoMode(QLineEdit::Password);
  conta->addRow(makeLabel(rotuloEmail, this), email_);
  conta->addRow(makeLabel(rotuloChave, this), chave_);
  lay->addLayout(conta);

  ativada_ = painel(kTextoColaboracaoAtivada, kStatusAtivada, kBotaoDesativar, desativar_);
  desativada_ = painel(kTextoColaboracaoDesativada, kStatusDesativada, kBotaoAtivar, ativar_);
  lay->addWidget(ativada_);
  lay->addWidget(desativada_);
  lay->addStretch(1);
  auto* baixo = new QHBoxLayout;
  baixo->addStretch(1);
  fechar_ = makeButton(QStringLiteral("Fechar"), this);
  baixo->addWidget(fechar_);
  lay->addLayout(baixo);

  connect(email_, &QLineEdit::textEdited, this, [this](const QString& t) { c_.email = u(t); });
  connect(chave_, &QLineEdit::textEdited, this, [this](const QString& t) { c_.chave = u(t); });
  connect(mais_, &QPushButton::clicked, this, guarded([this] { c_.maisInformacoes(); }));
  connect(fechar_, &QPushButton::clicked, this, guarded([this] { c_.fechar(); }));
  for (QPushButton* b : {ativar_, desativar_})
    connect(b, &QPushButton::clicked, this, guarded([this] { c_.botaoClicado(); }));
  resize(560, CollaborationConsent::kAltura);
  sub_ = c_.notices.listen([this](const ConsentNotice&) { refresh(); });
  refresh();
}

QFrame* TfrmColabore::painel(const char* texto, const char* status, const char* botao,
                             QPushButton*& b) {
  auto* p = new QFrame(this);
  p->setFrameShape(QFrame::StyledPanel);
  auto* lay = new QVBoxLayout(p);
  lay->addWidget(makeLabel(q(texto), p, true));
  QLabel* s = makeLabel(q(status), p);
  QFont f = s->font();
  f.setBold(true);
  s->setFont(f);
  lay->addWidget(s);
  b = makeButton(q(botao), p);
  b->setMinimumHeight(32);
  lay->addWidget(b, 0, Qt::AlignLeft);
  return p;
}

void TfrmColabore::refresh() {
  ativada_->setVisible(c_.ativada());
  desativada_->setVisible(!c_.ativada());
  for (QPushButton* b : {ativar_, desativar_}) b->setEnabled(!c_.ocupado);
  showText(email_, c_.email);
  showText(chave_, c_.chave);
  if (c_.visivel && !isVisible()) {
    show();
    raise();
    activateWindow();
  } else if (!c_.visivel && isVisible()) {
    hide();
  }
}

void TfrmColabore::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    runGuarded([this] { c_.fechar(); });
    return;
  }
  QWidget::keyPressEvent(e);
}

void TfrmColabore::closeEvent(QCloseEvent* e) {
  // Closed from the title bar: the links follow the choice as with "Fechar".
  if (c_.visivel) runGuarded([this] { c_.fechar(); });
  QWidget::closeEvent(e);
}

}  // namespace quorvel::ui
