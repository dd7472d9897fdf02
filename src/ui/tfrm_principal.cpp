#include "ui/tfrm_principal.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/message_box.h"
#include "ui/bulk_page.h"
#include "ui/qt_text.h"
#include "ui/tfrm_lista.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

namespace {

// Pages of the hidden tabs, in PaginaPrincipal order.
const char* const kPaginas[] = {"Principal", "Configurações", "Ajuda"};

}  // namespace

TfrmPrincipal::TfrmPrincipal(MainWindow& model) : QWidget(nullptr, Qt::Window), m_(model) {
  setObjectName(QStringLiteral("TfrmPrincipal"));
  setAttribute(Qt::WA_DeleteOnClose);
  setAcceptDrops(true);
  setWindowIcon(QIcon(QStringLiteral(":/quorvel.png")));

  auto* raiz = new QHBoxLayout(this);
  raiz->setContentsMargins(0, 0, 0, 0);
  raiz->setSpacing(0);
  raiz->addWidget(buildSideBar());

  auto* direita = new QVBoxLayout;
  direita->setContentsMargins(8, 6, 8, 6);
  auto* topo = new QHBoxLayout;
  topo->addWidget(makeTitle(QStringLiteral("Quorvel"), this));
  topo->addStretch(1);
  aviso_ = makeLabel({}, this, true);
  aviso_->setStyleSheet(QStringLiteral("color: #9c2a00; font-weight: bold;"));
  aviso_->hide();
  topo->addWidget(aviso_, 4);
  avisoTimer_ = new QTimer(this);
  avisoTimer_->setSingleShot(true);
  avisoTimer_->setInterval(8000);
  connect(avisoTimer_, &QTimer::timeout, this, [this] { m_.limparAviso(); });
  QPushButton* fechar = ui::makeButton(QStringLiteral("Fechar"), this);
  fechar->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
  connect(fechar, &QPushButton::clicked, this, &QWidget::close);
  topo->addWidget(fechar);
  direita->addLayout(topo);

  paginas_ = new QTabWidget(this);
  paginas_->setDocumentMode(true);
  paginas_->addTab(buildFirstPage(), q(kPaginas[0]));
  paginas_->addTab(buildSettingsPage(), q(kPaginas[1]));
  paginas_->addTab(buildHelpPage(), q(kPaginas[2]));
  direita->addWidget(paginas_, 1);
  raiz->addLayout(direita, 1);

  resize(1180, 760);
  sub_ = m_.notices.listen([this](const MainWindowNotice&) { refresh(); });
  refresh();
}

TfrmPrincipal::~TfrmPrincipal() = default;

QWidget* TfrmPrincipal::buildSideBar() {
  auto* lateral = new QFrame(this);
  lateral->setObjectName(QStringLiteral("lateral"));

  lateral->setStyleSheet(
      QStringLiteral("#lateral { background: #1f4e8c; }"
                     "#lateral QPushButton { color: white; background: transparent; border: none;"
                     " text-align: left; padding: 10px 14px; font-size: 10.5pt; }"
                     "#lateral QPushButton:disabled { color: #9fb3cf; }"
                     "#lateral QPushButton:hover { background: #2b64ad; }"
                     "#lateral QLabel { color: white; }"));
  auto* lay = new QVBoxLayout(lateral);
  lay->setContentsMargins(0, 12, 0, 12);
  lay->setSpacing(2);
  auto* logo = new QLabel(lateral);
  logo->setPixmap(QPixmap(QStringLiteral(":/quorvel.png"))
                      .scaled(72, 72, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  logo->setAlignment(Qt::AlignCenter);
  lay->addWidget(logo);
  lay->addSpacing(16);
  const std::pair<BotaoLateral, const char*> botoes[] = {
      {BotaoLateral::validarEmails, "Validar e-mails"},
      {BotaoLateral::definicoes, "Definições online (atualizar)"},
      {BotaoLateral::configuracoes, "Configurações"},
      {BotaoLateral::ajuda, "Ajuda"},
      {BotaoLateral::tutoriais, "Tutoriais / documentação"},
  };
  for (const auto& [id, caption] : botoes) {
    QPushButton* b = ui::makeButton(q(caption), lateral);
    b->setCursor(Qt::PointingHandCursor);
    laterais_[id] = b;
    lay->addWidget(b);
  }
  lay->addStretch(1);
  // As wide as its longest caption needs, so the lists keep the rest of a small screen.
  int largura = 180;
  for (const auto& [id, b] : laterais_) largura = std::max(largura, b->sizeHint().width() + 8);
  lateral->setFixedWidth(largura);
  destaque_ = new QFrame(lateral);
  destaque_->setObjectName(QStringLiteral("destaque"));
  destaque_->setStyleSheet(
      QStringLiteral("#destaque { border: 3px solid #f5b51b; background: transparent; }"));
  destaque_->setAttribute(Qt::WA_TransparentForMouseEvents);
  destaque_->hide();

  connect(laterais_[BotaoLateral::validarEmails], &QPushButton::clicked, this,
          guarded([this] { m_.validarEmails(); }));
  connect(laterais_[BotaoLateral::definicoes], &QPushButton::clicked, this,
          guarded([this] { m_.definicoesOnline(); }));
  connect(laterais_[BotaoLateral::configuracoes], &QPushButton::clicked, this,
          guarded([this] { m_.configuracoes(); }));
  connect(laterais_[BotaoLateral::ajuda], &QPushButton::clicked, this,
          guarded([this] { m_.ajuda(); }));
  connect(laterais_[BotaoLateral::tutoriais], &QPushButton::clicked, this, guarded([this] {
            auto* menu = new QMenu(this);
            menu->setObjectName(QStringLiteral("menuTutoriais"));
            menu->setAttribute(Qt::WA_DeleteOnClose);
            for (const LinkTutorial& link : m_.tutoriais())
              connect(menu->addAction(q(link.titulo)), &QAction::triggered, this,
                      guarded([this, link] { m_.abrirLink(link); }));
            QPushButton* b = laterais_[BotaoLateral::tutoriais];
            menu->popup(b->mapToGlobal(QPoint(b->width(), 0)));
          }));
  return lateral;
}

QWidget* TfrmPrincipal::buildFirstPage() {
  auto* pagina = new QWidget(this);
  auto* lay = new QVBoxLayout(pagina);
  lay->setContentsMargins(0, 4, 0, 0);
  auto* modos = new QHBoxLayout;
  classico_ = ui::makeButton(QStringLiteral("Clássico"), pagina);
  grandesBtn_ = ui::makeButton(QStringLiteral("Grandes"), pagina);
  for (QPushButton* b : {classico_, grandesBtn_}) {
    b->setCheckable(true);
    b->setMinimumWidth(110);
    modos->addWidget(b);
  }
  modos->addStretch(1);
  lay->addLayout(modos);
  primeira_ = new QStackedWidget(pagina);
  lista_ = new TfrmLista(m_.app.editor, primeira_);
  grandes_ = new BulkPage(m_.app.grandes, primeira_);
  primeira_->addWidget(lista_);
  primeira_->addWidget(grandes_);
  lay->addWidget(primeira_, 1);
  connect(classico_, &QPushButton::clicked, this, guarded([this] { m_.classico(); }));
  connect(grandesBtn_, &QPushButton::clicked, this, guarded([this] { m_.grandes(); }));
  return pagina;
}

QWidget* TfrmPrincipal::buildSettingsPage() {
  auto* pagina = new QWidget(this);
  auto* lay = new QVBoxLayout(pagina);
  lay->setContentsMargins(24, 16, 24, 16);
  lay->setSpacing(10);
  lay->addWidget(makeTitle(QStringLiteral("Configurações"), pagina));
  auto adicionar = [&](const char* caption, std::function<void()> f) {
    QPushButton* b = ui::makeButton(q(caption), pagina);
    b->setMinimumHeight(34);
    connect(b, &QPushButton::clicked, this, guarded(std::move(f)));
    lay->addWidget(b, 0, Qt::AlignLeft);
    return b;
  };
  auto abrir = [&](const char* caption, WindowId janela) {
    QPushButton* b = adicionar(caption, [this, janela] { m_.abrirJanela(janela); });
    b->setEnabled(m_.disponivel(janela));
    janelas_.emplace_back(b, janela);
  };
  adicionar("Manutenção no banco de dados", [this] { m_.manutencaoBanco(); });
  abrir("Configurar contas de e-mail", WindowId::accounts);
  abrir("Baixar erros e descadastramentos", WindowId::mailbox);
  abrir("Colaboração de dados", WindowId::collaboration);
  checkDefinition_ = makeCheckBox(q(kCkbCheckDefinition), pagina);
  connect(checkDefinition_, &QCheckBox::clicked, this,
          guarded([this](bool marcado) { m_.setCheckDefinition(marcado); }));
  lay->addSpacing(8);
  lay->addWidget(checkDefinition_);
  lay->addStretch(1);
  adicionar("Voltar à seção principal", [this] { m_.voltarPrincipal(); });
  return pagina;
}

QWidget* TfrmPrincipal::buildHelpPage() {
  auto* pagina = new QWidget(this);
  auto* lay = new QVBoxLayout(pagina);
  lay->setContentsMargins(24, 16, 24, 16);
  lay->addWidget(makeTitle(QStringLiteral("Ajuda"), pagina));
  QLabel* texto =
      makeLabel(q(comQuebrasDeLinha(kTextoAjuda)).remove(QLatin1Char('\r')), pagina, true);
  texto->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  auto* area = new QScrollArea(pagina);
  area->setWidget(texto);
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  lay->addWidget(area, 1);
  QPushButton* voltar = ui::makeButton(QStringLiteral("Voltar à seção principal"), pagina);
  connect(voltar, &QPushButton::clicked, this, guarded([this] { m_.voltarPrincipal(); }));
  lay->addWidget(voltar, 0, Qt::AlignLeft);
  return pagina;
}

void TfrmPrincipal::refresh() {
  if (!m_.caption.empty()) setWindowTitle(q(m_.caption));
  paginas_->tabBar()->setVisible(m_.abasVisiveis);
  paginas_->setCurrentIndex(static_cast<int>(m_.pagina));
  primeira_->setCurrentWidget(m_.primeiraPagina == PrimeiraPagina::grandes
                                  ? static_cast<QWidget*>(grandes_)
                                  : static_cast<QWidget*>(lista_));
  classico_->setChecked(m_.primeiraPagina == PrimeiraPagina::classico);
  grandesBtn_->setChecked(m_.primeiraPagina == PrimeiraPagina::grandes);
  checkDefinition_->setChecked(m_.ckbCheckDefinition);
  laterais_[BotaoLateral::validarEmails]->setEnabled(m_.disponivel(WindowId::validation));
  laterais_[BotaoLateral::definicoes]->setEnabled(m_.disponivel(WindowId::definitions));
  for (auto& [b, janela] : janelas_) b->setEnabled(m_.disponivel(janela));
  setAcceptDrops(m_.aceitaArquivos);
  if (aviso_->text() != q(m_.aviso)) {
    aviso_->setText(q(m_.aviso));
    aviso_->setVisible(!m_.aviso.empty());
    if (!m_.aviso.empty()) avisoTimer_->start();
  }
  moverDestaque();
}

void TfrmPrincipal::moverDestaque() {
  auto it = laterais_.find(m_.destaque);
  if (it == laterais_.end()) {
    destaque_->hide();
    return;
  }
  destaque_->setGeometry(it->second->geometry().adjusted(2, 0, -2, 0));
  destaque_->show();
  destaque_->raise();
}

void TfrmPrincipal::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  moverDestaque();
}

void TfrmPrincipal::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (exibida_) return;
  exibida_ = true;
  runGuarded([this] { m_.aoExibir(); });
}

void TfrmPrincipal::closeEvent(QCloseEvent* e) {
  if (!fechada_) {
    // Not while a run or an operation goes on, nor before unsaved lists were offered a save.
    bool pode = false;
    m_.operacaoEmAndamento = runningActions() > 0;
    runGuarded([&] { pode = m_.podeFechar(); });
    m_.operacaoEmAndamento = false;
    if (!pode) {
      e->ignore();
      return;
    }
  }
  QWidget::closeEvent(e);
  if (fechada_) return;
  fechada_ = true;
  sub_.cancel();
  // The model goes with the window; the launcher shows again.
  runGuarded([this] { m_.fechar(); });
}

void TfrmPrincipal::dragEnterEvent(QDragEnterEvent* e) {
  if (m_.aceitaArquivos && e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TfrmPrincipal::dropEvent(QDropEvent* e) {
  std::vector<std::string> caminhos;
  for (const QUrl& url : e->mimeData()->urls())
    caminhos.push_back(u(url.isLocalFile() ? url.toLocalFile() : url.toString()));
  e->acceptProposedAction();
  runGuarded([&] { m_.soltarArquivos(caminhos, lista_->larguraTexto()); });
}

QPushButton* TfrmPrincipal::botaoLateral(BotaoLateral b) const {
  auto it = laterais_.find(b);
  return it == laterais_.end() ? nullptr : it->second;
}

QPushButton* TfrmPrincipal::botao(const QString& caption) const {
  for (QPushButton* b : findChildren<QPushButton*>())
    if (b->text() == caption) return b;
  return nullptr;
}

}  // namespace quorvel::ui
