#include "ui/pages/delete_columns_page.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QPushButton>

#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

DeleteColumnsPage::DeleteColumnsPage(ListEditor& editor, QWidget* parent)
    : EditorPage(editor, QStringLiteral("Eliminar coluna"), parent) {
  corpo()->addWidget(makeTitle(QStringLiteral("Eliminar colunas"), this));
  corpo()->addWidget(makeLabel(QStringLiteral("Marque as colunas que quer eliminar:"), this));
  lista_ = new QListWidget(this);
  lista_->setAccessibleName(QStringLiteral("Marque as colunas que quer eliminar:"));
  corpo()->addWidget(lista_, 1);
  todas_ = makeCheckBox(QStringLiteral("Marcar / desmarcar todas"), this);
  corpo()->addWidget(todas_);
  connect(todas_, &QCheckBox::toggled, this, [this](bool marcar) {
    pagina_.marcarTodas(marcar);
    for (int i = 0; i < lista_->count(); ++i)
      lista_->item(i)->setCheckState(marcar ? Qt::Checked : Qt::Unchecked);
  });
  QPushButton* aplicar = rodape(QStringLiteral("Aplicar"));
  connect(aplicar, &QPushButton::clicked, this, guarded([this] {
            for (int i = 0; i < lista_->count(); ++i)
              pagina_.marcados[i] = lista_->item(i)->checkState() == Qt::Checked;
            aplicarEliminarColunas(editor_, pagina_);
            if (voltar) voltar();
          }));
}

void DeleteColumnsPage::abrir() {
  pagina_ = abrirEliminarColunas(*editor_.gGrid);
  lista_->clear();
  for (const auto& item : pagina_.itens) {
    auto* it = new QListWidgetItem(q(item), lista_);
    it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    it->setCheckState(Qt::Unchecked);
  }
  QSignalBlocker b(todas_);
  todas_->setChecked(false);
}

}  // namespace quorvel::ui
