#include "ui/grid_view.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <memory>

#include "common/text.h"
#include "ui/qt_text.h"
#include "ui/ui_action.h"

namespace quorvel::ui {

namespace {

const QColor kDestaque(192, 220, 192);

// Paints `termo`'s first occurrence in `texto` again on the highlight colour, inside `area`
// (where the text was drawn), clipped to `celula`.
void pintarDestaque(QPainter* p, const QFont& fonte, const QRect& area, const QRect& celula,
                    const QString& texto, const QString& termo, Qt::Alignment alinhamento) {
  if (termo.isEmpty()) return;
  const qsizetype pos = texto.indexOf(termo, 0, Qt::CaseInsensitive);
  if (pos < 0) return;
  QFontMetrics fm(fonte);
  const QString trecho = texto.mid(pos, termo.size());
  int inicio = area.left();
  if (alinhamento & Qt::AlignHCenter) inicio += (area.width() - fm.horizontalAdvance(texto)) / 2;
  const QRect fundo(inicio + fm.horizontalAdvance(texto.left(pos)) + 1, celula.top(),
                    fm.horizontalAdvance(trecho), celula.height());
  p->save();
  p->setClipRect(celula);
  p->fillRect(fundo, kDestaque);
  p->setFont(fonte);
  p->setPen(Qt::black);
  p->drawText(QRect(fundo.left(), area.top(), fundo.width() + 2, area.height()),
              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, trecho);
  p->restore();
}

}  // namespace

void HighlightDelegate::paint(QPainter* p, const QStyleOptionViewItem& opt,
                              const QModelIndex& i) const {
  // Cells are plain text on one line: drawn directly, not through the style's item layout, so
  // that paging through a million rows stays quick.
  const QWidget* w = opt.widget;
  QStyle* estilo = w ? w->style() : QApplication::style();
  const bool selecionada = opt.state & QStyle::State_Selected;
  const QPalette::ColorGroup grupo = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                     : (opt.state & QStyle::State_Active) ? QPalette::Normal
                                                                          : QPalette::Inactive;
  // Each cell paints its whole rectangle: a text running past its cell is covered by the next.
  p->fillRect(opt.rect,
              opt.palette.brush(grupo, selecionada ? QPalette::Highlight : QPalette::Base));
  const int margem = estilo->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, w) + 1;
  const QRect area = opt.rect.adjusted(margem, 0, -margem, 0);
  QString texto = i.data(Qt::DisplayRole).toString();
  if (!texto.isEmpty()) {
    texto.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    p->setFont(opt.font);
    p->setPen(opt.palette.color(grupo, selecionada ? QPalette::HighlightedText : QPalette::Text));
    const QFontMetrics& fm = opt.fontMetrics;
    const int base = area.top() + (area.height() - fm.height()) / 2 + fm.ascent();
    p->drawText(QPoint(area.left(), base), texto);
    pintarDestaque(p, opt.font, area, opt.rect, texto, termo, Qt::AlignLeft);
  }
  if (opt.state & QStyle::State_HasFocus) {
    QStyleOptionFocusRect foco;
    foco.QStyleOption::operator=(opt);
    foco.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
    foco.backgroundColor =
        opt.palette.color(grupo, selecionada ? QPalette::Highlight : QPalette::Window);
    estilo->drawPrimitive(QStyle::PE_FrameFocusRect, &foco, p, w);
  }
}

QWidget* HighlightDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& opt,
                                         const QModelIndex& i) const {
  QWidget* w = QStyledItemDelegate::createEditor(parent, opt, i);
  if (w && filtroEditor) w->installEventFilter(filtroEditor);
  return w;
}

GridHeaderView::GridHeaderView(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
  setSectionsMovable(true);
  setSectionsClickable(true);
  setHighlightSections(false);
  setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void GridHeaderView::paintSection(QPainter* p, const QRect& r, int logical) const {
  QHeaderView::paintSection(p, r, logical);
  if (!termo || termo->isEmpty() || !model()) return;
  const QString texto = model()->headerData(logical, Qt::Horizontal, Qt::DisplayRole).toString();
  QStyleOptionHeader o;
  initStyleOption(&o);
  o.rect = r;
  const QRect area = style()->subElementRect(QStyle::SE_HeaderLabel, &o, this);
  pintarDestaque(p, font(), area, r, texto, *termo, defaultAlignment());
}

bool GridHeaderView::naDivisa(int x) const {
  const int margem = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
  const int secao = logicalIndexAt(x);
  if (secao < 0) return false;
  const int inicio = sectionViewportPosition(secao);
  const int fim = inicio + sectionSize(secao);
  return x >= fim - margem || (visualIndex(secao) > 0 && x <= inicio + margem);
}

void GridHeaderView::mousePressEvent(QMouseEvent* e) {
  arrastandoDivisa_ = e->button() == Qt::LeftButton && naDivisa(e->position().toPoint().x());
  QHeaderView::mousePressEvent(e);
}

void GridHeaderView::mouseReleaseEvent(QMouseEvent* e) {
  // The header finishes a drag first (a moved column sets the flag the release then clears).
  QHeaderView::mouseReleaseEvent(e);
  // The release that ends a width drag is no click on the title: it neither sorts nor deletes.
  if (arrastandoDivisa_) {
    arrastandoDivisa_ = false;
    return;
  }
  if (aoSoltar) aoSoltar(e);
}

GridView::GridView(ListEditor& editor, TextGrid& grid, QWidget* parent)
    : QTableView(parent), editor_(editor), grid_(grid) {
  modelo_ = new GridTableModel(editor, grid, this);
  cabecalho_ = new GridHeaderView(this);
  setHorizontalHeader(cabecalho_);
  setModel(modelo_);
  delegado_ = new HighlightDelegate(this);
  delegado_->filtroEditor = this;
  setItemDelegate(delegado_);
  cabecalho_->termo = &delegado_->termo;
  // Cells are plain text: no complex shaping (kerning, ligatures), which costs most of a page's
  // painting.
  QFont fonte = font();
  fonte.setStyleStrategy(QFont::PreferNoShaping);
  setFont(fonte);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  setWordWrap(false);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed);
  setTabKeyNavigation(false);
  installEventFilter(this);
  setAccessibleName(QStringLiteral("Lista de trabalho"));

  cabecalho_->aoSoltar = [this](QMouseEvent* e) {
    soltar(cabecalho_->logicalIndexAt(e->position().toPoint()), 0, e->button(),
           e->globalPosition().toPoint());
  };
  connect(cabecalho_, &QHeaderView::sectionMoved, this, acao([this](int, int de, int para) {
            // The model moves the column's data; the header goes back to its own order.
            QSignalBlocker bloqueio(cabecalho_);
            cabecalho_->moveSection(para, de);
            moverColuna(editor_, de, para);
          }));
  connect(cabecalho_, &QHeaderView::sectionResized, this, [this](int col, int, int nova) {
    if (seguindo_ || col >= grid_.colCount()) return;
    seguindo_ = true;
    grid_.setColWidth(col, nova);
    seguindo_ = false;
  });
  connect(modelo_, &GridTableModel::widthsChanged, this, [this] { seguirLarguras(); });
  connect(modelo_, &GridTableModel::selectionChanged, this, [this] { seguirSelecao(); });
  connect(modelo_, &QAbstractItemModel::modelReset, this, [this] {
    seguirLarguras();
    seguirSelecao();
  });
  connect(modelo_, &QAbstractItemModel::columnsInserted, this, [this] { seguirLarguras(); });
  seguirLarguras();
}

void GridView::setTermo(const QString& termo) {
  delegado_->termo = termo;
  viewport()->update();
  cabecalho_->viewport()->update();
}

bool GridView::cancelarEdicao() {
  if (state() != QAbstractItemView::EditingState) return false;
  if (QWidget* editor = indexWidget(currentIndex()); editor || QApplication::focusWidget()) {
    closeEditor(editor ? editor : QApplication::focusWidget(),
                QAbstractItemDelegate::RevertModelCache);
    setFocus();
  }
  return true;
}

void GridView::setLinhaInteira(bool inteira) {
  linhaInteira_ = inteira;
  setSelectionBehavior(inteira ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

std::function<int(const std::string&)> GridView::larguraTexto() const {
  // Summed from a table of advances (filled as characters show up), so a million rows are
  // measured in a blink; texts with characters beyond the table are measured whole.
  struct Medida {
    QFontMetrics fm;
    std::vector<int> avancos = std::vector<int>(0x800, -1);
    explicit Medida(const QFont& f) : fm(f) {}
    int operator()(const std::string& s) {
      int w = 0;
      for (size_t i = 0; i < s.size();) {
        const int cp = nextCodePoint(s, i);
        if (cp < 0 || cp >= static_cast<int>(avancos.size())) return fm.horizontalAdvance(q(s));
        int& a = avancos[static_cast<size_t>(cp)];
        if (a < 0) a = fm.horizontalAdvance(QChar(cp));
        w += a;
      }
      return w;
    }
  };
  auto medida = std::make_shared<Medida>(font());
  return [medida](const std::string& s) { return (*medida)(s); };
}

void GridView::seguirLarguras() {
  if (seguindo_) return;
  seguindo_ = true;
  const int n = std::min(grid_.colCount(), modelo_->columnCount());
  for (int c = 0; c < n; ++c)
    if (columnWidth(c) != grid_.colWidth(c)) setColumnWidth(c, grid_.colWidth(c));
  seguindo_ = false;
}

void GridView::seguirSelecao() {
  if (seguindo_) return;
  seguindo_ = true;
  const TextGrid::Selection s = grid_.selection;
  const int linhas = modelo_->rowCount(), colunas = modelo_->columnCount();
  const int top = std::clamp(std::min(s.top, s.bottom) - 1, 0, linhas - 1);
  const int bottom = std::clamp(std::max(s.top, s.bottom) - 1, 0, linhas - 1);
  const int left = std::clamp(std::min(s.left, s.right), 0, colunas - 1);
  const int right = std::clamp(std::max(s.left, s.right), 0, colunas - 1);
  if (linhas > 0 && colunas > 0) {
    QItemSelection selecao(modelo_->index(top, linhaInteira_ ? 0 : left),
                           modelo_->index(bottom, linhaInteira_ ? colunas - 1 : right));
    const QModelIndex atual = modelo_->index(std::clamp(grid_.cursorRow - 1, 0, linhas - 1),
                                             std::clamp(grid_.cursorCol, 0, colunas - 1));
    selectionModel()->setCurrentIndex(atual, QItemSelectionModel::NoUpdate);
    selectionModel()->select(selecao, QItemSelectionModel::ClearAndSelect);
    scrollTo(atual);
  }
  seguindo_ = false;
  // "Posição:" follows the cursor wherever it was moved from.
  if (&grid_ == editor_.gGrid) {
    editor_.showStatus(grid_);
    editor_.changed();
  }
}

void GridView::guardarSelecao() {
  if (seguindo_ || modelo_->repetindo()) return;
  // The selected rectangle as the grid counts it (row 0 is the header).
  const QItemSelection sel = selectionModel()->selection();
  if (sel.isEmpty()) return;
  int top = INT_MAX, left = INT_MAX, bottom = -1, right = -1;
  for (const QItemSelectionRange& r : sel) {
    top = std::min(top, r.top());
    left = std::min(left, r.left());
    bottom = std::max(bottom, r.bottom());
    right = std::max(right, r.right());
  }
  grid_.selection = {left, top + 1, right, bottom + 1};
}

void GridView::currentChanged(const QModelIndex& atual, const QModelIndex& anterior) {
  QTableView::currentChanged(atual, anterior);
  if (seguindo_ || modelo_->repetindo() || !atual.isValid()) return;
  grid_.cursorCol = atual.column();
  grid_.cursorRow = atual.row() + 1;
  editor_.showStatus(grid_);
  editor_.changed();
}

void GridView::selectionChanged(const QItemSelection& sel, const QItemSelection& desel) {
  QTableView::selectionChanged(sel, desel);
  guardarSelecao();
}

void GridView::mouseReleaseEvent(QMouseEvent* e) {
  QTableView::mouseReleaseEvent(e);
  const QPoint p = e->position().toPoint();
  const int row = rowAt(p.y()), col = columnAt(p.x());
  soltar(col, row < 0 ? -1 : row + 1, e->button(), e->globalPosition().toPoint());
}

void GridView::soltar(int col, int row, Qt::MouseButton b, QPoint global) {
  executarAcao([&] {
    MouseButton botao = b == Qt::RightButton  ? MouseButton::direito
                        : b == Qt::LeftButton ? MouseButton::esquerdo
                                              : MouseButton::meio;
    GridMenu menu = aoSoltarMouse(editor_, col, row, botao);
    setFocus();
    if (menu != GridMenu::nenhum && abrirMenu) abrirMenu(menu, global);
  });
}

bool GridView::eventFilter(QObject* o, QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    const bool editando = o != this;
    bool consumida = false;
    executarAcao([&] { consumida = tecla(static_cast<QKeyEvent*>(e), editando); });
    if (consumida) return true;
  }
  return QTableView::eventFilter(o, e);
}

bool GridView::tecla(QKeyEvent* e, bool editando) {
  const int k = e->key();
  const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  Key tecla;
  if (k == Qt::Key_Delete && mods == Qt::ShiftModifier)
    tecla = Key::shiftDel;
  else if (k == Qt::Key_Delete && mods == Qt::NoModifier)
    tecla = Key::del;
  else if (k == Qt::Key_Up)
    tecla = Key::cima;
  else if (k == Qt::Key_Down)
    tecla = Key::baixo;
  else if (k == Qt::Key_Left)
    tecla = Key::esquerda;
  else if (k == Qt::Key_Right)
    tecla = Key::direita;
  else if (k == Qt::Key_Return || k == Qt::Key_Enter)
    tecla = Key::enter;
  else if (k == Qt::Key_V && mods == Qt::ControlModifier)
    tecla = Key::ctrlV;
  else if (k == Qt::Key_C && mods == Qt::ControlModifier)
    tecla = Key::ctrlC;
  else if (k == Qt::Key_Escape || k == Qt::Key_F2 || k == Qt::Key_F3 || k == Qt::Key_F4)
    return false;  // the editor window's own keys
  else if (k == Qt::Key_Shift || k == Qt::Key_Control || k == Qt::Key_Alt || k == Qt::Key_Meta ||
           k == Qt::Key_PageUp || k == Qt::Key_PageDown || k == Qt::Key_Home || k == Qt::Key_End ||
           k == Qt::Key_Tab || k == Qt::Key_Backtab)
    return false;  // moving around is no edit
  else
    tecla = Key::outra;

  if (editando) {
    // In the cell editor only a multi-line paste is the editor's; the editor handles the rest.
    if (tecla != Key::ctrlV) return false;
  } else if (tecla == Key::cima || tecla == Key::esquerda) {
    return false;
  }
  // Moving with the arrows inside the grid is Qt's; only the last row / column are special.
  if ((tecla == Key::baixo && grid_.cursorRow != grid_.rowCount() - 1) ||
      (tecla == Key::direita && grid_.cursorCol != grid_.colCount() - 1))
    return false;
  KeyResult r = keyOnGrid(editor_, tecla, editando, true);
  if (r.acao == KeyAction::colar && editando) {
    // Cell editing ends first.
    if (QWidget* w = QApplication::focusWidget())
      commitData(w), closeEditor(w, QAbstractItemDelegate::NoHint);
    setFocus();
  }
  if (r.acao != KeyAction::nenhuma && aposTecla) aposTecla(r.acao);
  return r.consumida;
}

}  // namespace quorvel::ui
