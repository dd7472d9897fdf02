#include "ui/tfrm_definicoes.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

TfrmDefinicoes::TfrmDefinicoes(DefinitionsWindow& definicoes)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), d_(definicoes) {
  setObjectName(QStringLiteral("TfrmDefinicoes"));
  setWindowTitle(QStringLiteral("Definições de checagem"));
  setWindowIcon(QIcon(QStringLiteral(":/quorvel.png")));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* lay = new QVBoxLayout(this);
  titulo_ = makeTitle({}, this);
  lay->addWidget(titulo_);
  auto* grade = new QGridLayout;
  grade->setHorizontalSpacing(12);
  grade->setColumnMinimumWidth(0, 24);
  grade->setColumnMinimumWidth(2, 110);
  int link = 0;
  for (size_t i = 0; i < kDefinicoes; ++i) {
    const int linha = static_cast<int>(i);
    icones_[i] = new QLabel(this);
    icones_[i]->setFixedSize(20, 20);
    grade->addWidget(icones_[i], linha, 0);
    QLabel* nome = makeLabel(q(d_.linhas[i].rotulo), this);
    grade->addWidget(nome, linha, 1);
    itens_[i] = makeLabel({}, this);
    grade->addWidget(itens_[i], linha, 2);
    // "Definições de 10/12/2026": the service has a newer one.
    indicadores_[i] = makeLabel({}, this);
    indicadores_[i]->setStyleSheet(QStringLiteral("color: #b35900; font-weight: bold;"));
    indicadores_[i]->hide();
    // The indicator and, on the shared bases' rows, the link share the last column: a user who
    // does not share rarely sees both at once, and the window stays narrow.
    auto* fim = new QHBoxLayout;
    fim->setSpacing(12);
    fim->addWidget(indicadores_[i]);
    const auto def = static_cast<Definicao>(i);
    if (def == Definicao::mxValidos || def == Definicao::mxInvalidos ||
        def == Definicao::emailsInvalidos) {
      QPushButton* b = makeLinkButton(QStringLiteral("(sem colaboração) - alterar"), this);
      connect(b, &QPushButton::clicked, this,
              guarded([this] { d_.windows->open(WindowId::collaboration); }));
      fim->addWidget(b);
      links_[link++] = b;
    }
    fim->addStretch(1);
    grade->addLayout(fim, linha, 3);
    // The row's widgets hide together when the row is hidden (the custom rules).
    for (QWidget* w : {static_cast<QWidget*>(icones_[i]), static_cast<QWidget*>(nome),
                       static_cast<QWidget*>(itens_[i])})
      w->setVisible(d_.linhas[i].visivel);
  }
  grade->setColumnStretch(3, 1);
  lay->addLayout(grade);
  lay->addStretch(1);
  // The service is not configured or could not be asked: one line, and the program goes on.
  aviso_ = makeLabel({}, this, true);
  aviso_->setStyleSheet(QStringLiteral("color: #5c5c5c;"));
  aviso_->hide();
  lay->addWidget(aviso_);
  buildBottomPanel(lay);
  auto* baixo = new QHBoxLayout;
  baixo->addWidget(makeLabel(QStringLiteral("Pressione ESC para fechar"), this));
  baixo->addStretch(1);
  forcar_ = makeButton(QStringLiteral("Forçar atualização"), this);
  fechar_ = makeButton(QStringLiteral("Fechar"), this);
  baixo->addWidget(forcar_);
  baixo->addWidget(fechar_);
  lay->addLayout(baixo);
  connect(forcar_, &QPushButton::clicked, this, guarded([this] { d_.forcarAtualizacao(); }));
  connect(fechar_, &QPushButton::clicked, this, guarded([this] { d_.fechar(); }));
  connect(atualizar_, &QPushButton::clicked, this, guarded([this] { d_.btnAtualizarClick(); }));

  resize(620, 440);
  sub_ = d_.notices.listen([this](const DefinitionsNotice&) { refresh(); });
  refresh();
}

void TfrmDefinicoes::buildBottomPanel(QVBoxLayout* lay) {
  painel_ = new QFrame(this);
  painel_->setFrameShape(QFrame::StyledPanel);
  auto* p = new QVBoxLayout(painel_);
  auto* topo = new QHBoxLayout;
  topo->addWidget(makeLabel(q(kPainelAtualizar), painel_, true), 1);
  atualizar_ = makeButton(QStringLiteral("Atualizar definições"), painel_);
  atualizar_->setMinimumHeight(32);
  topo->addWidget(atualizar_);
  p->addLayout(topo);
  atualizando_ = makeLabel({}, painel_);
  p->addWidget(atualizando_);
  // The transfer's bar (bytes) with the size label, then the merge's bar (lines).
  auto* download = new QHBoxLayout;
  barraDownload_ = new QProgressBar(painel_);
  barraDownload_->setAccessibleName(QStringLiteral("Progresso do download"));
  barraDownload_->setTextVisible(false);
  download->addWidget(barraDownload_, 1);
  tamanho_ = makeLabel({}, painel_);
  tamanho_->setMinimumWidth(90);
  tamanho_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  download->addWidget(tamanho_);
  p->addLayout(download);
  barraLinhas_ = new QProgressBar(painel_);
  barraLinhas_->setAccessibleName(QStringLiteral("Progresso da atualização"));
  barraLinhas_->setTextVisible(false);
  p->addWidget(barraLinhas_);
  painel_->hide();
  lay->addWidget(painel_);
}

void TfrmDefinicoes::refresh() {
  titulo_->setText(q(d_.titulo));
  for (size_t i = 0; i < kDefinicoes; ++i) {
    const LinhaDefinicao& l = d_.linhas[i];
    switch (l.icone) {
      case IconeDefinicao::nenhum:
        icones_[i]->clear();
        break;
      case IconeDefinicao::carregando:
        icones_[i]->setPixmap(style()->standardIcon(QStyle::SP_BrowserReload).pixmap(18, 18));
        break;
      case IconeDefinicao::pronto:
        icones_[i]->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(18, 18));
        break;
    }
    itens_[i]->setText(q(l.itens));
    indicadores_[i]->setText(q(l.indicador));
    indicadores_[i]->setVisible(l.visivel && !l.indicador.empty());
  }
  aviso_->setText(q(d_.avisoServico));
  aviso_->setVisible(!d_.avisoServico.empty());
  painel_->setVisible(d_.painelVisivel);
  atualizar_->setEnabled(d_.btnAtualizarHabilitado);
  atualizando_->setText(q(d_.lbAtualizando));
  tamanho_->setText(q(d_.lbTamanho));
  showProgress(barraDownload_, d_.barraDownloadMax, d_.barraDownloadPos);
  showProgress(barraLinhas_, d_.barraLinhasMax, d_.barraLinhasPos);
  for (QPushButton* b : links_) {
    b->setVisible(d_.linksSemColaboracaoVisiveis);
    b->setEnabled(d_.windows->available(WindowId::collaboration));
  }
  forcar_->setEnabled(d_.btnForcarHabilitado);
  if (!d_.visivel) {
    sub_.cancel();
    close();
  }
}

void TfrmDefinicoes::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    runGuarded([this] { d_.fechar(); });
    return;
  }
  QWidget::keyPressEvent(e);
}

void TfrmDefinicoes::closeEvent(QCloseEvent* e) {
  // Closed from the title bar: the definitions close too.
  if (d_.visivel) runGuarded([this] { d_.fechar(); });
  QWidget::closeEvent(e);
}

}  // namespace quorvel::ui
