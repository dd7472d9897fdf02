#include "ui/pages/extractor_page.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "lists/list_loading.h"
#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

ExtractorPage::ExtractorPage(ListEditor& editor, QWidget* parent)
    : EditorPage(editor, QStringLiteral("Extrator"), parent) {
  corpo()->addWidget(makeTitle(QStringLiteral("Extrator de e-mails"), this));
  corpo()->addWidget(makeLabel(
      QStringLiteral("Desde que você consiga copiar os dados brutos, basta colar aqui para que "
                     "este utilitário faça uma extração dos e-mails. Você pode copiar dados da "
                     "web, PDF, Excel, Word etc."),
      this, true));
  const QString cole =
      QStringLiteral("Cole no campo abaixo o texto de onde os e-mails serão extraídos:");
  corpo()->addWidget(makeLabel(cole, this));
  texto_ = new QPlainTextEdit(this);
  texto_->setAccessibleName(cole);
  corpo()->addWidget(texto_, 1);
  auto* linha = new QHBoxLayout;
  bruto_ = makeCheckBox(QStringLiteral("Usar extrator bruto (só e-mails)"), this);
  linha->addWidget(bruto_);
  linha->addStretch(1);
  auto* limpar = new QLabel(QStringLiteral("<a href=\"#\">Limpar dados</a>"), this);
  limpar->setAccessibleName(QStringLiteral("Limpar dados"));
  limpar->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(limpar, &QLabel::linkActivated, this, [this] { texto_->clear(); });
  linha->addWidget(limpar);
  corpo()->addLayout(linha);
  QPushButton* rodar = rodape(QStringLiteral("Rodar o extrator"));
  connect(rodar, &QPushButton::clicked, this, guarded([this] {
            if (!extrairEmails(editor_, u(texto_->toPlainText()), bruto_->isChecked())) return;
            texto_->clear();
            if (voltar) voltar();
          }));
}

}  // namespace quorvel::ui
