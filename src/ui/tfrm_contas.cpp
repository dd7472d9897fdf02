#include "ui/tfrm_contas.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

namespace {

const char* const kPaginas[] = {"Contas cadastradas", "Detalhes", "Configurações avançadas"};
const char* const kColunas[] = {"Ativa", "E-mail", "servidor", "Senha"};
enum Coluna { colAtiva, colEmail, colServidor, colSenha };

// The moldura of "Tentar configurar automaticamente": green while it blinks on, otherwise
// nothing shows of it.
QString estiloMoldura(bool visivel) {
  return visivel ? QStringLiteral("#moldura { border: 3px solid #2e9e3e; border-radius: 4px; }")
                 : QStringLiteral("#moldura { border: 3px solid transparent; }");
}

}  // namespace

TfrmContas::TfrmContas(AccountsWindow& model)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), m_(model) {
  setObjectName(QStringLiteral("TfrmContas"));
  setWindowTitle(q(kTituloContas));
  setWindowIcon(QIcon(QStringLiteral(":/quorvel.png")));
  auto* lay = new QVBoxLayout(this);
  auto* topo = new QHBoxLayout;
  topo->addWidget(makeTitle(q(kTituloContas), this));
  topo->addStretch(1);
  QToolButton* ajuda = makeIconButton(QStyle::SP_MessageBoxQuestion, QStringLiteral("Ajuda"), this);
  connect(ajuda, &QToolButton::clicked, this, guarded([this] { m_.ajuda(); }));
  topo->addWidget(ajuda);
  lay->addLayout(topo);

  paginas_ = new QTabWidget(this);
  paginas_->addTab(buildAccountsPage(), q(kPaginas[0]));
  paginas_->addTab(buildDetailsPage(), q(kPaginas[1]));
  paginas_->addTab(buildAdvancedPage(), q(kPaginas[2]));
  lay->addWidget(paginas_, 1);
  connect(paginas_, &QTabWidget::currentChanged, this, guarded([this](int pagina) {
            if (!refreshing_) m_.mudarPagina(static_cast<PaginaContas>(pagina));
          }));

  resize(680, 520);
  sub_ = m_.notices.listen([this](const AccountsNotice&) { refresh(); });
  refresh();
}

QWidget* TfrmContas::buildAccountsPage() {
  auto* pagina = new QWidget(this);
  auto* lay = new QVBoxLayout(pagina);
  auto* botoes = new QHBoxLayout;
  QPushButton* nova = makeButton(QStringLiteral("Nova conta de e-mail"), pagina);
  QPushButton* excluir = makeButton(QStringLiteral("Excluir conta"), pagina);
  mostrarSenhas_ = makeCheckBox(QStringLiteral("Mostrar senhas"), pagina);
  botoes->addWidget(nova);
  botoes->addWidget(excluir);
  botoes->addStretch(1);
  botoes->addWidget(mostrarSenhas_);
  lay->addLayout(botoes);
  ligar(nova, [this] { m_.btnNovaContaClick(); });
  ligar(excluir, [this] { m_.btnExcluirClick(); });
  connect(mostrarSenhas_, &QCheckBox::clicked, this,
          guarded([this] { m_.alternarMostrarSenhas(); }));

  grade_ = new QTableWidget(0, 4, pagina);
  grade_->setObjectName(QStringLiteral("gradeContas"));
  grade_->setAccessibleName(q(kPaginas[0]));
  QStringList titulos;
  for (const char* c : kColunas) titulos << q(c);
  grade_->setHorizontalHeaderLabels(titulos);
  grade_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grade_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grade_->setSelectionMode(QAbstractItemView::SingleSelection);
  grade_->verticalHeader()->hide();
  grade_->horizontalHeader()->setSectionResizeMode(colEmail, QHeaderView::Stretch);
  grade_->setColumnWidth(colAtiva, 80);
  grade_->setColumnWidth(colServidor, 190);
  grade_->installEventFilter(this);
  lay->addWidget(grade_, 1);
  connect(grade_, &QTableWidget::cellClicked, this,
          guarded([this](int linha, int coluna) { m_.clicarGrid(linha, coluna == colAtiva); }));
  connect(grade_, &QTableWidget::cellDoubleClicked, this,
          guarded([this](int linha, int) { m_.duploCliqueGrid(linha); }));
  return pagina;
}

QWidget* TfrmContas::buildDetailsPage() {
  auto* pagina = new QWidget(this);
  auto* lay = new QVBoxLayout(pagina);
  const QString rotuloEmail =
      QStringLiteral("Endereço de e-mail (exemplo: contato@suaempresa.com.br):");
  lay->addWidget(makeLabel(rotuloEmail, pagina));
  email_ = makeLineEdit(rotuloEmail, pagina);
  lay->addWidget(email_);
  const QString rotuloSenha = QStringLiteral("Senha da conta de e-mail:");
  lay->addWidget(makeLabel(rotuloSenha, pagina));
  senha_ = makeLineEdit(rotuloSenha, pagina);
  senha_->setEchoMode(QLineEdit::Password);
  senha_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
  lay->addWidget(senha_);
  contaAtiva_ = makeCheckBox(QStringLiteral("Conta ativa"), pagina);
  lay->addWidget(contaAtiva_);
  lay->addStretch(1);
  auto* botoes = new QHBoxLayout;
  botoes->addStretch(1);
  QPushButton* avancar = makeButton(QStringLiteral("Avançar"), pagina);
  QPushButton* cancelar = makeButton(QStringLiteral("Cancelar"), pagina);
  avancar->setMinimumWidth(110);
  botoes->addWidget(avancar);
  botoes->addWidget(cancelar);
  lay->addLayout(botoes);

  connect(email_, &QLineEdit::textEdited, this, [this](const QString& t) { m_.edtEmail = u(t); });
  connect(senha_, &QLineEdit::textEdited, this, [this](const QString& t) { m_.edtSenha = u(t); });
  connect(contaAtiva_, &QCheckBox::clicked, this,
          guarded([this](bool marcada) { m_.setContaAtiva(marcada); }));
  ligar(avancar, [this] { m_.btnAvancarClick(); });
  ligar(cancelar, [this] { m_.btnCancelarClick(); });
  return pagina;
}

QWidget* TfrmContas::buildAdvancedPage() {
  auto* pagina = new QWidget(this);
  auto* lay = new QVBoxLayout(pagina);
  auto* form = new QFormLayout;
  auto linha = [&](const char* r, QWidget* w) { form->addRow(makeLabel(q(r), pagina), w); };
  servidor_ = makeLineEdit(QStringLiteral("Servidor IMAP:"), pagina);
  porta_ = makeLineEdit(QStringLiteral("Porta:"), pagina);
  usuario_ = makeLineEdit(QStringLiteral("Nome do usuário:"), pagina);
  usarTLS_ = makeComboBox(QStringLiteral("Usar TLS:"), m_.cmbUsarTLS.itens, pagina);
  linha("Servidor IMAP:", servidor_);
  linha("Porta:", porta_);
  linha("Nome do usuário:", usuario_);
  linha("Usar TLS:", usarTLS_);
  lay->addLayout(form);

  lnkAvancado_ = makeLinkButton(QStringLiteral("Mostrar configurações avançadas"), pagina);
  lay->addWidget(lnkAvancado_, 0, Qt::AlignLeft);
  connect(lnkAvancado_, &QPushButton::clicked, this, guarded([this] { m_.lnkAvancadoClick(); }));

  painelAvancado_ = new QWidget(pagina);
  auto* painel = new QVBoxLayout(painelAvancado_);
  painel->setContentsMargins(0, 0, 0, 0);
  QLabel* aviso =
      makeLabel(QStringLiteral("Configurações mais avançadas ainda... (Raramente precisa "
                               "alterar algo aqui)"),
                painelAvancado_, true);
  QFont negrito = aviso->font();
  negrito.setBold(true);
  aviso->setFont(negrito);
  painel->addWidget(aviso);
  auto* maisForm = new QFormLayout;
  tipoAutenticacao_ =
      makeComboBox(QStringLiteral("Tipo de autenticação:"), m_.cmbTipoAutenticacao.itens, pagina);
  versaoIp_ = makeComboBox(QStringLiteral("Versão do IP:"), m_.cmbVersaoIp.itens, pagina);
  modoSSL_ = makeComboBox(QStringLiteral("Modo SSL:"), m_.cmbModoSSL.itens, pagina);
  metodoSSL_ = makeComboBox(QStringLiteral("Método SSL:"), m_.cmbMetodoSSL.itens, pagina);
  for (QComboBox* c : {tipoAutenticacao_, versaoIp_, modoSSL_, metodoSSL_})
    maisForm->addRow(makeLabel(c->accessibleName(), painelAvancado_), c);
  painel->addLayout(maisForm);
  lay->addWidget(painelAvancado_);
  lay->addStretch(1);

  auto* botoes = new QHBoxLayout;
  moldura_ = new QFrame(pagina);
  moldura_->setObjectName(QStringLiteral("moldura"));
  auto* dentro = new QHBoxLayout(moldura_);
  dentro->setContentsMargins(4, 4, 4, 4);
  QPushButton* sugerir = makeButton(QStringLiteral("Tentar configurar automaticamente"), moldura_);
  dentro->addWidget(sugerir);
  botoes->addWidget(moldura_);
  botoes->addStretch(1);
  QPushButton* salvar = makeButton(QStringLiteral("Salvar"), pagina);
  testar_ = makeButton(QStringLiteral("Testar conta agora!"), pagina);
  botoes->addWidget(salvar);
  botoes->addWidget(testar_);
  lay->addLayout(botoes);

  connect(servidor_, &QLineEdit::textEdited, this,
          [this](const QString& t) { m_.edtServidor = u(t); });
  connect(porta_, &QLineEdit::textEdited, this, [this](const QString& t) { m_.edtPorta = u(t); });
  connect(usuario_, &QLineEdit::textEdited, this,
          [this](const QString& t) { m_.edtUsuario = u(t); });
  const std::pair<QComboBox*, ListaTextos*> listas[] = {
      {usarTLS_, &m_.cmbUsarTLS},
      {tipoAutenticacao_, &m_.cmbTipoAutenticacao},
      {versaoIp_, &m_.cmbVersaoIp},
      {modoSSL_, &m_.cmbModoSSL},
      {metodoSSL_, &m_.cmbMetodoSSL}};
  for (auto [combo, lista] : listas)
    connect(combo, &QComboBox::activated, this, [lista](int i) { lista->indice = i; });
  ligar(sugerir, [this] { m_.btnSugerirClick(); });
  ligar(salvar, [this] { m_.btnSalvarClick(); });
  // The connection test waits for the server (at most the connect time-out).
  ligar(testar_, [this] {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct Restaurar {
      ~Restaurar() { QApplication::restoreOverrideCursor(); }
    } restaurar;
    m_.btnTestarClick();
  });
  return pagina;
}

void TfrmContas::ligar(QPushButton* b, std::function<void()> f) {
  connect(b, &QPushButton::clicked, this, guarded(std::move(f)));
}

void TfrmContas::refreshGrid() {
  const auto& contas = m_.contas;
  grade_->setRowCount(static_cast<int>(contas.size()));
  const QIcon ativa = style()->standardIcon(QStyle::SP_DialogApplyButton);
  const QIcon inativa = style()->standardIcon(QStyle::SP_DialogCancelButton);
  for (int r = 0; r < static_cast<int>(contas.size()); ++r) {
    const AccountRow& c = contas[r];
    auto* a = new QTableWidgetItem(c.ativa ? ativa : inativa, q(AccountsWindow::textoAtiva(c)));
    grade_->setItem(r, colAtiva, a);
    grade_->setItem(r, colEmail, new QTableWidgetItem(q(c.email)));
    grade_->setItem(r, colServidor, new QTableWidgetItem(q(c.servidor)));
    grade_->setItem(r, colSenha, new QTableWidgetItem(q(c.senha)));
  }
  grade_->setColumnHidden(colSenha, !m_.mostrarSenhas);
  if (m_.linhaAtual >= 0 && m_.linhaAtual < grade_->rowCount())
    grade_->setCurrentCell(m_.linhaAtual,
                           grade_->currentColumn() < 0 ? colEmail : grade_->currentColumn());
}

void TfrmContas::refresh() {
  refreshing_ = true;
  paginas_->setCurrentIndex(static_cast<int>(m_.pagina));
  refreshGrid();
  mostrarSenhas_->setChecked(m_.mostrarSenhas);
  showText(email_, m_.edtEmail);
  showText(senha_, m_.edtSenha);
  showText(servidor_, m_.edtServidor);
  showText(porta_, m_.edtPorta);
  showText(usuario_, m_.edtUsuario);
  email_->setEnabled(m_.emailHabilitado);
  contaAtiva_->setVisible(m_.contaAtivaVisivel);
  contaAtiva_->setChecked(m_.contaAtiva());
  const std::pair<QComboBox*, const ListaTextos*> listas[] = {
      {usarTLS_, &m_.cmbUsarTLS},
      {tipoAutenticacao_, &m_.cmbTipoAutenticacao},
      {versaoIp_, &m_.cmbVersaoIp},
      {modoSSL_, &m_.cmbModoSSL},
      {metodoSSL_, &m_.cmbMetodoSSL}};
  for (auto [combo, lista] : listas) combo->setCurrentIndex(lista->indice);
  painelAvancado_->setVisible(m_.painelAvancadoVisivel);
  moldura_->setStyleSheet(estiloMoldura(m_.molduraVisivel));
  testar_->setEnabled(m_.testarHabilitado);
  if (m_.foco == "email")
    email_->setFocus();
  else if (m_.foco == "servidor")
    servidor_->setFocus();
  m_.foco.clear();
  refreshing_ = false;
}

void TfrmContas::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (e->spontaneous()) return;
  runGuarded([this] { m_.mostrar(); });
}

void TfrmContas::closeEvent(QCloseEvent* e) {
  // Closing hides the window; it keeps its state for the next showing.
  runGuarded([this] { m_.fechar(); });
  QWidget::closeEvent(e);
}

void TfrmContas::keyPressEvent(QKeyEvent* e) {
  // Esc closes the window, once no control took it for itself (an open list closes first).
  if (e->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(e);
}

bool TfrmContas::eventFilter(QObject* o, QEvent* e) {
  if (o == grade_ && e->type() == QEvent::KeyPress) {
    const int tecla = static_cast<QKeyEvent*>(e)->key();
    if (tecla == Qt::Key_Up || tecla == Qt::Key_Down) {
      runGuarded([&] { m_.teclaGrid(tecla == Qt::Key_Up ? -1 : 1); });
      return true;
    }
  }
  return QWidget::eventFilter(o, e);
}

}  // namespace quorvel::ui
