#include "ui/item_chooser_dialog.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/widgets.h"

namespace quorvel::ui {

ItemChooserDialog::ItemChooserDialog(const std::string& tituloTexto, const std::string& rotuloTexto,
                                     const std::vector<std::string>& itens)
    : QDialog(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("ItemChooserDialog"));
  setWindowTitle(q(tituloTexto));
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(makeLabel(q(rotuloTexto), this, true));
  lista_ = new QListWidget(this);
  lista_->setAccessibleName(q(rotuloTexto));
  for (const auto& i : itens) lista_->addItem(q(i));
  if (!itens.empty()) lista_->setCurrentRow(0);
  lay->addWidget(lista_, 1);
  lay->addLayout(makeOkCancelRow(this));
  connect(lista_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  resize(380, 320);
}

std::optional<int> ItemChooserDialog::escolher() {
  if (exec() != QDialog::Accepted || lista_->currentRow() < 0) return std::nullopt;
  return lista_->currentRow();
}

}  // namespace quorvel::ui
