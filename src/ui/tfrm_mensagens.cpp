#include "ui/tfrm_mensagens.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/negative_base_model.h"
#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

namespace {

const char* const kPaginas[] = {"Base negativa de e-mails", "Configurações", "Descadastramentos"};
const char* const kTotais[] = {
    "De suas contas:", "BD online do Quorvel:", "Contas de e-mail configuradas:"};
const char* const kFiltros[] = {"Permanentes", "Relativos", "Descadastrados"};

template <size_t N>
std::vector<std::string> itens(const std::array<const char*, N>& a) {
  return {a.begin(), a.end()};
}

std::vector<std::string> linhas(const QPlainTextEdit* e) {
  std::vector<std::string> r;
  for (const QString& l : e->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
    r.push_back(u(l));
  return r;
}

void mostrarLinhas(QPlainTextEdit* e, const std::vector<std::string>& v) {
  if (linhas(e) == v) return;
  QStringList l;
  for (const auto& s : v) l << q(s);
  e->setPlainText(l.join(QLatin1Char('\n')));
}

QToolButton* ajuda(QWidget* parent, const QString& dica) {
  return makeIconButton(QStyle::SP_MessageBoxQuestion, dica, parent);
}

}  // namespace

TfrmMensagens::TfrmMensagens(MailboxWindow& model) : QWidget(nullptr, Qt::Window), m_(model) {
  setObjectName(QStringLiteral("TfrmMensagens"));
  setWindowTitle(QStringLiteral("Checagem de e-mails"));
  setWindowIcon(QIcon(QStringLiteral(":/quorvel.png")));
  auto* lay = new QVBoxLayout(this);
  auto* divisor = new QSplitter(Qt::Vertical, this);
  paginas_ = new QTabWidget(divisor);
  paginas_->addTab(buildNegativeBasePage(), q(kPaginas[0]));
  paginas_->addTab(buildSettingsPage(), q(kPaginas[1]));
  paginas_->addTab(buildUnsubscribePage(), q(kPaginas[2]));
  divisor->addWidget(paginas_);
  divisor->addWidget(buildFooter());
  divisor->setStretchFactor(0, 3);
  divisor->setStretchFactor(1, 2);
  lay->addWidget(divisor, 1);
  connect(paginas_, &QTabWidget::currentChanged, this, [this](int p) {
    if (!refreshing_) m_.pagina = static_cast<PaginaMensagens>(p);
  });

  resize(1000, 720);
  sub_ = m_.notices.listen([this](const MailboxNotice& n) {
    switch (n.kind) {
      case MailboxNotice::Kind::log:
        refreshLog();
        break;
      case MailboxNotice::Kind::state:
        refresh();
        break;
    }
  });
  // The table model is told first (it subscribed when it was made), then the sort arrow and the
  // current row follow here.
  gridSub_ = m_.grid.notices.listen([this](const NegativeBaseGridNotice&) { refreshGrid(); });
  refresh();
  refreshLog();
  refreshGrid();
}

void TfrmMensagens::ligar(QAbstractButton* b, std::function<void()> f) {
  connect(b, &QAbstractButton::clicked, this, guarded(std::move(f)));
}

QWidget* TfrmMensagens::buildNegativeBasePage() {
  auto* pagina = new QWidget(this);
  auto* lay = new QVBoxLayout(pagina);
  auto* topo = new QHBoxLayout;
  for (int i = 0; i < 3; ++i) {
    topo->addWidget(makeLabel(q(kTotais[i]), pagina));
    totais_[i] = makeLabel({}, pagina);
    totais_[i]->setAccessibleName(q(kTotais[i]));
    QFont negrito = totais_[i]->font();
    negrito.setBold(true);
    totais_[i]->setFont(negrito);
    topo->addWidget(totais_[i]);
    topo->addSpacing(14);
  }
  topo->addStretch(1);
  QPushButton* contas = makeButton(QStringLiteral("Configurar contas"), pagina);
  QPushButton* apagarTudo = makeButton(QStringLiteral("Apagar tudo"), pagina);
  QToolButton* ajudaBase = ajuda(pagina, QStringLiteral("Ajuda: base negativa de e-mails"));
  topo->addWidget(contas);
  topo->addWidget(apagarTudo);
  topo->addWidget(ajudaBase);
  lay->addLayout(topo);
  ligar(contas, [this] { m_.btnConfigurarContasClick(); });
  ligar(apagarTudo, [this] { m_.btnApagarTudoClick(); });
  ligar(ajudaBase, [this] { m_.ajudaBaseNegativa(); });

  auto* filtros = new QHBoxLayout;
  for (int i = 0; i < 3; ++i) {
    filtros_[i] = makeCheckBox(q(kFiltros[i]), pagina);
    filtros->addWidget(filtros_[i]);
    bool NegativeBaseGrid::*campo = i == 0   ? &NegativeBaseGrid::ckbPermanentes
                                    : i == 1 ? &NegativeBaseGrid::ckbRelativos
                                             : &NegativeBaseGrid::ckbDescadastrados;
    connect(filtros_[i], &QCheckBox::clicked, this, guarded([this, campo](bool marcada) {
              m_.grid.*campo = marcada;
              m_.exibirEmails();
            }));
  }
  QToolButton* ajudaFiltros = ajuda(pagina, QStringLiteral("Ajuda: filtros"));
  ligar(ajudaFiltros, [this] { m_.ajudaFiltros(); });
  filtros->addWidget(ajudaFiltros);
  filtros->addStretch(1);
  filtros->addWidget(makeLabel(QStringLiteral("Localizar"), pagina));
  localizar_ = makeLineEdit(QStringLiteral("Localizar"), pagina);
  localizar_->setMinimumWidth(220);
  filtros->addWidget(localizar_);
  lay->addLayout(filtros);
  connect(localizar_, &QLineEdit::returnPressed, this,
          guarded([this] { m_.localizar(u(localizar_->text())); }));

  grade_ = new QTableView(pagina);
  grade_->setObjectName(QStringLiteral("gradeBaseNegativa"));
  grade_->setAccessibleName(q(kPaginas[0]));
  modeloGrade_ = new NegativeBaseModel(m_.grid, grade_);
  grade_->setModel(modeloGrade_);
  grade_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grade_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grade_->setSelectionMode(QAbstractItemView::SingleSelection);
  grade_->verticalHeader()->hide();
  grade_->verticalHeader()->setDefaultSectionSize(grade_->fontMetrics().height() + 6);
  QHeaderView* h = grade_->horizontalHeader();
  h->setSectionsClickable(true);
  h->setStretchLastSection(true);
  grade_->setColumnWidth(0, 230);
  grade_->setColumnWidth(1, 90);
  grade_->setColumnWidth(2, 200);
  grade_->setColumnWidth(3, 250);
  lay->addWidget(grade_, 1);
  connect(h, &QHeaderView::sectionClicked, this, guarded([this](int c) { m_.clicarTitulo(c); }));
  connect(grade_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& atual) {
            if (!refreshing_ && atual.isValid()) m_.grid.linhaAtual = atual.row();
          });
  auto* del = new QShortcut(QKeySequence(Qt::Key_Delete), grade_);
  del->setContext(Qt::WidgetShortcut);
  connect(del, &QShortcut::activated, this, guarded([this] { m_.btnExcluirClick(); }));

  auto* botoes = new QHBoxLayout;
  QPushButton* excluir = makeButton(QStringLiteral("Excluir"), pagina);
  QPushButton* novo = makeButton(QStringLiteral("Novo descadastramento"), pagina);
  QPushButton* salvar = makeButton(QStringLiteral("Salvar"), pagina);
  botoes->addWidget(excluir);
  botoes->addWidget(novo);
  botoes->addStretch(1);
  botoes->addWidget(salvar);
  lay->addLayout(botoes);
  ligar(excluir, [this] { m_.btnExcluirClick(); });
  ligar(novo, [this] { m_.btnNovoDescadastramentoClick(); });
  ligar(salvar, [this] { m_.btnSalvarGridClick(); });
  return pagina;
}

QWidget* TfrmMensagens::buildSettingsPage() {
  auto* pagina = new QWidget(this);
  auto* lay = new QHBoxLayout(pagina);
  auto* esquerda = new QVBoxLayout;
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  const QString rMinutos = QStringLiteral("Checar mensagens retornadas a cada:");
  const QString rMaximo = QStringLiteral("Máximo de mensagens checadas por conta de e-mail: ");
  const QString rDias = QStringLiteral("Ignorar mensagens com mais de:");
  minutos_ = makeComboBox(rMinutos, itens(kIntervalos), pagina);
  maximo_ = makeLineEdit(rMaximo, pagina);
  maximo_->setFixedWidth(80);
  dias_ = makeComboBox(rDias, itens(kLimitesDias), pagina);
  minutos_->setMinimumWidth(200);
  dias_->setMinimumWidth(200);
  form->addRow(makeLabel(rMinutos, pagina), minutos_);
  auto* max = new QHBoxLayout;
  max->addWidget(maximo_);
  QLabel* zero = makeLabel(QStringLiteral("Use 0 (zero) para não definir limites"), pagina);
  zero->setStyleSheet(QStringLiteral("color: #555;"));
  max->addWidget(zero);
  form->addRow(makeLabel(rMaximo, pagina), max);
  form->addRow(makeLabel(rDias, pagina), dias_);
  esquerda->addLayout(form);
  apagar_ = makeCheckBox(QStringLiteral("Apagar mensagens de erro após checadas"), pagina);
  esquerda->addWidget(apagar_);
  QLabel* nota = makeLabel(
      QStringLiteral("Não apagará as mensagens que não forem detectadas como retornos de erro"),
      pagina, true);
  nota->setStyleSheet(QStringLiteral("color: #555; margin-left: 22px;"));
  esquerda->addWidget(nota);
  esquerda->addStretch(1);
  QPushButton* salvar = makeButton(QStringLiteral("Salvar configurações"), pagina);
  esquerda->addWidget(salvar, 0, Qt::AlignLeft);
  lay->addLayout(esquerda, 1);
  lay->addSpacing(16);

  auto* exclusao = new QGroupBox(QStringLiteral("Exclusão personalizada"), pagina);
  auto* ex = new QVBoxLayout(exclusao);
  ex->addWidget(makeLabel(
      QStringLiteral(
          "Aproveite e elimine respostas automáticas e até SPAMs das mensagens checadas!"),
      exclusao, true));
  auto* memos = new QTabWidget(exclusao);
  assunto_ = new QPlainTextEdit(memos);
  assunto_->setAccessibleName(QStringLiteral("Assunto"));
  corpo_ = new QPlainTextEdit(memos);
  corpo_->setAccessibleName(QStringLiteral("Corpo da mensagem"));
  memos->addTab(assunto_, QStringLiteral("Assunto"));
  memos->addTab(corpo_, QStringLiteral("Corpo da mensagem"));
  ex->addWidget(memos, 1);
  lay->addWidget(exclusao, 1);

  connect(minutos_, &QComboBox::activated, this, [this](int i) { m_.cmbCheckMinutes = i; });
  connect(dias_, &QComboBox::activated, this, [this](int i) { m_.cmbCheckDays = i; });
  connect(apagar_, &QCheckBox::clicked, this, [this](bool b) { m_.ckbApagar = b; });
  connect(maximo_, &QLineEdit::textEdited, this, [this](const QString& t) { m_.edtMax = u(t); });
  connect(assunto_, &QPlainTextEdit::textChanged, this, [this] {
    if (!refreshing_) m_.mmoAssunto = linhas(assunto_);
  });
  connect(corpo_, &QPlainTextEdit::textChanged, this, [this] {
    if (!refreshing_) m_.mmoCorpo = linhas(corpo_);
  });
  ligar(salvar, [this] { m_.salvarConfigs(false); });
  return pagina;
}

QWidget* TfrmMensagens::buildUnsubscribePage() {
  auto* pagina = new QWidget(this);
  auto* lay = new QVBoxLayout(pagina);
  auto* topo = new QHBoxLayout;
  topo->addWidget(makeLabel(QStringLiteral("O Quorvel pode agregar automaticamente pedidos de "
                                           "descadastramento recebidos por suas contas de e-mail"),
                            pagina, true),
                  1);
  QToolButton* doc = makeIconButton(QStyle::SP_FileDialogInfoView,
                                    QStringLiteral("Como funcionam os descadastramentos"), pagina);
  ligar(doc, [this] { m_.abrirExplicacaoDescadastramento(); });
  topo->addWidget(doc);
  lay->addLayout(topo);
  const QString rEndereco =
      QStringLiteral("Informe o e-mail por onde você quer receber os descadastramentos:");
  const QString rOpcao1 =
      QStringLiteral("Opção 1: Use esse texto no código-fonte de suas mensagens:");
  const QString rOpcao2 = QStringLiteral(
      "Opção 2: Use um texto de sua escolha para o descadastramento, colocando em algum lugar o "
      "seguinte link:");
  endereco_ = makeLineEdit(rEndereco, pagina);
  opcao1_ = makeLineEdit(rOpcao1, pagina);
  opcao2_ = makeLineEdit(rOpcao2, pagina);
  const std::pair<QString, QLineEdit*> campos[] = {
      {rEndereco, endereco_}, {rOpcao1, opcao1_}, {rOpcao2, opcao2_}};
  for (const auto& [r, e] : campos) {
    lay->addSpacing(6);
    lay->addWidget(makeLabel(r, pagina, true));
    lay->addWidget(e);
  }
  opcao1_->setReadOnly(true);
  opcao2_->setReadOnly(true);
  lay->addStretch(1);
  connect(endereco_, &QLineEdit::textEdited, this,
          guarded([this](const QString& t) { m_.setUnsubscribeAddress(u(t)); }));
  return pagina;
}

QWidget* TfrmMensagens::buildFooter() {
  auto* rodape = new QWidget(this);
  auto* lay = new QVBoxLayout(rodape);
  lay->setContentsMargins(0, 4, 0, 0);
  auto* barra = new QHBoxLayout;
  checar_ = makeButton(QStringLiteral("Checar erros retornados"), rodape);
  QFont negrito = checar_->font();
  negrito.setBold(true);
  checar_->setFont(negrito);
  cancelar_ = makeButton(QStringLiteral("Cancelar"), rodape);
  forcar_ = makeCheckBox(QStringLiteral("Forçar checagem completa"), rodape);
  QToolButton* ajudaForcar = ajuda(rodape, QStringLiteral("Ajuda: forçar checagem completa"));
  progresso_ = new QProgressBar(rodape);
  progresso_->setAccessibleName(QStringLiteral("Progresso da checagem"));
  progresso_->setMaximumWidth(220);
  trabalhando_ = makeLabel(QStringLiteral("Trabalhando..."), rodape);
  trabalhando_->setStyleSheet(
      QStringLiteral("background: #fff4cc; border: 1px solid #f5b51b; padding: 3px 8px;"));
  QPushButton* fechar = makeButton(QStringLiteral("Fechar"), rodape);
  barra->addWidget(checar_);
  barra->addWidget(cancelar_);
  barra->addSpacing(10);
  barra->addWidget(forcar_);
  barra->addWidget(ajudaForcar);
  barra->addSpacing(10);
  barra->addWidget(progresso_);
  barra->addWidget(trabalhando_);
  barra->addStretch(1);
  barra->addWidget(fechar);
  lay->addLayout(barra);

  auto* linha2 = new QHBoxLayout;
  rolar_ = makeCheckBox(QStringLiteral("Rolar a lista para baixo a cada nova mensagem"), rodape);
  sincronizando_ =
      makeLabel(QStringLiteral("Sincronizando domínios no banco de dados online"), rodape);
  sincronizando_->setStyleSheet(QStringLiteral("color: #1a5fb4;"));
  linha2->addWidget(rolar_);
  linha2->addStretch(1);
  linha2->addWidget(sincronizando_);
  lay->addLayout(linha2);

  log_ = new QListWidget(rodape);
  log_->setObjectName(QStringLiteral("log"));
  log_->setAccessibleName(QStringLiteral("Registro da checagem"));
  log_->setUniformItemSizes(true);
  log_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lay->addWidget(log_, 1);

  ligar(checar_, [this] { m_.btnChecarClick(); });
  ligar(cancelar_, [this] { m_.btnCancelarClick(); });
  ligar(ajudaForcar, [this] { m_.ajudaForcar(); });
  connect(forcar_, &QCheckBox::clicked, this, [this](bool b) { m_.ckbForcar = b; });
  connect(rolar_, &QCheckBox::clicked, this, [this](bool b) { m_.ckbRolar = b; });
  connect(fechar, &QPushButton::clicked, this, &QWidget::close);
  return rodape;
}

void TfrmMensagens::refresh() {
  refreshing_ = true;
  paginas_->setCurrentIndex(static_cast<int>(m_.pagina));
  checar_->setEnabled(m_.btnChecarHabilitado);
  cancelar_->setVisible(m_.btnCancelarVisivel);
  forcar_->setChecked(m_.ckbForcar);
  rolar_->setChecked(m_.ckbRolar);
  progresso_->setVisible(m_.progressoVisivel);
  progresso_->setMaximum(static_cast<int>(std::max<int64_t>(m_.progressoMax, 1)));
  progresso_->setValue(static_cast<int>(std::min(m_.progressoPos, m_.progressoMax)));
  sincronizando_->setVisible(m_.lbSincronizandoVisivel);
  trabalhando_->setVisible(m_.pnTrabalhandoVisivel);
  const std::string* totais[] = {&m_.lbDeSuasContas, &m_.lbOnline, &m_.lbContasConfiguradas};
  for (int i = 0; i < 3; ++i) totais_[i]->setText(q(*totais[i]));
  filtros_[0]->setChecked(m_.grid.ckbPermanentes);
  filtros_[1]->setChecked(m_.grid.ckbRelativos);
  filtros_[2]->setChecked(m_.grid.ckbDescadastrados);
  minutos_->setCurrentIndex(m_.cmbCheckMinutes);
  dias_->setCurrentIndex(m_.cmbCheckDays);
  apagar_->setChecked(m_.ckbApagar);
  showText(maximo_, m_.edtMax);
  mostrarLinhas(assunto_, m_.mmoAssunto);
  mostrarLinhas(corpo_, m_.mmoCorpo);
  showText(endereco_, m_.edtUnsubscribe);
  showText(opcao1_, m_.edtOpcao1);
  showText(opcao2_, m_.edtOpcao2);
  refreshing_ = false;
}

void TfrmMensagens::refreshLog() {
  const auto& linhasLog = m_.log;
  if (static_cast<size_t>(log_->count()) > linhasLog.size()) log_->clear();
  for (size_t i = static_cast<size_t>(log_->count()); i < linhasLog.size(); ++i) {
    auto* item = new QListWidgetItem(q(linhasLog[i].linha()), log_);
    item->setForeground(QColor(QRgb(linhasLog[i].cor)));
  }
  log_->scrollToBottom();
}

void TfrmMensagens::refreshGrid() {
  refreshing_ = true;
  QHeaderView* h = grade_->horizontalHeader();
  h->setSortIndicatorShown(m_.grid.colunaOrdem >= 0);
  if (m_.grid.colunaOrdem >= 0)
    h->setSortIndicator(m_.grid.colunaOrdem,
                        m_.grid.descendente ? Qt::DescendingOrder : Qt::AscendingOrder);
  if (m_.grid.linhaAtual >= 0 && m_.grid.linhaAtual < modeloGrade_->rowCount()) {
    const QModelIndex i = modeloGrade_->index(m_.grid.linhaAtual, 0);
    grade_->setCurrentIndex(i);
    grade_->scrollTo(i);
  }
  refreshing_ = false;
}

void TfrmMensagens::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (e->spontaneous()) return;
  // The tip opens over the window once it is on screen.
  QTimer::singleShot(0, this, guarded([this] { m_.mostrar(); }));
}

void TfrmMensagens::closeEvent(QCloseEvent* e) {
  // "Fechar" and the title bar's close button alike: the settings are kept, the window hides.
  runGuarded([this] { m_.fecharClick(); });
  QWidget::closeEvent(e);
}

}  // namespace quorvel::ui
