#include "ui/pages/editor_page.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/widgets.h"

namespace quorvel::ui {

EditorPage::EditorPage(ListEditor& editor, const QString& nome, QWidget* parent)
    : QWidget(parent), editor_(editor) {
  setObjectName(nome);
  setAccessibleName(nome);
  corpo_ = new QVBoxLayout(this);
  corpo_->setContentsMargins(16, 12, 16, 12);
  corpo_->setSpacing(8);
}

QPushButton* EditorPage::rodape(const QString& acao) {
  auto* linha = new QHBoxLayout;
  QPushButton* voltarBtn = makeButton(QStringLiteral("Voltar"), this);
  connect(voltarBtn, &QPushButton::clicked, this, [this] {
    if (voltar) voltar();
  });
  linha->addWidget(voltarBtn);
  linha->addStretch(1);
  QPushButton* principal = nullptr;
  if (!acao.isEmpty()) {
    principal = makeButton(acao, this);
    principal->setMinimumWidth(140);
    linha->addWidget(principal);
  }
  corpo_->addLayout(linha);
  return principal;
}

ColumnList::ColumnList(QWidget* parent, const QString& nome) : QListWidget(parent) {
  setAccessibleName(nome);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

void ColumnList::preencher(const TextGrid& grid, int escolhida) {
  clear();
  for (const auto& l : preencherListaColunas(grid)) addItem(q(l));
  setCurrentRow(escolhida);
  if (escolhida < 0) clearSelection();
}

}  // namespace quorvel::ui
