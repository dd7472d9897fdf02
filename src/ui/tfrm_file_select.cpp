#include "ui/tfrm_file_select.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/file_table_model.h"
#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

int FileTableView::caixaSob(QMouseEvent* e) const {
  const QModelIndex i = indexAt(e->position().toPoint());
  if (selecao && selecao->gMultiSelect && i.isValid() && i.column() == 0 &&
      e->position().x() - visualRect(i).left() < 22)
    return i.row();
  return -1;
}

bool FileTableView::marcarCaixa(QMouseEvent* e) {
  const int linha = caixaSob(e);
  if (linha < 0) return false;
  selecao->marcar(linha, !selecao->linhas[linha].marcado);
  e->accept();
  return true;
}

void FileTableView::mousePressEvent(QMouseEvent* e) {
  if (!marcarCaixa(e)) QTableView::mousePressEvent(e);
}

void FileTableView::mouseReleaseEvent(QMouseEvent* e) {
  // The press on a tick box was all of the click.
  if (caixaSob(e) >= 0) {
    e->accept();
    return;
  }
  QTableView::mouseReleaseEvent(e);
}

void FileTableView::mouseDoubleClickEvent(QMouseEvent* e) {
  if (!marcarCaixa(e)) QTableView::mouseDoubleClickEvent(e);
}

void FileTableView::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  viewport()->update();
}

TfrmFileSelect::TfrmFileSelect(FileSelection& sel)
    : QDialog(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      sel_(sel) {
  setObjectName(QStringLiteral("TfrmFileSelect"));
  setWindowTitle(QStringLiteral("Selecionar arquivo"));

  auto* topo = new QHBoxLayout;
  topo->addWidget(titulo(QStringLiteral("Selecione um arquivo:"), this));
  topo->addStretch(1);
  busca_ = new QLineEdit(this);
  busca_->setPlaceholderText(QStringLiteral("Buscar"));
  busca_->setToolTip(QStringLiteral("Buscar"));
  busca_->setAccessibleName(QStringLiteral("Buscar"));
  busca_->setMinimumWidth(220);
  topo->addWidget(busca_);

  auto* pastas = new QHBoxLayout;
  QPushButton* alterar = botao(QStringLiteral("Alterar pasta"), this);
  QPushButton* subir = botao(QStringLiteral("Subir uma pasta"), this);
  caminho_ = new QLineEdit(this);
  caminho_->setAccessibleName(QStringLiteral("Pasta"));
  QPushButton* gerenciador = botao(
      QStringLiteral("Abrir o local dessa pasta selecionada no gerenciador de arquivos"), this);
  extensao_ = new QComboBox(this);
  extensao_->setEditable(true);
  extensao_->setAccessibleName(QStringLiteral("Extensão"));
  for (const auto& e : FileSelection::extensoes()) extensao_->addItem(q(e));
  pastas->addWidget(alterar);
  pastas->addWidget(subir);
  pastas->addWidget(caminho_, 1);
  pastas->addWidget(extensao_);

  modelo_ = new FileTableModel(sel_, this);
  tabela_ = new FileTableView(this);
  tabela_->selecao = &sel_;
  tabela_->setModel(modelo_);
  tabela_->setAccessibleName(QStringLiteral("Arquivos"));
  tabela_->setSelectionBehavior(QAbstractItemView::SelectRows);
  tabela_->setSelectionMode(QAbstractItemView::SingleSelection);
  tabela_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tabela_->verticalHeader()->hide();
  tabela_->horizontalHeader()->setSectionsClickable(true);
  tabela_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  tabela_->setColumnWidth(1, 120);
  tabela_->setColumnWidth(2, 100);
  tabela_->setWordWrap(false);

  auto* baixo = new QHBoxLayout;
  rotuloSelecionado_ = rotulo(QStringLiteral("arquivo selecionado:"), this);
  selecionado_ = new QLineEdit(this);
  selecionado_->setReadOnly(true);
  selecionado_->setAccessibleName(QStringLiteral("arquivo selecionado:"));
  QPushButton* ok = botao(QStringLiteral("OK"), this);
  QPushButton* cancelar = botao(QStringLiteral("Cancelar"), this);
  baixo->addWidget(rotuloSelecionado_);
  baixo->addWidget(selecionado_, 1);
  baixo->addStretch(0);
  baixo->addWidget(ok);
  baixo->addWidget(cancelar);

  auto* lay = new QVBoxLayout(this);
  lay->addLayout(topo);
  lay->addLayout(pastas);
  lay->addWidget(gerenciador, 0, Qt::AlignLeft);
  lay->addWidget(tabela_, 1);
  lay->addLayout(baixo);
  resize(820, 520);

  timerBusca_.setSingleShot(true);
  timerBusca_.setInterval(FileSelection::kEsperaBuscaMs);
  connect(busca_, &QLineEdit::textEdited, this, [this] { timerBusca_.start(); });
  connect(&timerBusca_, &QTimer::timeout, this, acao([this] { sel_.buscar(u(busca_->text())); }));
  connect(alterar, &QPushButton::clicked, this, acao([this] {
            QString pasta = QFileDialog::getExistingDirectory(
                this, QStringLiteral("Alterar pasta"), caminho_->text(),
                QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
            if (!pasta.isEmpty()) sel_.alterarPasta(u(pasta));
          }));
  connect(subir, &QPushButton::clicked, this, acao([this] { sel_.subirPasta(); }));
  connect(caminho_, &QLineEdit::returnPressed, this,
          acao([this] { sel_.irParaCaminho(u(caminho_->text())); }));
  connect(gerenciador, &QPushButton::clicked, this, acao([this] { sel_.abrirNoGerenciador(); }));
  connect(extensao_, &QComboBox::textActivated, this,
          acao([this](const QString& t) { sel_.mudarExtensao(u(t)); }));
  connect(tabela_->horizontalHeader(), &QHeaderView::sectionClicked, this,
          acao([this](int coluna) { sel_.clicarColuna(coluna); }));
  connect(tabela_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          acao([this](const QModelIndex& atual, const QModelIndex&) {
            if (!seguindo_) sel_.selecionarLinha(atual.isValid() ? atual.row() : -1);
          }));
  connect(tabela_, &QTableView::doubleClicked, this, acao([this](const QModelIndex& i) {
            if (sel_.duploClique(i.row())) accept();
          }));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelar, &QPushButton::clicked, this, &QDialog::reject);

  sub_ = sel_.notices.listen([this](const FileSelectionNotice& n) {
    if (n.kind == FileSelectionNotice::Kind::listing) seguirListagem();
    seguirLinhas();
  });
}

void TfrmFileSelect::seguirListagem() {
  seguindo_ = true;
  tabela_->selectionModel()->clearCurrentIndex();
  tabela_->clearSelection();
  seguindo_ = false;
  caminho_->setText(q(sel_.caminho));
  if (!sel_.extensaoMostrada.empty()) extensao_->setCurrentText(q(sel_.extensaoMostrada));
  tabela_->horizontalHeader()->setSortIndicatorShown(true);
  tabela_->horizontalHeader()->setSortIndicator(
      sel_.SortedColumn, sel_.Descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TfrmFileSelect::seguirLinhas() {
  rotuloSelecionado_->setVisible(!sel_.gMultiSelect);
  selecionado_->setVisible(!sel_.gMultiSelect);
  selecionado_->setText(q(sel_.arquivoSelecionado));
}

std::string TfrmFileSelect::getFileSelect(const std::string& aPath, const std::string& aExtension,
                                          const std::string& aFiltro, bool multiselect,
                                          bool canChangePath) {
  busca_->clear();
  sel_.abrir(aPath, aExtension, aFiltro, multiselect, canChangePath);
  tabela_->setFocus();
  const bool ok = exec() == QDialog::Accepted;
  hide();
  return sel_.resultado(ok);
}

}  // namespace quorvel::ui
