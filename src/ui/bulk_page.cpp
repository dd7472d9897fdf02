#include "ui/bulk_page.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/message_box.h"
#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

BulkPage::BulkPage(BulkValidation& grandes, QWidget* parent) : QWidget(parent), grandes_(grandes) {
  setObjectName(QStringLiteral("Grandes"));
  auto* lay = new QVBoxLayout(this);
  auto* cabecalho = new QHBoxLayout;
  cabecalho->addWidget(titulo(q(kTituloGrandes), this));
  QToolButton* ajuda = botaoIcone(QStyle::SP_MessageBoxQuestion,
                                  QStringLiteral("Ajuda: Validação de listas gigantes"), this);
  connect(ajuda, &QToolButton::clicked, this, acao([this] { grandes_.mostrarAjuda(); }));
  cabecalho->addWidget(ajuda);
  cabecalho->addStretch(1);
  lay->addLayout(cabecalho);
  lay->addWidget(rotulo(q(kSubtituloGrandes), this, true));
  lay->addWidget(rotulo(q(kInstrucaoGrandes), this, true));
  arquivos_ = new QTreeWidget(this);
  arquivos_->setRootIsDecorated(false);
  arquivos_->setHeaderLabels({q(kColunaArquivo), q(kColunaInformacoes)});
  arquivos_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  arquivos_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  arquivos_->setAccessibleName(q(kColunaArquivo));
  lay->addWidget(arquivos_, 1);
  aviso_ = rotulo({}, this, true);
  aviso_->setStyleSheet(QStringLiteral("color: #9c2a00;"));
  aviso_->hide();
  lay->addWidget(aviso_);
  auto* botoes = new QHBoxLayout;
  QPushButton* abrir = botao(QStringLiteral("Abrir lista"), this);
  QPushButton* excluir = botao(QStringLiteral("Excluir"), this);
  iniciar_ = botao(QStringLiteral("Iniciar a validação dos e-mails"), this);
  botoes->addWidget(abrir);
  botoes->addWidget(excluir);
  botoes->addStretch(1);
  botoes->addWidget(iniciar_);
  lay->addLayout(botoes);

  auto excluirSelecionados = acao([this] {
    std::vector<int> linhas;
    for (QTreeWidgetItem* it : arquivos_->selectedItems())
      linhas.push_back(arquivos_->indexOfTopLevelItem(it));
    grandes_.excluir(linhas);
  });
  connect(abrir, &QPushButton::clicked, this, acao([this] { grandes_.abrirLista(); }));
  connect(excluir, &QPushButton::clicked, this, excluirSelecionados);
  auto* del = new QShortcut(QKeySequence(Qt::Key_Delete), arquivos_);
  del->setContext(Qt::WidgetShortcut);
  connect(del, &QShortcut::activated, this, excluirSelecionados);
  connect(iniciar_, &QPushButton::clicked, this, acao([this] { grandes_.iniciar(); }));
  sub_ = grandes_.notices.listen([this](const BulkNotice& n) {
    if (n.kind == BulkNotice::Kind::page) seguir();
  });
  seguir();
}

void BulkPage::seguir() {
  arquivos_->clear();
  for (const ListedFile& f : grandes_.lstFiles)
    arquivos_->addTopLevelItem(new QTreeWidgetItem({q(f.arquivo), q(f.informacoes)}));
  iniciar_->setEnabled(grandes_.btnIniciarHabilitado);
  aviso_->setText(q(comQuebrasDeLinha(grandes_.aviso())).remove(QLatin1Char('\r')));
  aviso_->setVisible(!grandes_.aviso().empty());
}

}  // namespace quorvel::ui
