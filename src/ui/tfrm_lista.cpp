#include "ui/tfrm_lista.h"

#include <QAction>
#include <QCheckBox>
#include <QCursor>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "lists/column_operations.h"
#include "lists/grid_operations.h"
#include "lists/header_row.h"
#include "lists/list_cleaning.h"
#include "lists/list_loading.h"
#include "lists/list_saving.h"
#include "lists/suggestion_operations.h"
#include "ui/grid_view.h"
#include "ui/pages/define_columns_page.h"
#include "ui/pages/delete_columns_page.h"
#include "ui/pages/exclusion_page.h"
#include "ui/pages/extractor_page.h"
#include "ui/pages/generate_page.h"
#include "ui/pages/names_page.h"
#include "ui/pages/optimization_page.h"
#include "ui/pages/repeated_page.h"
#include "ui/pages/replace_page.h"
#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

namespace {

// The status line's file label is clicked like a button.
class ClickFilter : public QObject {
 public:
  ClickFilter(QObject* parent, std::function<void()> f) : QObject(parent), f_(std::move(f)) {}
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::MouseButtonRelease) runGuarded(f_);
    return QObject::eventFilter(o, e);
  }

 private:
  std::function<void()> f_;
};

}  // namespace

TfrmLista::TfrmLista(ListEditor& editor, QWidget* parent) : QWidget(parent), editor_(editor) {
  setObjectName(QStringLiteral("TfrmLista"));
  setWindowTitle(QStringLiteral("Lista de trabalho"));
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->setSpacing(4);

  menus_ = new QMenuBar(this);
  menus_->setNativeMenuBar(false);
  lay->addWidget(menus_);
  auto* barra = new QHBoxLayout;
  barra->setContentsMargins(6, 0, 6, 0);
  lay->addLayout(barra);

  paginas_ = new QStackedWidget(this);
  abas_ = new QTabWidget(paginas_);
  abas_->setAccessibleName(QStringLiteral("Listas"));
  for (int aba = 0; aba < 3; ++aba) {
    grades_[aba] = new GridView(editor_, editor_.grid(aba), abas_);
    grades_[aba]->setObjectName(QString::fromLatin1("grade%1").arg(aba));
    abas_->addTab(grades_[aba], q(ListEditor::kAbaTitulos[aba]));
    grades_[aba]->abrirMenu = [this](GridMenu m, QPoint onde) { menuGrade(int(m), onde); };
    grades_[aba]->aposTecla = [this](KeyAction a) {
      if (a == KeyAction::colar) colar();
      if (a == KeyAction::digitarDados) digitarDados();
      if (a == KeyAction::voltarPaginaDados) exibirListaDestinatarios();
    };
  }
  paginas_->addWidget(abas_);
  lay->addWidget(paginas_, 1);

  auto* status = new QHBoxLayout;
  status->setContentsMargins(8, 0, 8, 4);
  itens_ = makeLabel({}, this);
  posicao_ = makeLabel({}, this);
  salvo_ = makeLabel({}, this);
  arquivo_ = new ElidedLabel(this);
  arquivo_->setToolTip(QStringLiteral("Clique para copiar o caminho desse arquivo"));
  arquivo_->setAccessibleName(QStringLiteral("Arquivo:"));
  arquivo_->setCursor(Qt::PointingHandCursor);
  arquivo_->installEventFilter(
      new ClickFilter(arquivo_, [this] { copiarCaminhoArquivo(editor_); }));
  status->addWidget(makeLabel(QStringLiteral("Itens:"), this));
  status->addWidget(itens_);
  status->addSpacing(16);
  status->addWidget(makeLabel(QStringLiteral("Posição:"), this));
  status->addWidget(posicao_);
  status->addSpacing(16);
  status->addWidget(makeLabel(QStringLiteral("Está salvo:"), this));
  status->addWidget(salvo_);
  status->addSpacing(16);
  status->addWidget(arquivo_, 1);
  lay->addLayout(status);

  buildMenus();
  buildStatusBar(barra);
  buildPages();

  connect(abas_, &QTabWidget::currentChanged, this, guarded([this](int aba) {
            if (!refreshing_) editor_.setAbaAtiva(aba);
          }));
  // The editor's keys work wherever the focus is in the main window (a side button, the tabs,
  // the toolbar), not only in the table. A text field keeps its own editing keys: it claims
  // them before a shortcut sees them.
  auto atalho = [this](QKeySequence k, std::function<void()> f, bool soNaLista) {
    auto* s = new QShortcut(k, this);
    s->setContext(Qt::WindowShortcut);
    connect(s, &QShortcut::activated, this, guarded([this, f = std::move(f), soNaLista] {
              if (!isVisible() || (soNaLista && paginaAtual() != pgDados)) return;
              f();
            }));
  };
  atalho(
      QKeySequence(Qt::Key_F2), [this] { salvar(editor_); }, false);
  atalho(
      QKeySequence(Qt::Key_F3), [this] { digitarDados(); }, false);
  atalho(
      QKeySequence(Qt::Key_F4), [this] { keyOnGrid(editor_, Key::f4, false, false); }, false);
  atalho(
      QKeySequence::Undo, [this] { editor_.desfazer(); }, true);
  atalho(
      QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { editor_.refazer(); }, true);
  // The table's own keys, when the focus is elsewhere in the window.
  auto naGrade = [this](Key k) {
    return [this, k] {
      KeyResult r = keyOnGrid(editor_, k, false, true);
      if (r.acao == KeyAction::colar) colar();
    };
  };
  atalho(QKeySequence(Qt::Key_Delete), naGrade(Key::del), true);
  atalho(QKeySequence(Qt::SHIFT | Qt::Key_Delete), naGrade(Key::shiftDel), true);
  atalho(QKeySequence(Qt::CTRL | Qt::Key_C), naGrade(Key::ctrlC), true);
  atalho(QKeySequence(Qt::CTRL | Qt::Key_V), naGrade(Key::ctrlV), true);
  // Esc in a cell being edited drops the edit; anywhere else it returns to the lists.
  atalho(
      QKeySequence(Qt::Key_Escape),
      [this] {
        if (!gradeAtual()->cancelarEdicao()) exibirListaDestinatarios();
      },
      false);

  sub_ = editor_.notices.listen([this](const EditorNotice&) { refreshEditor(); });
  refreshEditor();
}

std::function<int(const std::string&)> TfrmLista::larguraTexto() const {
  return grades_[0]->larguraTexto();
}

void TfrmLista::buildMenus() {
  auto item = [this](QMenu* m, const char* caption, std::function<void()> f) {
    QAction* a = addMenuEntry(m, q(caption));
    connect(a, &QAction::triggered, this, guarded(std::move(f)));
    return a;
  };
  QMenu* abrir = menus_->addMenu(QStringLiteral("Abrir / Inserir"));
  menuAbrir_ = abrir->menuAction();
  item(abrir, "Nova lista", [this] { novaListaMenu(menus_); });
  item(abrir, "Abrir...", [this] { btnAbrirClick(editor_, larguraTexto()); });
  item(abrir, "Digitar ou colar dados (F3)", [this] { digitarDados(); });
  item(abrir, "Extrair e-mails de um texto...", [this] { mostrarPagina(pgExtrator); });

  QMenu* editar = menus_->addMenu(QStringLiteral("Editar"));
  desfazer_ = item(editar, "Desfazer (Ctrl+Z)", [this] { editor_.desfazer(); });
  refazer_ = item(editar, "Refazer (Ctrl+Y)", [this] { editor_.refazer(); });
  editar->addSeparator();
  item(editar, "Esta linha tem o nome das colunas",
       [this] { estaLinhaTemNomeDasColunas(editor_); });
  item(editar, "Obter caminho de arquivo...", [this] { obterCaminhoArquivo(editor_); });
  item(editar, "Copiar", [this] { copiarSelecionados(editor_); });
  item(editar, "Colar (CTRL + V)", [this] { colar(); });
  item(editar, "Excluir conteúdo selecionado (Del)",
       [this] { deletarConteudoSelecionado(editor_); });
  item(editar, "Excluir linhas selecionadas (SHIFT + DEL)",
       [this] { deletarSelecionados(editor_); });
  item(editar, "Excluir colunas em branco", [this] { excluirColunasSemConteudo(editor_); });
  item(editar, "Marcar tudo", [this] { marcarTudo(editor_); });
  item(editar, "Desmarcar tudo", [this] { desmarcarTudo(editor_); });
  item(editar, "Ir para linha...", [this] { irParaLinha(editor_); });
  item(editar, "Localizar", [this] {
    localizar_->setFocus();
    localizar_->selectAll();
  });

  QMenu* colunas = menus_->addMenu(QStringLiteral("Colunas"));
  item(colunas, "Inserir coluna (F4)", [this] { inserirColuna(editor_); });
  item(colunas, "Renomear colunas", [this] { mostrarPagina(pgDefinirColunas); });
  item(colunas, "Excluir colunas...", [this] { mostrarPagina(pgEliminarColuna); });

  QMenu* util = menus_->addMenu(QStringLiteral("Utilitários"));
  item(util, "Eliminar repetidos", [this] { mostrarPagina(pgEliminarRepetidos); });
  item(util, "Usar lista de exclusão...", [this] { mostrarPagina(pgExcluirAvancado); });
  item(util, "Substituir / alterar dados...", [this] { mostrarPagina(pgSubstituir); });
  item(util, "Otimizar quantidade de e-mails", [this] { mostrarPagina(pgOtimizacao); });
  item(util, "Identificar nomes", [this] { mostrarPagina(pgNomes); });
  item(util, "Gerar e-mails", [this] { mostrarPagina(pgGerarEmail); });
  item(util, "Aplicar sugestões",
       [this] { aplicarSugestoes(editor_, SuggestionRows::selecionadasOuTodas); });

  QMenu* salvarMenu = menus_->addMenu(QStringLiteral("Salvar / Exportar..."));
  item(salvarMenu, "Salvar (F2)", [this] { salvar(editor_); });
  item(salvarMenu, "Salvar como...", [this] { salvarComoDialogo(editor_); });
  item(salvarMenu, "Exportar + utilitários", [this] {
    editor_.windows->open(WindowId::exportWindow);
  })->setEnabled(editor_.windows->available(WindowId::exportWindow));
  item(salvarMenu, "Listar dados", [this] { listarDados(editor_); });
}

void TfrmLista::buildStatusBar(QHBoxLayout* barra) {
  auto ligar = [this](QAbstractButton* b, std::function<void()> f) {
    connect(b, &QAbstractButton::clicked, this, guarded(std::move(f)));
    return b;
  };
  abrirLista_ =
      makeButton(QStringLiteral("Abrir lista"), this, QStringLiteral("Abre um arquivo de dados"));
  abrirLista_->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  ligar(abrirLista_, [this] { btnAbrirClick(editor_, larguraTexto()); });
  barra->addWidget(abrirLista_);
  QToolButton* nova = makeIconButton(
      QStyle::SP_FileIcon,
      QStringLiteral("Descarta a lista atual e inicia uma nova lista de trabalho"), this);
  ligar(nova, [this, nova] { novaListaMenu(nova); });
  barra->addWidget(nova);
  QPushButton* colarBtn =
      makeButton(QStringLiteral("Colar"), this,
                 QStringLiteral("Cola dados da área de transferência (CTRL + V)"));
  ligar(colarBtn, [this] { colar(); });
  barra->addWidget(colarBtn);
  barra->addWidget(
      ligar(makeIconButton(QStyle::SP_FileDialogDetailedView,
                           QStringLiteral("(F3) Insere dados na sua lista de trabalho"), this),
            [this] { digitarDados(); }));
  barra->addSpacing(8);
  barra->addWidget(
      ligar(makeIconButton(QStyle::SP_DialogSaveButton,
                           QStringLiteral("Salva os dados no arquivo carregado"), this),
            [this] { salvar(editor_); }));
  barra->addWidget(ligar(makeIconButton(QStyle::SP_DriveHDIcon,
                                        QStringLiteral("Salvar como um novo arquivo..."), this),
                         [this] { salvarComoDialogo(editor_); }));
  QToolButton* copiar = makeIconButton(
      QStyle::SP_FileDialogContentsView,
      QStringLiteral("Copia os dados para você poder colar em outro editor de textos"), this);
  ligar(copiar, [this] {
    auto* m = new QMenu(this);
    m->setAttribute(Qt::WA_DeleteOnClose);
    connect(m->addAction(QStringLiteral("Copiar tudo")), &QAction::triggered, this,
            guarded([this] { copiarTudo(editor_); }));
    connect(m->addAction(QStringLiteral("Copiar itens marcados")), &QAction::triggered, this,
            guarded([this] { copiarSelecionados(editor_); }));
    m->popup(QCursor::pos());
  });
  barra->addWidget(copiar);
  barra->addSpacing(8);
  barra->addWidget(
      ligar(makeIconButton(QStyle::SP_TrashIcon, QStringLiteral("Excluir (Del)"), this),
            [this] { deletarConteudoSelecionado(editor_); }));
  barra->addWidget(ligar(makeIconButton(QStyle::SP_DialogApplyButton,
                                        QStringLiteral("Marca todos os registros"), this),
                         [this] { marcarTudo(editor_); }));
  barra->addWidget(ligar(makeIconButton(QStyle::SP_DialogCancelButton,
                                        QStringLiteral("Desmarca todos os registros"), this),
                         [this] { desmarcarTudo(editor_); }));
  barra->addWidget(ligar(makeIconButton(QStyle::SP_DialogResetButton,
                                        QStringLiteral("Exclui colunas em branco"), this),
                         [this] { excluirColunasSemConteudo(editor_); }));
  barra->addSpacing(8);
  linhaInteira_ = makeCheckBox(QStringLiteral("Selecionar linha inteira"), this);
  connect(linhaInteira_, &QCheckBox::toggled, this, [this](bool inteira) {
    for (GridView* g : grades_) g->setLinhaInteira(inteira);
  });
  barra->addWidget(linhaInteira_);
  barra->addStretch(1);
  // The find box sits at the right end of the menu row, so the toolbar fits a narrow screen.
  auto* busca = new QWidget(menus_);
  auto* buscaLay = new QHBoxLayout(busca);
  buscaLay->setContentsMargins(0, 1, 4, 1);
  buscaLay->setSpacing(4);
  localizar_ = new QLineEdit(busca);
  localizar_->setToolTip(QStringLiteral("Localizar texto"));
  localizar_->setAccessibleName(QStringLiteral("Localizar texto"));
  localizar_->setPlaceholderText(QStringLiteral("Localizar texto"));
  localizar_->setMinimumWidth(150);
  buscaLay->addWidget(localizar_);
  QPushButton* ok = makeButton(QStringLiteral("OK"), busca);
  ligar(ok, [this] { localizarDados(editor_, u(localizar_->text()), -1); });
  buscaLay->addWidget(ok);
  menus_->setCornerWidget(busca, Qt::TopRightCorner);
  connect(localizar_, &QLineEdit::returnPressed, ok, &QPushButton::click);
  connect(localizar_, &QLineEdit::textChanged, this, [this](const QString& t) {
    for (GridView* g : grades_) g->setTermo(t);
  });
}

void TfrmLista::buildPages() {
  paginasEditor_[pgDados] = nullptr;
  paginasEditor_[pgDefinirColunas] = new DefineColumnsPage(editor_, paginas_);
  paginasEditor_[pgEliminarColuna] = new DeleteColumnsPage(editor_, paginas_);
  paginasEditor_[pgEliminarRepetidos] = new RepeatedPage(editor_, paginas_);
  paginasEditor_[pgSubstituir] = new ReplacePage(editor_, paginas_);
  paginasEditor_[pgNomes] = new NamesPage(editor_, paginas_);
  paginasEditor_[pgExcluirAvancado] = new ExclusionPage(editor_, paginas_);
  paginasEditor_[pgOtimizacao] = new OptimizationPage(editor_, paginas_);
  paginasEditor_[pgGerarEmail] = new GeneratePage(editor_, paginas_);
  paginasEditor_[pgExtrator] = new ExtractorPage(editor_, paginas_);
  for (int p = pgDefinirColunas; p < kPaginas; ++p) {
    paginasEditor_[p]->voltar = [this] { exibirListaDestinatarios(); };
    paginas_->addWidget(paginasEditor_[p]);
  }
}

int TfrmLista::paginaAtual() const {
  return paginas_->currentIndex();
}

void TfrmLista::mostrarPagina(Pagina p) {
  if (p != pgDados && paginasEditor_[p]) paginasEditor_[p]->abrir();
  paginas_->setCurrentIndex(p);
}

void TfrmLista::exibirListaDestinatarios() {
  paginas_->setCurrentIndex(pgDados);
  gradeAtual()->setFocus();
}

void TfrmLista::digitarDados() {
  inserirInput(editor_);
}

void TfrmLista::colar() {
  executarColar(editor_);
}

void TfrmLista::novaListaMenu(QWidget* perto) {
  abrirMenuNovaLista(editor_);
  auto* m = new QMenu(this);
  m->setObjectName(QStringLiteral("menuNovaLista"));
  m->setAttribute(Qt::WA_DeleteOnClose);
  const std::pair<const char*, NewListOption> opcoes[] = {
      {"Nova lista (não eliminar colunas)", NewListOption::manterColunas},
      {"Nova lista (eliminar colunas)", NewListOption::eliminarColunas},
      {"Zerar todas as listas", NewListOption::zerarTodas},
  };
  for (const auto& [caption, opcao] : opcoes)
    connect(m->addAction(q(caption)), &QAction::triggered, this,
            guarded([this, o = opcao] { escolherNovaLista(editor_, o); }));
  m->popup(perto->mapToGlobal(QPoint(0, perto->height())));
}

void TfrmLista::menuGrade(int menu, QPoint onde) {
  const GridMenu m = static_cast<GridMenu>(menu);
  if (m == GridMenu::renomearColuna) {
    renomearColuna(editor_, editor_.gSortedColumn);
    return;
  }
  auto* pop = new QMenu(this);
  pop->setAttribute(Qt::WA_DeleteOnClose);
  auto item = [this, pop](const char* caption, std::function<void()> f) {
    QAction* a = pop->addAction(q(caption));
    connect(a, &QAction::triggered, this, guarded(std::move(f)));
    return a;
  };
  if (m == GridMenu::menuPrimeiraLinha) {
    pop->setObjectName(QStringLiteral("menuPrimeiraLinha"));
    item("A primeira linha tem o nome das colunas",
         [this] { setColunaPrimeiraLinha(editor_, *editor_.gGrid, 1); });
    if (editor_.abaAtiva() == kAbaInvalidos)
      item("Aplicar sugestões",
           [this] { aplicarSugestoes(editor_, SuggestionRows::selecionadas); });
  } else {
    pop->setObjectName(QStringLiteral("menuColuna"));
    const int col = editor_.gSortedColumn;
    item("Renomear", [this, col] { renomearColuna(editor_, col); });
    item("Copiar dados desta coluna", [this, col] { copiarColuna(editor_, col); });
    item("Excluir dados desta coluna", [this, col] { limparColuna(editor_, col); });
    item("Excluir linhas se o valor for vazio",
         [this, col] { excluirLinhaSeColunaBranco(editor_, col); });
    item("Excluir linhas se o valor for repetido", [this, col] { excluirRepetidos(editor_, col); });
    item("Excluir coluna", [this, col] { eliminarColuna(editor_, col, true); });
    QAction* rapida = item("Ativar exclusão rápida de colunas...",
                           [this] { alternarExclusaoRapidaColunas(editor_); });
    rapida->setCheckable(true);
    rapida->setChecked(editor_.exclusaoRapidaColunas);
  }
  pop->popup(onde);
}

void TfrmLista::refreshEditor() {
  refreshing_ = true;
  const StatusLine& s = editor_.status;
  itens_->setText(q(s.items));
  posicao_->setText(q(s.position));
  salvo_->setText(q(s.saved));
  arquivo_->setText(q(s.file));
  abrirLista_->setEnabled(editor_.abrirListaHabilitado);
  menuAbrir_->setEnabled(editor_.abrirListaHabilitado);
  desfazer_->setEnabled(editor_.podeDesfazer());
  refazer_->setEnabled(editor_.podeRefazer());
  if (abas_->currentIndex() != editor_.abaAtiva()) abas_->setCurrentIndex(editor_.abaAtiva());
  GridView* g = gradeAtual();
  if (g->isVisibleTo(abas_) != editor_.gridVisivel) {
    // Hidden while an operation rewrites it; the focus comes back with it.
    if (!editor_.gridVisivel) gradeTinhaFoco_ = g->hasFocus();
    g->setVisible(editor_.gridVisivel);
    if (editor_.gridVisivel && gradeTinhaFoco_) g->setFocus();
  }
  refreshing_ = false;
}

QAction* TfrmLista::entradaMenu(const QString& menu, const QString& caption) const {
  for (QAction* m : menus_->actions()) {
    if (m->text() != menu || !m->menu()) continue;
    for (QAction* a : m->menu()->actions())
      if (a->text() == caption) return a;
  }
  return nullptr;
}

QAbstractButton* TfrmLista::botaoBarra(const QString& nome) const {
  for (QAbstractButton* b : findChildren<QAbstractButton*>())
    if (b->accessibleName() == nome || b->text() == nome) return b;
  return nullptr;
}

}  // namespace quorvel::ui
