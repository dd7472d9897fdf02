#include "ui/tfrm_salvar_file.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "lists/list_saving.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"

namespace quorvel::ui {

TfrmSalvarFile::TfrmSalvarFile()
    : QDialog(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("TfrmSalvarFile"));
  setWindowTitle(QStringLiteral("Salvar..."));
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(titulo(QStringLiteral("Salvar arquivo..."), this));
  pasta_ = new QLineEdit(this);
  pasta_->setReadOnly(true);
  pasta_->setAccessibleName(QStringLiteral("Pasta"));
  lay->addWidget(pasta_);
  lay->addWidget(rotulo(QStringLiteral("Salvar com o seguinte nome:"), this));
  nome_ = new QLineEdit(this);
  nome_->setAccessibleName(QStringLiteral("Salvar com o seguinte nome:"));
  lay->addWidget(nome_);
  rotuloSeparador_ = rotulo(QStringLiteral("Separador dos campos:"), this);
  lay->addWidget(rotuloSeparador_);
  std::vector<std::string> separadores;
  for (const SeparatorChoice& s : kSeparadores) separadores.emplace_back(s.nome);
  separador_ = listaTextos(QStringLiteral("Separador dos campos:"), separadores, this);
  lay->addWidget(separador_);
  auto* botoes = new QHBoxLayout;
  outroLocal_ = botao(QStringLiteral("Prefiro salvar em outro local..."), this);
  botoes->addWidget(outroLocal_);
  botoes->addStretch(1);
  QPushButton* ok = botao(QStringLiteral("&Ok"), this);
  QPushButton* cancelar = botao(QStringLiteral("&Cancelar"), this);
  ok->setDefault(true);
  botoes->addWidget(ok);
  botoes->addWidget(cancelar);
  lay->addLayout(botoes);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelar, &QPushButton::clicked, this, &QDialog::reject);
  connect(nome_, &QLineEdit::returnPressed, this, &QDialog::accept);
  connect(outroLocal_, &QPushButton::clicked, this, [this] { escolherOutroLocal(); });
  rotuloSeparador_->hide();
  separador_->hide();
  resize(sizeHint().expandedTo(QSize(560, 0)));
}

void TfrmSalvarFile::escolherOutroLocal() {
  QFileDialog dialogo(this, QStringLiteral("Salvar..."), pasta_->text(),
                      QStringLiteral("*.txt (*.txt)"));
  dialogo.setObjectName(QStringLiteral("OutroLocal"));
  dialogo.setAcceptMode(QFileDialog::AcceptSave);
  dialogo.setDefaultSuffix(QStringLiteral("txt"));
  dialogo.setOption(QFileDialog::DontUseNativeDialog);
  if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) return;
  // The window stays open with the chosen folder and name.
  SaveFields campos = initialSaveFields(u(pasta_->text()), u(dialogo.selectedFiles().front()));
  pasta_->setText(q(campos.pasta));
  nome_->setText(q(campos.nome));
}

std::string TfrmSalvarFile::getFileSave(const std::string& pastaPadrao, const std::string& filePath,
                                        const std::string& extension, char& separador) {
  int indice = 0;
  for (size_t i = 0; i < std::size(kSeparadores); ++i)
    if (kSeparadores[i].separador == separador) indice = static_cast<int>(i);
  separador_->setCurrentIndex(indice);
  rotuloSeparador_->show();
  separador_->show();
  std::string r = getFileSave(pastaPadrao, filePath, extension);
  rotuloSeparador_->hide();
  separador_->hide();
  if (!r.empty())
    separador = kSeparadores[static_cast<size_t>(separador_->currentIndex())].separador;
  return r;
}

std::string TfrmSalvarFile::getFileSave(const std::string& pastaPadrao, const std::string& filePath,
                                        const std::string& extension) {
  SaveFields campos = initialSaveFields(pastaPadrao, filePath);
  pasta_->setText(q(campos.pasta));
  nome_->setText(q(campos.nome));
  nome_->setFocus();
  const bool aceito = exec() == QDialog::Accepted;
  return saveResult(aceito, u(pasta_->text()), u(nome_->text()), extension);
}

}  // namespace quorvel::ui
