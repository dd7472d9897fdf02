#include "ui/tfrm_main.h"

#include <algorithm>

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

TfrmMain::TfrmMain(LauncherWindow& launcher) : QWidget(nullptr, Qt::Window), l_(launcher) {
  setObjectName(QStringLiteral("TfrmMain"));
  setWindowTitle(q(l_.caption));
  setWindowIcon(QIcon(QStringLiteral(":/quorvel.png")));
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(24, 20, 24, 20);
  auto* topo = new QHBoxLayout;
  auto* logo = new QLabel(this);
  logo->setPixmap(QPixmap(QStringLiteral(":/quorvel.png"))
                      .scaled(88, 88, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  topo->addWidget(logo);
  auto* textos = new QVBoxLayout;
  textos->addWidget(makeTitle(QStringLiteral("Quorvel"), this));
  textos->addWidget(makeLabel(q(l_.splash.slogan), this));
  textos->addWidget(makeLabel(q(l_.splash.versao), this));
  topo->addLayout(textos, 1);
  lay->addLayout(topo);

  // A newer build: the whole panel is the button that offers it.
  novaVersao_ = makeButton(q(kPainelNovaVersao), this);
  novaVersao_->setCursor(Qt::PointingHandCursor);
  novaVersao_->setStyleSheet(
      QStringLiteral("QPushButton { background: #fff4cc; border: 1px solid #f5b51b; padding: 8px;"
                     " text-align: left; font-weight: bold; }"
                     "QPushButton:hover { background: #ffe9a3; }"));
  novaVersao_->hide();
  lay->addWidget(novaVersao_);

  apresentacao_ = makeLabel(
      QStringLiteral("Carregue, limpe e valide suas listas de contatos antes de cada campanha: "
                     "e-mails repetidos, erros de sintaxe, armadilhas, domínios sem servidor de "
                     "e-mail e endereços que já retornaram ficam de fora."),
      this, true);
  apresentacao_->setStyleSheet(QStringLiteral("padding: 12px 0;"));
  lay->addWidget(apresentacao_, 1, Qt::AlignTop);
  // The service's release notes, in place of the text above when there are any; their links open
  // in the web browser.
  notas_ = new QTextBrowser(this);
  notas_->setAccessibleName(QStringLiteral("Notas da versão"));
  notas_->setOpenLinks(false);
  notas_->hide();
  lay->addWidget(notas_, 1);

  auto* botoes = new QHBoxLayout;
  abrir_ = makeButton(QStringLiteral("Abrir o quorvel"), this);
  abrir_->setMinimumHeight(40);
  abrir_->setDefault(true);
  QFont f = abrir_->font();
  f.setBold(true);
  abrir_->setFont(f);
  tutoriais_ = makeButton(QStringLiteral("Tutoriais"), this);
  sair_ = makeButton(QStringLiteral("Sair"), this);
  botoes->addWidget(abrir_, 1);
  botoes->addWidget(tutoriais_);
  botoes->addWidget(sair_);
  lay->addLayout(botoes);
  resize(620, 330);

  connect(abrir_, &QPushButton::clicked, this, guarded([this] { l_.abrirQuorvel(); }));
  connect(tutoriais_, &QPushButton::clicked, this, guarded([this] { l_.tutoriais(); }));
  connect(sair_, &QPushButton::clicked, this, guarded([this] { l_.sair(); }));
  connect(novaVersao_, &QPushButton::clicked, this,
          guarded([this] { l_.painelNovaVersaoClicado(); }));
  connect(notas_, &QTextBrowser::anchorClicked, this,
          guarded([this](const QUrl& url) { l_.abrirEndereco(u(url.toString())); }));
  sub_ = l_.notices.listen([this](const LauncherNotice& n) { refresh(n.kind); });
}

void TfrmMain::refresh(LauncherNotice::Kind k) {
  if (k == LauncherNotice::Kind::principalAberta) {
    emit principalAberta();
    return;
  }
  if (k == LauncherNotice::Kind::encerrar) {
    emit encerrar();
    return;
  }
  if (l_.tamanhoFonteMenu > 0) {
    QFont f = font();
    f.setPointSize(l_.tamanhoFonteMenu);
    for (QPushButton* b : {abrir_, tutoriais_, sair_}) {
      QFont bf = b->font();
      bf.setPointSize(l_.tamanhoFonteMenu);
      b->setFont(bf);
    }
  }
  novaVersao_->setVisible(l_.painelNovaVersaoVisivel);
  const QString notas = q(l_.notasVersao);
  if (notasMostradas_ != notas && !notas.isEmpty()) {
    notasMostradas_ = notas;
    notas_->setHtml(notas);
    resize(width(), std::max(height(), 460));
  }
  notas_->setVisible(!notas.isEmpty());
  apresentacao_->setVisible(notas.isEmpty());
  if (l_.visivel && !isVisible())
    show();
  else if (!l_.visivel && isVisible())
    hide();
}

void TfrmMain::closeEvent(QCloseEvent* e) {
  // The title bar's close button is "Sair".
  e->ignore();
  runGuarded([this] { l_.sair(); });
}

}  // namespace quorvel::ui
