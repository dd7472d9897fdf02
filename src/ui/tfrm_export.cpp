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
QPushButton* botaoQue(const QString& caption, QWidget* pai, F f) {
  QPushButton* b = botao(caption, pai);
  QObject::connect(b, &QPushButton::clicked, pai, acao(std::move(f)));
  return b;
}

MouseButton botaoDoNucleo(Qt::MouseButton b) {
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
  lay->addWidget(titulo(q(kCabecalhoExportacao), this));
  paginas_ = new QStackedWidget(this);
  paginas_->addWidget(paginaDados());
  paginas_->addWidget(paginaExcluirColunas());
  paginas_->addWidget(paginaUtilitarios());
  lay->addWidget(paginas_, 1);
  auto* barra = new QHBoxLayout;
  posicao_ = rotulo({}, this);
  quantidade_ = rotulo({}, this);
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
    seguir();
  });
  resize(900, 600);
  seguir();
  seguirLarguras();
}

TfrmExport::~TfrmExport() = default;

QWidget* TfrmExport::paginaDados() {
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
    soltarNoCabecalho(coluna, e->button(), e->globalPosition().toPoint());
  };
  connect(modelo_, &ExportGridModel::widthsChanged, this, [this] { seguirLarguras(); });
  connect(grade_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& atual) {
            if (atual.isValid()) m_->gridDados.moverCursor(atual.column(), atual.row() + 1);
          });
  // A click on a cell also tells the model which column the mouse left last.
  connect(grade_, &QTableView::clicked, this, [this](const QModelIndex& i) {
    if (i.isValid())
      executarAcao([&] { m_->gridMouseUp(i.column(), i.row() + 1, MouseButton::esquerdo); });
  });
  lay->addWidget(grade_, 1);

  auto* botoes = new QHBoxLayout;
  botoes->addWidget(
      botaoQue(QStringLiteral("Salvar para Excel"), pagina, [this] { m_->btnSalvarExcelClick(); }));
  botoes->addWidget(
      botaoQue(QStringLiteral("Salvar em texto"), pagina, [this] { m_->btnSalvarTextoClick(); }));
  botoes->addWidget(
      botaoQue(QStringLiteral("Salvar em HTML"), pagina, [this] { m_->btnSalvarHtmlClick(); }));
  botoes->addWidget(
      botaoQue(QStringLiteral("Exibir como texto"), pagina, [this] { m_->btnExibirTextoClick(); }));
  botoes->addWidget(botaoQue(QStringLiteral("Excluir colunas"), pagina,
                             [this] { m_->btnExcluirColunasClick(); }));
  botoes->addWidget(
      botaoQue(QStringLiteral("Utilitários"), pagina, [this] { m_->btnUtilitariosClick(); }));
  botoes->addWidget(
      botaoQue(QStringLiteral("Abrir texto..."), pagina, [this] { m_->btnAbrirTextoClick(); }));
  botoes->addStretch(1);
  botoes->addWidget(botaoQue(QStringLiteral("Fechar"), pagina, [this] { close(); }));
  lay->addLayout(botoes);
  return pagina;
}

QWidget* TfrmExport::paginaExcluirColunas() {
  auto* pagina = new QWidget(this);
  auto* lay = new QVBoxLayout(pagina);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->addWidget(rotulo(QStringLiteral("Selecione as colunas que você quer excluir:"), pagina));
  colunas_ = new QListWidget(pagina);
  colunas_->setAccessibleName(QStringLiteral("Selecione as colunas que você quer excluir:"));
  connect(colunas_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    const int i = colunas_->row(item);
    if (seguindo_ || i < 0 || i >= static_cast<int>(m_->clbColunas.size())) return;
    m_->clbColunas[static_cast<size_t>(i)].marcada = item->checkState() == Qt::Checked;
  });
  lay->addWidget(colunas_, 1);
  auto* botoes = new QHBoxLayout;
  botoes->addWidget(botaoQue(QStringLiteral("Selecionar todas as colunas"), pagina,
                             [this] { m_->selecionarTodasColunas(); }));
  botoes->addStretch(1);
  botoes->addWidget(botaoQue(QStringLiteral("Excluir colunas selecionadas"), pagina,
                             [this] { m_->excluirColunasSelecionadas(); }));
  botoes->addWidget(
      botaoQue(QStringLiteral("Cancelar"), pagina, [this] { m_->cancelarExclusaoColunas(); }));
  lay->addLayout(botoes);
  return pagina;
}

QWidget* TfrmExport::paginaUtilitarios() {
  auto* pagina = new QWidget(this);
  auto* lay = new QVBoxLayout(pagina);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->addWidget(rotulo(
      QStringLiteral("Alguns utilitários úteis para aplicar nos dados antes de exportá-los:"),
      pagina));
  lay->addWidget(
      rotulo(QStringLiteral("Selecione a coluna que servirá como base para as funções:"), pagina));
  colunaBase_ = listaTextos(
      QStringLiteral("Selecione a coluna que servirá como base para as funções:"), {}, pagina);
  colunaBase_->setEditable(true);
  connect(colunaBase_, &QComboBox::currentTextChanged, this, [this](const QString& t) {
    if (!seguindo_) m_->cmbColuna = u(t);
  });
  lay->addWidget(colunaBase_);
  lay->addSpacing(8);
  auto largo = [](QPushButton* b) {
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return b;
  };
  lay->addWidget(
      largo(botaoQue(QStringLiteral("Excluir linha quando o valor dessa coluna estiver vazio"),
                     pagina, [this] { m_->btnExcluirVaziosClick(); })));
  lay->addWidget(
      largo(botaoQue(QStringLiteral("Eliminar repetidos, com base no valor da coluna selecionada"),
                     pagina, [this] { m_->btnExcluirRepetidosClick(); })));
  auto* troca = new QHBoxLayout;
  troca->addWidget(rotulo(QStringLiteral("Substituir"), pagina));
  substituir_ = campo(QStringLiteral("Substituir"), pagina);
  troca->addWidget(substituir_, 1);
  troca->addWidget(rotulo(QStringLiteral("por"), pagina));
  por_ = campo(QStringLiteral("por"), pagina);
  troca->addWidget(por_, 1);
  connect(substituir_, &QLineEdit::textEdited, this,
          [this](const QString& t) { m_->edtSubstituir = u(t); });
  connect(por_, &QLineEdit::textEdited, this, [this](const QString& t) { m_->edtPor = u(t); });
  lay->addLayout(troca);
  lay->addWidget(largo(botaoQue(QStringLiteral("Substituir na coluna selecionada"), pagina,
                                [this] { m_->btnSubstituirClick(); })));
  lay->addStretch(1);
  auto* baixo = new QHBoxLayout;
  baixo->addWidget(botaoQue(QStringLiteral("Voltar para a lista de dados"), pagina,
                            [this] { m_->btnVoltarClick(); }));
  baixo->addStretch(1);
  lay->addLayout(baixo);
  return pagina;
}

QPushButton* TfrmExport::botaoDe(const QString& caption) const {
  for (QPushButton* b : findChildren<QPushButton*>())
    if (semAcelerador(b->text()) == caption) return b;
  return nullptr;
}

void TfrmExport::seguir() {
  seguindo_ = true;
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
  mostrarTexto(substituir_, m_->edtSubstituir);
  mostrarTexto(por_, m_->edtPor);
  seguindo_ = false;
}

void TfrmExport::seguirLarguras() {
  for (int c = 0; c < m_->gridDados.colCount(); ++c)
    grade_->setColumnWidth(c, m_->gridDados.colWidth(c));
}

void TfrmExport::soltarNoCabecalho(int coluna, Qt::MouseButton b, QPoint global) {
  executarAcao([&] {
    if (m_->gridMouseUp(coluna, 0, botaoDoNucleo(b))) menuDaColuna(global);
  });
}

void TfrmExport::menuDaColuna(QPoint global) {
  QMenu menu(this);
  connect(entrada(&menu, QStringLiteral("Copiar dados dessa coluna")), &QAction::triggered, this,
          acao([this] { m_->copiarColuna(m_->gCol); }));
  connect(entrada(&menu, QStringLiteral("Ajustar largura das colunas")), &QAction::triggered, this,
          acao([this] { m_->ajustarLarguraColunas(); }));
  connect(entrada(&menu, QStringLiteral("Utilitários")), &QAction::triggered, this,
          acao([this] { m_->utilitariosDaColuna(); }));
  connect(entrada(&menu, QStringLiteral("Ordenar esta coluna")), &QAction::triggered, this,
          acao([this] { m_->ordenarEstaColuna(); }));
  menu.exec(global);
}

}  // namespace quorvel::ui
