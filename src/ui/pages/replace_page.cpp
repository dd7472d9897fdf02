#include "ui/pages/replace_page.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

ReplacePage::ReplacePage(ListEditor& editor, QWidget* parent)
    : EditorPage(editor, QStringLiteral("Substituir / alterar"), parent) {
  corpo()->addWidget(makeTitle(QStringLiteral("Substituir / alterar"), this));
  auto* lado = new QHBoxLayout;
  auto* esquerda = new QVBoxLayout;
  const QString selecione = QStringLiteral("Selecione a coluna que será modificada:");
  esquerda->addWidget(makeLabel(selecione, this));
  colunas_ = new ColumnList(this, selecione);
  esquerda->addWidget(colunas_, 1);
  auto* direita = new QVBoxLayout;
  rotuloAcoes_ = makeLabel(QStringLiteral("Defina a ação a ser executada:"), this);
  direita->addWidget(rotuloAcoes_);
  acoes_ = new QListWidget(this);
  acoes_->setAccessibleName(rotuloAcoes_->text());
  for (const auto& a : ReplacePageState::acoes()) acoes_->addItem(q(a));
  acoes_->setMaximumHeight(130);
  direita->addWidget(acoes_);
  rotuloSubstituir_ = makeLabel(QStringLiteral("Substituir o seguinte texto:"), this);
  substituir_ = new QLineEdit(this);
  substituir_->setAccessibleName(rotuloSubstituir_->text());
  rotuloTexto_ = makeLabel({}, this);
  texto_ = new QLineEdit(this);
  direita->addWidget(rotuloSubstituir_);
  direita->addWidget(substituir_);
  direita->addWidget(rotuloTexto_);
  direita->addWidget(texto_);
  direita->addStretch(1);
  lado->addLayout(esquerda, 1);
  lado->addLayout(direita, 1);
  corpo()->addLayout(lado, 1);
  aplicar_ = rodape(QStringLiteral("Aplicar"));
  refresh();

  connect(colunas_, &QListWidget::currentRowChanged, this, [this](int r) {
    estado_.coluna = r;
    refresh();
  });
  connect(acoes_, &QListWidget::currentRowChanged, this, [this](int r) {
    estado_.acao = r;
    refresh();
  });
  // The page stays open after "Aplicar".
  connect(aplicar_, &QPushButton::clicked, this, guarded([this] {
            aplicarAcaoColuna(editor_, estado_.coluna, static_cast<ColumnAction>(estado_.acao),
                              u(texto_->text()), u(substituir_->text()));
            colunas_->preencher(*editor_.gGrid, estado_.coluna);
          }));
}

void ReplacePage::abrir() {
  {
    QSignalBlocker b1(colunas_), b2(acoes_);
    estado_ = {};
    estado_.coluna = indiceInicialSubstituir(*editor_.gGrid);
    colunas_->preencher(*editor_.gGrid, estado_.coluna);
    acoes_->setCurrentRow(-1);
    acoes_->clearSelection();
    texto_->clear();
    substituir_->clear();
  }
  refresh();
}

void ReplacePage::refresh() {
  rotuloAcoes_->setVisible(estado_.acoesVisiveis());
  acoes_->setVisible(estado_.acoesVisiveis());
  rotuloSubstituir_->setVisible(estado_.substituirVisivel());
  substituir_->setVisible(estado_.substituirVisivel());
  rotuloTexto_->setText(q(estado_.rotuloTexto()));
  texto_->setAccessibleName(rotuloTexto_->text());
  rotuloTexto_->setVisible(estado_.textoVisivel());
  texto_->setVisible(estado_.textoVisivel());
  aplicar_->setVisible(estado_.aplicarVisivel());
}

}  // namespace quorvel::ui
