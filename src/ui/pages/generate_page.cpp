#include "ui/pages/generate_page.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "common/text.h"
#include "lists/name_identification.h"
#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

GeneratePage::GeneratePage(ListEditor& editor, QWidget* parent)
    : EditorPage(editor, QStringLiteral("Gerar email"), parent) {
  corpo()->addWidget(makeTitle(QStringLiteral("Gerador de e-mails por domínio"), this));
  corpo()->addWidget(makeLabel(
      QStringLiteral("Muitas empresas mantêm endereços com prefixos comuns, como contato@, "
                     "suporte@ e atendimento@. Este utilitário acrescenta à lista esses endereços "
                     "para cada domínio encontrado na coluna escolhida."),
      this, true));
  const QString selecione = QStringLiteral("Selecione a coluna que contém os e-mails: ");
  corpo()->addWidget(makeLabel(selecione, this));
  colunas_ = new ColumnList(this, selecione.trimmed());
  corpo()->addWidget(colunas_, 1);
  const QString defina =
      QStringLiteral("Defina os prefixos que você quer gerar para cada domínio:");
  corpo()->addWidget(makeLabel(defina, this));
  prefixos_ = new QPlainTextEdit(QStringLiteral("contato\nsuporte\natendimento"), this);
  prefixos_->setAccessibleName(defina);
  prefixos_->setMaximumHeight(110);
  corpo()->addWidget(prefixos_);
  padrao_ = makeCheckBox(
      QStringLiteral("Também gerar e-mail no formato padrão: ex: empresa@empresa.com.br"), this,
      true);
  padrao_->setAccessibleName(QStringLiteral("Também gerar e-mail no formato padrão: ex: "));
  corpo()->addWidget(padrao_);
  QPushButton* gerar = rodape(QStringLiteral("Gerar e-mails"));
  connect(gerar, &QPushButton::clicked, this, guarded([this] {
            const int coluna = colunas_->escolhida();
            gerarEmailPadrao(editor_, coluna, trim(u(prefixos_->toPlainText())),
                             padrao_->isChecked());
            if (coluna >= 0 && voltar) voltar();
          }));
}

void GeneratePage::abrir() {
  colunas_->preencher(*editor_.gGrid, 0);
}

}  // namespace quorvel::ui
