#include "ui/tfrm_update_apps.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"
#include "ui/window_placement.h"

namespace quorvel::ui {
namespace {

QProgressBar* barra(const QString& nome, QWidget* pai) {
  auto* b = new QProgressBar(pai);
  b->setAccessibleName(nome);
  b->setTextVisible(false);
  return b;
}

}  // namespace

TfrmUpdateApps::TfrmUpdateApps(ProgramUpdate& atualizacao)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), u_(atualizacao) {
  setObjectName(QStringLiteral("TfrmUpdateApps"));
  setWindowTitle(QStringLiteral("Verificando atualização..."));
  setWindowIcon(QIcon(QStringLiteral(":/quorvel.png")));
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(20, 16, 20, 16);
  titulo_ = makeTitle({}, this);
  lay->addWidget(titulo_);
  status_ = makeLabel({}, this);
  lay->addWidget(status_);
  lay->addSpacing(6);
  const QString rotuloTotal = QStringLiteral("Progresso total");
  const QString rotuloAtual = QStringLiteral("Progresso atual");
  lay->addWidget(makeLabel(rotuloTotal, this));
  total_ = barra(rotuloTotal, this);
  lay->addWidget(total_);
  lay->addWidget(makeLabel(rotuloAtual, this));
  atual_ = barra(rotuloAtual, this);
  lay->addWidget(atual_);
  // "baixando https://...: 1234 kb": the address may be long; the label wraps it.
  descricao_ = makeLabel({}, this, true);
  descricao_->setMinimumHeight(descricao_->fontMetrics().lineSpacing() * 2);
  lay->addWidget(descricao_);
  auto* baixo = new QHBoxLayout;
  // The activity animation: a bar that keeps moving while the work goes on.
  animacao_ = barra(QStringLiteral("Aguarde"), this);
  animacao_->setRange(0, 0);
  animacao_->setMaximumWidth(160);
  baixo->addWidget(animacao_);
  baixo->addStretch(1);
  botao_ = makeButton(q(u_.btnCaption), this);
  baixo->addWidget(botao_);
  lay->addLayout(baixo);
  connect(botao_, &QPushButton::clicked, this, guarded([this] { u_.botaoClicado(); }));
  resize(520, 260);
  sub_ = u_.notices.listen([this](const UpdateNotice&) { refresh(); });
  refresh();
}

void TfrmUpdateApps::refresh() {
  titulo_->setText(q(u_.titulo));
  status_->setText(q(u_.status));
  descricao_->setText(q(u_.descricao));
  showProgress(total_, u_.maxTotal, u_.posTotal);
  showProgress(atual_, u_.maxAtual, u_.posAtual);
  animacao_->setVisible(u_.animacaoVisivel);
  botao_->setText(q(u_.btnCaption));
  botao_->setAccessibleName(q(u_.btnCaption));
  if (u_.visivel && !isVisible()) {
    WindowPlacement::centreOnScreen(this, false);
    show();
    raise();
    repaint();
  } else if (!u_.visivel && isVisible()) {
    hide();
  }
}

void TfrmUpdateApps::closeEvent(QCloseEvent* e) {
  // The title bar's close is the button: during the download it only asks to wait.
  if (u_.visivel) {
    e->ignore();
    runGuarded([this] { u_.botaoClicado(); });
    return;
  }
  QWidget::closeEvent(e);
}

}  // namespace quorvel::ui
