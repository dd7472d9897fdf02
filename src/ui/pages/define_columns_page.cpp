#include "ui/pages/define_columns_page.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>

#include "lists/column_operations.h"
#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

DefineColumnsPage::DefineColumnsPage(ListEditor& editor, QWidget* parent)
    : EditorPage(editor, QStringLiteral("Definir colunas"), parent) {
  corpo()->addWidget(makeTitle(QStringLiteral("Definir colunas"), this));
  tabela_ = new QTableWidget(0, 2, this);
  tabela_->setHorizontalHeaderLabels({QStringLiteral("Exemplo"), QStringLiteral("Nome do campo")});
  tabela_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  tabela_->verticalHeader()->hide();
  tabela_->setAccessibleName(QStringLiteral("Definir colunas"));
  tabela_->installEventFilter(this);
  corpo()->addWidget(tabela_, 1);
  QPushButton* salvar = rodape(QStringLiteral("Salvar"));
  connect(salvar, &QPushButton::clicked, this, guarded([this] {
            std::vector<std::string> nomes;
            for (int r = 0; r < tabela_->rowCount(); ++r)
              nomes.push_back(u(tabela_->item(r, 1)->text()));
            setColunas(editor_, nomes);
            if (voltar) voltar();
          }));
}

void DefineColumnsPage::abrir() {
  const auto linhas = showColunas(*editor_.gGrid);
  tabela_->setRowCount(static_cast<int>(linhas.size()));
  for (int r = 0; r < static_cast<int>(linhas.size()); ++r) {
    auto* exemplo = new QTableWidgetItem(q(linhas[r].exemplo));
    exemplo->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    tabela_->setItem(r, 0, exemplo);
    tabela_->setItem(r, 1, new QTableWidgetItem(q(linhas[r].nomeCampo)));
  }
  if (!linhas.empty()) tabela_->setCurrentCell(0, 1);
}

bool DefineColumnsPage::eventFilter(QObject* o, QEvent* e) {
  // Enter moves down one row.
  if (o == tabela_ && e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
      tabela_->setCurrentCell(std::min(tabela_->currentRow() + 1, tabela_->rowCount() - 1), 1);
      return true;
    }
  }
  return EditorPage::eventFilter(o, e);
}

}  // namespace quorvel::ui
