#include "common/grid_journal.h"

#include <algorithm>
#include <type_traits>

#include "common/text_grid.h"

namespace quorvel {

namespace {

// What a kept text costs: the string object and, past the small-string buffer, its heap block.
size_t custo(const std::string& s) {
  return sizeof(std::string) + (s.capacity() > 15 ? s.capacity() + 1 : 0);
}

size_t custo(std::string_view s) {
  return sizeof(std::string) + (s.size() > 15 ? s.size() + 1 : 0);
}

size_t custo(const GridJournal::Row& r) {
  size_t n = sizeof(GridJournal::Row);
  for (const auto& c : r) n += custo(c);
  return n;
}

size_t custo(const std::vector<GridJournal::Row>& linhas) {
  size_t n = sizeof(linhas);
  for (const auto& r : linhas) n += custo(r);
  return n;
}

size_t custo(const CellStore& linhas) {
  return sizeof(linhas) + linhas.bytes();
}

}  // namespace

void GridJournal::beginStep() {
  if (profundidade_++ == 0) aberto_ = Step{};
}

void GridJournal::endStep() {
  if (profundidade_ == 0 || --profundidade_ > 0) return;
  Step s = std::move(aberto_);
  aberto_ = Step{};
  if (!s.entradas.empty()) commit(std::move(s), false);
}

void GridJournal::clear() {
  desfazer_.clear();
  refazer_.clear();
  aberto_ = Step{};
  bytes_ = 0;
  base_ = proximoId_++;
  descartado_ = false;
}

bool GridJournal::guardaPasso(uint64_t id, bool refazer) const {
  const auto& passos = refazer ? refazer_ : desfazer_;
  return std::any_of(passos.begin(), passos.end(), [id](const Step& p) { return p.id == id; });
}

void GridJournal::marcarSalvo() {
  if (profundidade_ > 0 && !aberto_.entradas.empty())
    aberto_.salvoApos = aberto_.entradas.size();  // the state the step's entries so far lead to
  else
    salvo_ = estado();
}

GridJournal::Step& GridJournal::alvo() {
  if (reverso_) return *reverso_;
  return aberto_;
}

void GridJournal::record(Entry e, size_t bytes) {
  Step& s = alvo();
  if (s.entradas.empty() && grid_) {
    s.cursorCol = grid_->cursorCol;
    s.cursorRow = grid_->cursorRow;
  }
  s.entradas.push_back(std::move(e));
  s.bytes += bytes;
  // A change outside any step is a step of its own.
  if (!reverso_ && profundidade_ == 0) {
    Step pronto = std::move(aberto_);
    aberto_ = Step{};
    commit(std::move(pronto), false);
  }
}

void GridJournal::commit(Step s, bool aoDesfazer) {
  s.id = proximoId_++;
  const bool salvo = s.salvoApos == s.entradas.size();
  if (salvo) salvo_ = s.id;
  if (!aoDesfazer) {
    for (const Step& r : refazer_) bytes_ -= r.bytes;
    refazer_.clear();
  }
  descartado_ = false;
  if (s.bytes > limiteBytes_) {
    // Too large to keep: nothing older can be undone either, or the list would come back to a
    // state it never was in.
    for (const Step& d : desfazer_) bytes_ -= d.bytes;
    desfazer_.clear();
    base_ = s.id;
    descartado_ = true;
  } else {
    bytes_ += s.bytes;
    desfazer_.push_back(std::move(s));
    trim();
  }
  if (aoMudar) aoMudar(salvo);
}

void GridJournal::trim() {
  size_t tirar = 0;
  size_t bytes = bytes_;
  while (tirar + 1 < desfazer_.size() &&
         (bytes > limiteBytes_ || static_cast<int>(desfazer_.size() - tirar) > limitePassos_)) {
    bytes -= desfazer_[tirar].bytes;
    ++tirar;
  }
  if (tirar == 0) return;
  base_ = desfazer_[tirar - 1].id;
  desfazer_.erase(desfazer_.begin(), desfazer_.begin() + static_cast<ptrdiff_t>(tirar));
  bytes_ = bytes;
}

bool GridJournal::undo(TextGrid& g) {
  return replay(g, desfazer_, refazer_, true);
}

bool GridJournal::redo(TextGrid& g) {
  return replay(g, refazer_, desfazer_, false);
}

bool GridJournal::replay(TextGrid& g, std::vector<Step>& de, std::vector<Step>& para,
                         bool desfazendo) {
  if (de.empty() || profundidade_ > 0 || reverso_) return false;
  Step passo = std::move(de.back());
  de.pop_back();
  bytes_ -= passo.bytes;
  Step reverso;
  reverso_ = &reverso;
  {
    TextGrid::Update atualizacao(g);
    g.semMinimo_ = true;
    for (auto it = passo.entradas.rbegin(); it != passo.entradas.rend(); ++it) applyInverse(g, *it);
    g.semMinimo_ = false;
    g.moverCursor(std::clamp(passo.cursorCol, 0, g.colCount() - 1),
                  std::clamp(passo.cursorRow, 0, g.rowCount() - 1));
  }
  reverso_ = nullptr;
  // Either way the new step stands for the state the replayed one led to: ids name states, so a
  // saved state is recognised however it is reached again.
  reverso.id = passo.id;
  (void)desfazendo;
  bytes_ += reverso.bytes;
  para.push_back(std::move(reverso));
  if (aoMudar) aoMudar(false);
  return true;
}

void GridJournal::applyInverse(TextGrid& g, Entry& entrada) {
  std::visit(
      [&](auto& e) {
        using E = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<E, Cell>) {
          g.setCell(e.col, e.row, std::move(e.antigo));
        } else if constexpr (std::is_same_v<E, RowReplaced>) {
          g.setRowCells(e.row, std::move(e.antiga));
        } else if constexpr (std::is_same_v<E, RowsGrown>) {
          // May go below two rows for a moment: the grid was there just before the change that
          // this entry follows (a deletion that had left the header alone).
          g.truncateRows(e.contagem);
        } else if constexpr (std::is_same_v<E, RowsTruncated>) {
          g.appendRows(e.linhas);
        } else if constexpr (std::is_same_v<E, RowDeleted>) {
          g.insertRow(e.row, std::move(e.linha));
        } else if constexpr (std::is_same_v<E, RowInserted>) {
          g.deleteRow(e.row);
        } else if constexpr (std::is_same_v<E, RowsRemoved>) {
          g.insertRows(e.flags, e.linhas);
        } else if constexpr (std::is_same_v<E, RowsInserted>) {
          g.removeRows(e.flags);
        } else if constexpr (std::is_same_v<E, Reordered>) {
          std::vector<int> inversa(e.ordem.size());
          for (size_t i = 0; i < e.ordem.size(); ++i)
            inversa[static_cast<size_t>(e.ordem[i] - 1)] = static_cast<int>(i) + 1;
          g.reorderRows(inversa);
        } else if constexpr (std::is_same_v<E, ColsGrown>) {
          g.setColCount(e.contagem);
        } else if constexpr (std::is_same_v<E, ColsTruncated>) {
          // The new columns' inverse (their removal) keeps whatever they hold: the cells are
          // filled without entries of their own.
          const int desde = e.desde;
          g.setColCount(desde + static_cast<int>(e.larguras.size()));
          ++pausado_;
          for (int r = 0; r < g.rowCount() && r < static_cast<int>(e.celulas.size()); ++r)
            for (size_t k = 0; k < e.celulas[r].size(); ++k)
              g.setCell(desde + static_cast<int>(k), r, std::move(e.celulas[r][k]));
          --pausado_;
          for (size_t k = 0; k < e.larguras.size(); ++k)
            g.setColWidth(desde + static_cast<int>(k), e.larguras[k]);
        } else if constexpr (std::is_same_v<E, ColumnDeleted>) {
          g.insertColumn(e.col);
          ++pausado_;
          g.setColumnCells(e.col, e.celulas);
          --pausado_;
          g.setColWidth(e.col, e.largura);
        } else if constexpr (std::is_same_v<E, ColumnInserted>) {
          g.deleteColumn(e.col);
        } else if constexpr (std::is_same_v<E, ColumnReplaced>) {
          g.setColumnCells(e.col, e.celulas);
        } else if constexpr (std::is_same_v<E, CellsFilled>) {
          if (e.celulas.empty()) return;
          const auto [c0, r0] = e.celulas.front();
          std::string atual(g.cell(c0, r0));
          ++pausado_;
          {
            TextGrid::Update atualizacao(g);
            for (const auto& [c, r] : e.celulas) g.setCell(c, r, e.antigo);
          }
          --pausado_;
          cellsFilled(std::move(e.celulas), std::move(atual));
        } else if constexpr (std::is_same_v<E, Whole>) {
          TextGrid antiga;
          antiga.cells_ = std::move(e.celulas);
          antiga.widths_ = std::move(e.larguras);
          antiga.cursorCol = std::min(g.cursorCol, antiga.colCount() - 1);
          antiga.cursorRow = std::min(g.cursorRow, antiga.rowCount() - 1);
          antiga.selection = {antiga.cursorCol, antiga.cursorRow, antiga.cursorCol,
                              antiga.cursorRow};
          g = std::move(antiga);
        }
      },
      entrada);
}

// --- what the grid tells --------------------------------------------------------------------

void GridJournal::cellChanging(int col, int row, std::string_view antigo) {
  size_t n = sizeof(Cell) + custo(antigo);
  record(Cell{col, row, std::string(antigo)}, n);
}

void GridJournal::rowReplaced(int row, Row antiga) {
  size_t n = sizeof(RowReplaced) + custo(antiga);
  record(RowReplaced{row, std::move(antiga)}, n);
}

void GridJournal::rowsGrowing(int contagemAntiga) {
  Step& s = alvo();
  // Rows appended one after another in one step: the first count already undoes them all.
  if ((profundidade_ > 0 || reverso_) && !s.entradas.empty())
    if (const auto* antes = std::get_if<RowsGrown>(&s.entradas.back());
        antes && antes->contagem <= contagemAntiga)
      return;
  record(RowsGrown{contagemAntiga}, sizeof(RowsGrown));
}

void GridJournal::rowsTruncated(int desde, CellStore linhas) {
  size_t n = sizeof(RowsTruncated) + custo(linhas);
  record(RowsTruncated{desde, std::move(linhas)}, n);
}

void GridJournal::rowDeleted(int row, Row linha) {
  size_t n = sizeof(RowDeleted) + custo(linha);
  record(RowDeleted{row, std::move(linha)}, n);
}

void GridJournal::rowInserted(int row) {
  record(RowInserted{row}, sizeof(RowInserted));
}

void GridJournal::rowsRemoved(std::vector<char> flags, CellStore linhas) {
  size_t n = sizeof(RowsRemoved) + flags.capacity() + custo(linhas);
  record(RowsRemoved{std::move(flags), std::move(linhas)}, n);
}

void GridJournal::rowsInserted(std::vector<char> flags) {
  size_t n = sizeof(RowsInserted) + flags.capacity();
  record(RowsInserted{std::move(flags)}, n);
}

void GridJournal::rowsReordered(const std::vector<int>& ordem) {
  record(Reordered{ordem}, sizeof(Reordered) + ordem.size() * sizeof(int));
}

void GridJournal::colsGrowing(int contagemAntiga) {
  record(ColsGrown{contagemAntiga}, sizeof(ColsGrown));
}

void GridJournal::colsTruncated(int desde, std::vector<Row> celulas, std::vector<int> larguras) {
  size_t n = sizeof(ColsTruncated) + custo(celulas) + larguras.size() * sizeof(int);
  record(ColsTruncated{desde, std::move(celulas), std::move(larguras)}, n);
}

void GridJournal::columnDeleted(int col, Row celulas, int largura) {
  size_t n = sizeof(ColumnDeleted) + custo(celulas);
  record(ColumnDeleted{col, std::move(celulas), largura}, n);
}

void GridJournal::columnInserted(int col) {
  record(ColumnInserted{col}, sizeof(ColumnInserted));
}

void GridJournal::columnReplaced(int col, Row celulas) {
  size_t n = sizeof(ColumnReplaced) + custo(celulas);
  record(ColumnReplaced{col, std::move(celulas)}, n);
}

void GridJournal::cellsFilled(std::vector<std::pair<int, int>> celulas, std::string antigo) {
  size_t n = sizeof(CellsFilled) + celulas.capacity() * sizeof(celulas[0]) + custo(antigo);
  record(CellsFilled{std::move(celulas), std::move(antigo)}, n);
}

void GridJournal::wholeGrid(CellStore celulas, std::vector<int> larguras) {
  size_t n = sizeof(Whole) + custo(celulas) + larguras.size() * sizeof(int);
  record(Whole{std::move(celulas), std::move(larguras)}, n);
}

}  // namespace quorvel
