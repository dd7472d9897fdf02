#include "ui/pages/exclusion_page.h"

#include <QBoxLayout>
#include <QPushButton>

#include "lists/list_cleaning.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

ExclusionPage::ExclusionPage(ListEditor& editor, QWidget* parent)
    : EditorPage(editor, QStringLiteral("Excluir avançado"), parent) {
  corpo()->addWidget(makeTitle(QStringLiteral("Usar lista de exclusão"), this));
  corpo()->addWidget(makeLabel(
      QStringLiteral("Elimine das sua lista os e-mails que estiverem contidos em outros arquivos. "
                     "Comece selecionando uma coluna de e-mails e em seguida clique em "
                     "\"Selecionar arquivos...\""),
      this, true));
  colunas_ = new ColumnList(this, QStringLiteral("Colunas"));
  corpo()->addWidget(colunas_, 1);
  corpo()->addWidget(makeLabel(
      QStringLiteral("Nota: O uso mais comum de listas de exclusão é para eliminar da lista atual "
                     "que está aberta os e-mails que estão contidos em um outro arquivo que "
                     "contenha e-mails que você trabalhou recentemente ou em uma mesma campanha "
                     "há pouco tempo, e não queira enviar novamente uma mensagem para essas "
                     "pessoas"),
      this, true));
  QPushButton* selecionar = rodape(QStringLiteral("Selecionar arquivos..."));
  connect(selecionar, &QPushButton::clicked, this, guarded([this] {
            const int coluna = colunas_->escolhida();
            exclusaoAvancada(editor_, coluna);
            if (coluna >= 0 && voltar) voltar();
          }));
}

void ExclusionPage::abrir() {
  colunas_->preencher(*editor_.gGrid, 0);
}

}  // namespace quorvel::ui
