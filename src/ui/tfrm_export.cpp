#include "ui/tfrm_export.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/export_grid_model.h"
#include "ui/grid_view.h"
#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

namespace {

constexpr int kStatusMs = 1000;

// A button whose click runs `f` as a user action.
template <class F>
QPushButton* buttonThat(const QString& caption, QWidget* pai, F f) {
  QPushButton* b = makeButton(caption, pai);
  QObject::connect(b, &QPushButton::clicked, pai, guarded(std::move(f)));
  return b;
}

MouseButton coreButton(Qt::MouseButton b) {
  if (b == Qt::RightButton) return MouseButton::direito;
  if (b == Qt::MiddleButton) return MouseButton::meio;
  return MouseButton::esquerdo;
}

}  // namespace

TfrmExport::TfrmExport(Dialogs& dialogs, Progress& progress, Platform& platform)
    : QWidget(nullptr, Qt::Window),
      dialogs_(dialogs),
      m_(std::make_unique<ExportWindow>(dialogs, progress, platform)) {
  setObjectName(QStringLiteral("TfrmExport"));
  setWindowTitle(q(kTituloExportacao));
  setWindowIcon(QIcon(QStringLiteral(":/quorvel.png")));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(makeTitle(q(kCabecalhoExportacao), this));
  paginas_ = new QStackedWidget(this);
  paginas_->addWidget(buildDataPage());
  paginas_->addWidget(buildColumnsPage());
  paginas_->addWidget(buildUtilitiesPage());
  lay->addWidget(paginas_, 1);
  auto* barra = new QHBoxLayout;
  posicao_ = makeLabel({}, this);
  quantidade_ = makeLabel({}, this);
  posicao_->setMinimumWidth(140);
  barra->addWidget(posicao_);
  barra->addWidget(quantidade_);
  barra->addStretch(1);
  lay->addLayout(barra);

  // The measure of AutoSizeGrid is the grid's own font.
  const QFontMetrics medida(grade_->font());
  m_->larguraTexto = [medida](const std::string& t) { return medida.horizontalAdvance(q(t)); };
  status_ = new QTimer(this);
  status_->setInterval(kStatusMs);
  connect(status_, &QTimer::timeout, this, [this] { m_->atualizarStatus(); });
  status_->start();
  sub_ = m_->notices.listen([this](const ExportNotice& n) {
    if (n.kind == ExportNotice::Kind::listagem) {
      // The writer closed its progress box and told the user the text is on the clipboard.
      (void)dialogs_.showInputMemo(kTituloListagem, m_->listagem, "Fechar", "");
      return;
    }
    refresh();
  });
  resize(900, 600);
  refresh();
  refreshWidths();
}

TfrmExport::~TfrmExport() = default;

QWidget* TfrmExport::buildDataPage() {
  auto* pagina = new QWidget(this);
  auto* lay = new QVBoxLayout(pagina);
  lay->setContentsMargins(0, 0, 0, 0);
  grade_ = new QTableView(pagina);
  grade_->setAccessibleName(QStringLiteral("Dados"));
  modelo_ = new ExportGridModel(m_->gridDados, grade_);
  auto* cabecalho = new GridHeaderView(grade_);
  cabecalho->setSectionsMovable(false);
  grade_->setHorizontalHeader(cabecalho);
  grade_->setModel(modelo_);
  grade_->verticalHeader()->setDefaultSectionSize(grade_->fontMetrics().height() + 6);
  cabecalho->aoSoltar = [this](QMouseEvent* e) {
    const int coluna = grade_->horizontalHeader()->logicalIndexAt(e->position().toPoint());
    headerReleased(coluna, e->button(), e->globalPosition().toPoint());
  };
  connect(modelo_, &ExportGridModel::widthsChanged, this, [this] { refreshWidths(); });
  connect(grade_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& atual) {
            if (atual.isValid()) m_->gridDados.moverCursor(atual.column(), atual.row() + 1);
          });
  // A click on a cell also tells the model which column the mouse left last.
  connect(grade_, &QTableView::clicked, this, [this](const QModelIndex& i) {
    if (i.isValid())
      runGuarded([&] { m_->gridMouseUp(i.column(), i.row() + 1, MouseButton::esquerdo); });
  });
  lay->addWidget(grade_, 1);

  auto* botoes = new QHBoxLayout;
  botoes->addWidget(buttonThat(QStringLiteral("Salvar para Excel"), pagina,
                               [this] { m_->btnSalvarExcelClick(); }));
  botoes->addWidget(
      buttonThat(QStringLiteral("Salvar em texto"), pagina, [this] { m_->btnSalvarTextoClick(); }));
  botoes->addWidget(
      buttonThat(QStringLiteral("Salvar em HTML"), pagina, [this] { m_->btnSalvarHtmlClick(); }));
  botoes->addWidget(buttonThat(QStringLiteral("Exibir como texto"), pagina,
                               [this] { m_->btnExibirTextoClick(); }));
  botoes->addWidget(buttonThat(QStringLiteral("Excluir colunas"), pagina,
                               [this] { m_->btnExcluirColunasClick(); }));
  botoes->addWidget(
      buttonThat(QStringLiteral("Utilitários"), pagina, [this] { m_->btnUtilitariosClick(); }));
  botoes->addWidget(
      buttonThat(QStringLiteral("Abrir texto..."), pagina, [this] { m_->btnAbrirTextoClick(); }));
  botoes->addStretch(1);
  botoes->addWidget(buttonThat(QStringLiteral("Fechar"), pagina, [this] { close(); }));
  lay->addLayout(botoes);
  return pagina;
}

QWidget* TfrmExport::buildColumnsPage() {
  auto* pagina = new QWidget(this);
  auto* lay = new QVBoxLayout(pagina);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->addWidget(makeLabel(QStringLiteral("Selecione as colunas que você quer excluir:"), pagina));
  colunas_ = new QListWidget(pagina);
  colunas_->setAccessibleName(QStringLiteral("Selecione as colunas que você quer excluir:"));
  connect(colunas_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    const int i = colunas_->row(item);
    if (refreshing_ || i < 0 || i >= static_cast<int>(m_->clbColunas.size())) return;
    m_->clbColunas[static_cast<size_t>(i)].marcada = item->checkState() == Qt::Checked;
  });
  lay->addWidget(colunas_, 1);
  auto* botoes = new QHBoxLayout;
  botoes->addWidget(buttonThat(QStringLiteral("Selecionar todas as colunas"), pagina,
                               [this] { m_->selecionarTodasColunas(); }));
  botoes->addStretch(1);
  botoes->addWidget(buttonThat(QStringLiteral("Excluir colunas selecionadas"), pagina,
                               [this] { m_->excluirColunasSelecionadas(); }));
  botoes->addWidget(
      buttonThat(QStringLiteral("Cancelar"), pagina, [this] { m_->cancelarExclusaoColunas(); }));
  lay->addLayout(botoes);
  return pagina;
}

QWidget* TfrmExport::buildUtilitiesPage() {
  auto* pagina = new QWidget(this);
  auto* lay = new QVBoxLayout(pagina);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->addWidget(makeLabel(
      QStringLiteral("Alguns utilitários úteis para aplicar nos dados antes de exportá-los:"),
      pagina));
  lay->addWidget(makeLabel(
      QStringLiteral("Selecione a coluna que servirá como base para as funções:"), pagina));
  colunaBase_ = makeComboBox(
      QStringLiteral("Selecione a coluna que servirá como base para as funções:"), {}, pagina);
  colunaBase_->setEditable(true);
  connect(colunaBase_, &QComboBox::currentTextChanged, this, [this](const QString& t) {
    if (!refreshing_) m_->cmbColuna = u(t);
  });
  lay->addWidget(colunaBase_);
  lay->addSpacing(8);
  auto largo = [](QPushButton* b) {
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return b;
  };
  lay->addWidget(
      largo(buttonThat(QStringLiteral("Excluir linha quando o valor dessa coluna estiver vazio"),
                       pagina, [this] { m_->btnExcluirVaziosClick(); })));
  lay->addWidget(largo(
      buttonThat(QStringLiteral("Eliminar repetidos, com base no valor da coluna selecionada"),
                 pagina, [this] { m_->btnExcluirRepetidosClick(); })));
  auto* troca = new QHBoxLayout;
  troca->addWidget(makeLabel(QStringLiteral("Substituir"), pagina));
  substituir_ = makeLineEdit(QStringLiteral("Substituir"), pagina);
  troca->addWidget(substituir_, 1);
  troca->addWidget(makeLabel(QStringLiteral("por"), pagina));
  por_ = makeLineEdit(QStringLiteral("por"), pagina);
  troca->addWidget(por_, 1);
  connect(substituir_, &QLineEdit::textEdited, this,
          [this](const QString& t) { m_->edtSubstituir = u(t); });
  connect(por_, &QLineEdit::textEdited, this, [this](const QString& t) { m_->edtPor = u(t); });
  lay->addLayout(troca);
  lay->addWidget(largo(buttonThat(QStringLiteral("Substituir na coluna selecionada"), pagina,
                                  [this] { m_->btnSubstituirClick(); })));
  lay->addStretch(1);
  auto* baixo = new QHBoxLayout;
  baixo->addWidget(buttonThat(QStringLiteral("Voltar para a lista de dados"), pagina,
                              [this] { m_->btnVoltarClick(); }));
  baixo->addStretch(1);
  lay->addLayout(baixo);
  return pagina;
}

void TfrmExport::refresh() {
  refreshing_ = true;
  paginas_->setCurrentIndex(static_cast<int>(m_->pagina));
  grade_->setVisible(m_->gridVisivel);
  posicao_->setText(q(m_->lbPosicao));
  quantidade_->setText(q(m_->lbQuantidade));
  // The deletion page's list, as the model holds it.
  if (colunas_->count() != static_cast<int>(m_->clbColunas.size())) {
    colunas_->clear();
    for (const DeletableColumn& c : m_->clbColunas) {
      auto* item = new QListWidgetItem(q(c.nome), colunas_);
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    }
  }
  for (int i = 0; i < colunas_->count(); ++i) {
    const DeletableColumn& c = m_->clbColunas[static_cast<size_t>(i)];
    colunas_->item(i)->setText(q(c.nome));
    colunas_->item(i)->setCheckState(c.marcada ? Qt::Checked : Qt::Unchecked);
  }
  // The utilities page's columns and the chosen one.
  QStringList itens;
  for (const std::string& s : m_->cmbColunaItens) itens << q(s);
  QStringList atuais;
  for (int i = 0; i < colunaBase_->count(); ++i) atuais << colunaBase_->itemText(i);
  if (itens != atuais) {
    colunaBase_->clear();
    colunaBase_->addItems(itens);
  }
  if (colunaBase_->currentText() != q(m_->cmbColuna)) colunaBase_->setCurrentText(q(m_->cmbColuna));
  showText(substituir_, m_->edtSubstituir);
  showText(por_, m_->edtPor);
  refreshing_ = false;
}

void TfrmExport::refreshWidths() {
  for (int c = 0; c < m_->gridDados.colCount(); ++c)
    grade_->setColumnWidth(c, m_->gridDados.colWidth(c));
}

void TfrmExport::headerReleased(int coluna, Qt::MouseButton b, QPoint global) {
  runGuarded([&] {
    if (m_->gridMouseUp(coluna, 0, coreButton(b))) showColumnMenu(global);
  });
}

void TfrmExport::showColumnMenu(QPoint global) {
  QMenu menu(this);
  connect(addMenuEntry(&menu, QStringLiteral("Copiar dados dessa coluna")), &QAction::triggered,
          this, guarded([this] { m_->copiarColuna(m_->gCol); }));
  connect(addMenuEntry(&menu, QStringLiteral("Ajustar largura das colunas")), &QAction::triggered,
          this, guarded([this] { m_->ajustarLarguraColunas(); }));
  connect(addMenuEntry(&menu, QStringLiteral("Utilitários")), &QAction::triggered, this,
          guarded([this] { m_->utilitariosDaColuna(); }));
  connect(addMenuEntry(&menu, QStringLiteral("Ordenar esta coluna")), &QAction::triggered, this,
          guarded([this] { m_->ordenarEstaColuna(); }));
  menu.exec(global);
}

}  // namespace quorvel::ui
