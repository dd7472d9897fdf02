#include "ui/pages/repeated_page.h"

#include <QBoxLayout>
#include <QPushButton>

#include "lists/list_cleaning.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

RepeatedPage::RepeatedPage(ListEditor& editor, QWidget* parent)
    : EditorPage(editor, QStringLiteral("Eliminar repetidos"), parent) {
  corpo()->addWidget(makeTitle(QStringLiteral("Excluir repetidos"), this));
  const QString pergunta =
      QStringLiteral("Qual coluna servirá como base para a eliminação de registros repetidos?");
  corpo()->addWidget(makeLabel(pergunta, this, true));
  colunas_ = new ColumnList(this, pergunta);
  corpo()->addWidget(colunas_, 1);
  QPushButton* aplicar = rodape(QStringLiteral("Aplicar"));
  connect(aplicar, &QPushButton::clicked, this, guarded([this] {
            if (aplicarEliminarRepetidos(editor_, colunas_->escolhida()) && voltar) voltar();
          }));
}

void RepeatedPage::abrir() {
  colunas_->preencher(*editor_.gGrid, colunaInicialEliminarRepetidos(editor_));
}

}  // namespace quorvel::ui
