#include "ui/pages/names_page.h"

#include <QBoxLayout>
#include <QPushButton>
#include <QRadioButton>

#include "lists/name_identification.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

NamesPage::NamesPage(ListEditor& editor, QWidget* parent)
    : EditorPage(editor, QStringLiteral("Nomes"), parent) {
  corpo()->addWidget(
      titulo(QStringLiteral("Identificar nomes dos contatos a partir dos e-mails"), this));
  corpo()->addWidget(rotulo(
      QStringLiteral(
          "Alguns estudos indicam que mensagens personalizadas têm até 80% mais engajamento"),
      this, true));
  const QString selecione =
      QStringLiteral("Selecione a seguir a coluna de sua lista que contém os e-mails:");
  corpo()->addWidget(rotulo(selecione, this));
  colunas_ = new ColumnList(this, selecione);
  corpo()->addWidget(colunas_, 1);
  corpo()->addWidget(
      rotulo(QStringLiteral("Se o nome não puder ser identificado, fazer o seguinte:"), this));
  emBranco_ = new QRadioButton(QStringLiteral("Deixar em branco"), this);
  emBranco_->setAccessibleName(emBranco_->text());
  emBranco_->setChecked(true);
  amigavel_ = new QRadioButton(QStringLiteral("Usar formato amigável baseado no prefixo do email. "
                                              "Ex: contato.loja@empresa.com.br → @contato.loja"),
                               this);
  amigavel_->setAccessibleName(
      QStringLiteral("Usar formato amigável baseado no prefixo do email."));
  corpo()->addWidget(emBranco_);
  corpo()->addWidget(amigavel_);
  QPushButton* aplicar = rodape(QStringLiteral("Aplicar"));
  connect(aplicar, &QPushButton::clicked, this, acao([this] {
            const int coluna = colunas_->escolhida();
            identificarNomes(editor_, coluna, amigavel_->isChecked());
            if (coluna >= 0 && voltar) voltar();
          }));
}

void NamesPage::abrir() {
  colunas_->preencher(*editor_.gGrid, 0);
  emBranco_->setChecked(true);
}

}  // namespace quorvel::ui
