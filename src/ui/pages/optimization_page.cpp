#include "ui/pages/optimization_page.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "lists/list_cleaning.h"
#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

OptimizationPage::OptimizationPage(ListEditor& editor, QWidget* parent)
    : EditorPage(editor, QStringLiteral("Otimização seletiva"), parent) {
  corpo()->addWidget(makeTitle(QStringLiteral("Otimização seletiva de e-mails"), this));
  corpo()->addWidget(makeLabel(
      QStringLiteral("Enxugue sua lista de destinatários e maximize os resultados de suas "
                     "campanhas:"),
      this, true));
  auto* linha = new QHBoxLayout;
  linha->addWidget(makeLabel(QStringLiteral("Deixar no máximo"), this));
  quantidade_ = new QLineEdit(QStringLiteral("5"), this);
  quantidade_->setAccessibleName(QStringLiteral("Deixar no máximo"));
  quantidade_->setMaximumWidth(70);
  linha->addWidget(quantidade_);
  linha->addWidget(makeLabel(QStringLiteral("e-mails de cada domínio"), this));
  linha->addStretch(1);
  corpo()->addLayout(linha);
  const QString priorizar = QStringLiteral(
      "Priorizar deixar na lista e-mails que tenham os seguintes termos: (ex: contato@, sac@)");
  corpo()->addWidget(makeLabel(priorizar, this, true));
  prioridades_ = new QPlainTextEdit(QStringLiteral("contato@"), this);
  prioridades_->setAccessibleName(priorizar);
  corpo()->addWidget(prioridades_, 1);
  ignorar_ =
      makeCheckBox(QStringLiteral("Ignorar e-mails dos principais provedores gratuitos (Gmail. "
                                  "Yahoo, Hotmail etc.)"),
                   this, true);
  corpo()->addWidget(ignorar_);
  QPushButton* executar = rodape(QStringLiteral("Executar otimização seletiva"));
  connect(executar, &QPushButton::clicked, this, guarded([this] {
            if (voltar) voltar();
            exclusaoSeletiva(editor_, u(quantidade_->text()), u(prioridades_->toPlainText()),
                             ignorar_->isChecked());
          }));
}

}  // namespace quorvel::ui
