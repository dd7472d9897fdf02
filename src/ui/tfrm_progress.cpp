#include "ui/tfrm_progress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

TfrmProgress::TfrmProgress(ProgressBox& box)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint),
      box_(box) {
  setObjectName(QStringLiteral("TfrmProgress"));
  setWindowModality(Qt::ApplicationModal);
  // The window at work keeps the keyboard focus (the modality blocks its input meanwhile).
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowTitle(q(box.caption));
  operacao_ = makeLabel({}, this, true);
  QFont f = operacao_->font();
  f.setBold(true);
  operacao_->setFont(f);
  gauge_ = new QProgressBar(this);
  gauge_->setTextVisible(true);
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(operacao_);
  lay->addWidget(gauge_);
  for (auto& l : legendas_) {
    l = makeLabel({}, this);
    lay->addWidget(l);
  }
  botao_ = ui::makeButton(q(box.botao), this);
  botao_->setMinimumWidth(110);
  lay->addWidget(botao_, 0, Qt::AlignRight);
  connect(botao_, &QPushButton::clicked, this, guarded([this] { box_.botaoClicado(); }));
  resize(480, 210);
  if (QScreen* tela = QGuiApplication::primaryScreen()) {
    QRect r = geometry();
    r.moveCenter(tela->availableGeometry().center());
    move(r.topLeft());
  }
  sub_ = box_.notices.listen([this](const ProgressNotice&) { refresh(); });
}

void TfrmProgress::refresh() {
  setWindowTitle(q(box_.caption));
  operacao_->setText(q(box_.operacao));
  legendas_[0]->setText(q(box_.legenda1));
  legendas_[1]->setText(q(box_.legenda2));
  legendas_[2]->setText(q(box_.legenda3));
  // The gauge counts in int; large maximums are scaled down.
  int64_t maximo = std::max<int64_t>(box_.maximo, 0);
  int64_t posicao = std::clamp<int64_t>(box_.posicao, 0, std::max<int64_t>(maximo, 0));
  while (maximo > 1'000'000'000) {
    maximo /= 1000;
    posicao /= 1000;
  }
  gauge_->setRange(0, static_cast<int>(std::max<int64_t>(maximo, 1)));
  gauge_->setValue(static_cast<int>(maximo == 0 ? 0 : posicao));
  gauge_->setVisible(box_.gaugeVisivel);
  botao_->setText(q(box_.botao));
  botao_->setAccessibleName(q(box_.botao));
  botao_->setVisible(box_.botaoVisivel);
  if (box_.visivel && !isVisible()) {
    if (QApplication::activeWindow() != this) anterior_ = QApplication::activeWindow();
    show();
    raise();
  } else if (!box_.visivel && isVisible()) {
    hide();
    if (anterior_ && anterior_->isVisible()) anterior_->activateWindow();
  }
}

void TfrmProgress::paintEvent(QPaintEvent* e) {
  ++pinturas;
  QWidget::paintEvent(e);
}

void TfrmProgress::closeEvent(QCloseEvent* e) {
  // The box hides instead of closing; its state stays for the next use.
  e->ignore();
}

}  // namespace quorvel::ui
