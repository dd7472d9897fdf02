#include "ui/tfrm_msg.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "app/tip_memory.h"
#include "common/ports.h"
#include "ui/message_icons.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"
#include "ui/window_placement.h"

namespace quorvel::ui {

void MessageScrollArea::wheelEvent(QWheelEvent* e) {
  QScrollBar* barra = verticalScrollBar();
  const int passo = e->angleDelta().y() / 10;
  barra->setValue(std::clamp(barra->value() - passo, barra->minimum(), barra->maximum()));
  e->accept();
}

void MessageScrollArea::enterEvent(QEnterEvent* e) {
  setFocus(Qt::MouseFocusReason);
  QScrollArea::enterEvent(e);
}

TfrmMsg::TfrmMsg(const MessageBox& box, const TipMemory* memoria)
    : QDialog(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      box_(box),
      memoria_(memoria) {
  setObjectName(QStringLiteral("TfrmMsg"));
  setWindowTitle(q(box.titulo));
  setAttribute(Qt::WA_DeleteOnClose, false);

  auto* icone = new QLabel(this);
  icone->setPixmap(iconeMensagem(box.icone));
  icone->setFixedSize(MessageBox::kTamanhoIcone, MessageBox::kTamanhoIcone);
  icone->setAccessibleName(q(box.titulo));

  texto_ =
      makeLabel(q(box.texto).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), this, true);
  texto_->setObjectName(QStringLiteral("texto"));
  texto_->setMinimumWidth(MessageBox::kLarguraMinimaTexto);
  texto_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  texto_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* area = new MessageScrollArea(this);
  area->setWidget(texto_);
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  area->setFocusPolicy(Qt::StrongFocus);

  auto* topo = new QHBoxLayout;
  topo->addWidget(icone, 0, Qt::AlignTop);
  topo->addSpacing(12);
  topo->addWidget(area, 1);

  auto* baixo = new QHBoxLayout;
  if (box.exibirNaoExibirMais) {
    naoExibirMais_ = makeCheckBox(q(kNaoExibirMais), this);
    connect(naoExibirMais_, &QCheckBox::toggled, this, [this](bool marcada) {
      if (memoria_) memoria_->updateTip(box_.tipId, !marcada);
    });
    baixo->addWidget(naoExibirMais_);
  }
  baixo->addStretch(1);
  for (const auto& b : box.botoes) {
    QPushButton* pb = makeButton(q(b.caption), this);
    pb->setMinimumWidth(96);
    const int resultado = b.resultado;
    connect(pb, &QPushButton::clicked, this, [this, resultado] { done(resultado); });
    baixo->addWidget(pb);
    botoes_.push_back(pb);
  }
  auto* tudo = new QVBoxLayout(this);
  tudo->addLayout(topo, 1);
  tudo->addLayout(baixo);

  resize(MessageBox::kLarguraPadrao, box.altura > 0 ? box.altura : MessageBox::kAlturaPadrao);
  WindowPlacement::centreOnScreen(this);
  if (!botoes_.empty()) botoes_.front()->setFocus();
  if (box.tempoSeg > 0) {
    auto* tempo = new QTimer(this);
    tempo->setSingleShot(true);
    connect(tempo, &QTimer::timeout, this, [this] { done(box_.resultadoAutoFechar()); });
    tempo->start(box.tempoSeg * 1000);
  }
}

int TfrmMsg::executar() {
  return exec();
}

void TfrmMsg::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!erguida_) {
    // Once on screen: to the top layer and to the front.
    erguida_ = true;
    raise();
    activateWindow();
  }
}

void TfrmMsg::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Escape:
      done(box_.resultadoEsc());
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (auto r = box_.resultadoEnter()) {
        done(*r);
      } else {
        for (QPushButton* b : botoes_)
          if (b->hasFocus()) b->click();
      }
      return;
    default:
      QDialog::keyPressEvent(e);
  }
}

void TfrmMsg::reject() {
  done(box_.resultadoEsc());
}

}  // namespace quorvel::ui
