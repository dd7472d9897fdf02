#include "ui/tfrm_splash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/widgets.h"

namespace quorvel::ui {

TfrmSplash::TfrmSplash(LauncherWindow& launcher)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      l_(launcher) {
  setObjectName(QStringLiteral("TfrmSplash"));
  setStyleSheet(QStringLiteral("#TfrmSplash { background: #1f4e8c; } QLabel { color: white; }"));
  setAttribute(Qt::WA_StyledBackground);
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(28, 24, 28, 20);
  auto* logo = new QLabel(this);
  logo->setPixmap(QPixmap(QStringLiteral(":/quorvel.png"))
                      .scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  lay->addWidget(logo, 0, Qt::AlignHCenter);
  QLabel* nome = makeTitle(QStringLiteral("Quorvel"), this);
  lay->addWidget(nome, 0, Qt::AlignHCenter);
  lay->addWidget(makeLabel(q(l_.splash.slogan), this), 0, Qt::AlignHCenter);
  lay->addWidget(makeLabel(q(l_.splash.desde), this), 0, Qt::AlignHCenter);
  lay->addStretch(1);
  lay->addWidget(makeLabel(q(l_.splash.versao), this), 0, Qt::AlignHCenter);
  status_ = makeLabel({}, this);
  lay->addWidget(status_, 0, Qt::AlignHCenter);
  resize(460, 300);
  if (QScreen* tela = QGuiApplication::primaryScreen()) {
    QRect r = geometry();
    r.moveCenter(tela->availableGeometry().center());
    move(r.topLeft());
  }
  sub_ = l_.notices.listen([this](const LauncherNotice&) { refresh(); });
  refresh();
}

void TfrmSplash::refresh() {
  status_->setText(q(l_.splash.status));
  if (l_.splash.visivel && !isVisible()) {
    show();
    raise();
  } else if (!l_.splash.visivel && isVisible()) {
    hide();
  }
}

}  // namespace quorvel::ui
