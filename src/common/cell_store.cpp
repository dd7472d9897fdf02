#include "common/cell_store.h"

#include <algorithm>
#include <cstring>

namespace quorvel {

namespace {

// A slot: the text's address in the low 48 bits (user-space addresses fit there), its length in
// the high 16. A text of kLonga bytes or more keeps its length in the 8 bytes before it.
constexpr int kDeslocamento = 48;
constexpr uint64_t kEndereco = (uint64_t{1} << kDeslocamento) - 1;
constexpr uint64_t kLonga = 0xFFFF;
constexpr size_t kMaiorBloco = size_t{4} << 20;

}  // namespace

std::string operator+(const std::string& a, CellText b) {
  std::string s;
  s.reserve(a.size() + b.size());
  s.append(a).append(b);
  return s;
}
std::string operator+(std::string&& a, CellText b) {
  a.append(b);
  return std::move(a);
}
std::string operator+(const char* a, CellText b) {
  return std::string(a) + b;
}
std::string operator+(CellText a, const std::string& b) {
  std::string s;
  s.reserve(a.size() + b.size());
  s.append(a).append(b);
  return s;
}
std::string operator+(CellText a, const char* b) {
  return std::string(a).append(b);
}
std::string operator+(CellText a, CellText b) {
  return std::string(a).append(b);
}

// --- TextArena ------------------------------------------------------------------------------

char* TextArena::room(size_t n) {
  if (n > resta_) {
    // Blocks grow with the list (a small list stays small), up to a size that keeps the unused
    // tail of the last one negligible.
    const size_t tamanho = std::max(n, proximoBloco_);
    proximoBloco_ = std::min(proximoBloco_ * 2, kMaiorBloco);
    blocos_.emplace_back(new char[tamanho]);
    livre_ = blocos_.back().get();
    resta_ = tamanho;
    capacidade_ += tamanho;
  }
  char* p = livre_;
  livre_ += n;
  resta_ -= n;
  usado_ += n;
  return p;
}

uint64_t TextArena::add(std::string_view s) {
  if (s.empty()) return 0;
  const uint64_t n = s.size();
  if (n < kLonga) {
    char* p = room(n);
    std::memcpy(p, s.data(), n);
    static_assert(sizeof(void*) == 8, "slots pack a 48-bit address");
    return (n << kDeslocamento) | (reinterpret_cast<uintptr_t>(p) & kEndereco);
  }
  char* p = room(n + sizeof(uint64_t));
  std::memcpy(p, &n, sizeof(uint64_t));
  std::memcpy(p + sizeof(uint64_t), s.data(), n);
  return (kLonga << kDeslocamento) |
         (reinterpret_cast<uintptr_t>(p + sizeof(uint64_t)) & kEndereco);
}

CellText TextArena::text(uint64_t slot) {
  const char* p = reinterpret_cast<const char*>(slot & kEndereco);
  return CellText(std::string_view(p, length(slot)));
}

size_t TextArena::length(uint64_t slot) {
  const uint64_t n = slot >> kDeslocamento;
  if (n != kLonga) return n;
  uint64_t longa;
  std::memcpy(&longa, reinterpret_cast<const char*>(slot & kEndereco) - sizeof(uint64_t),
              sizeof(uint64_t));
  return longa;
}

// --- CellStore ------------------------------------------------------------------------------

CellStore::CellStore(int cols, int rows)
    : cols_(std::max(cols, 1)),
      slots_(static_cast<size_t>(std::max(rows, 0)) * static_cast<size_t>(std::max(cols, 1)), 0) {}

CellStore::CellStore(const CellStore& o) : cols_(o.cols_) {
  slots_.reserve(o.slots_.size());
  for (uint64_t s : o.slots_) slots_.push_back(arena_.add(TextArena::text(s)));
}

CellStore& CellStore::operator=(const CellStore& o) {
  if (this != &o) *this = CellStore(o);
  return *this;
}

void CellStore::set(int col, int row, std::string_view value) {
  uint64_t& s = slots_[at(col, row)];
  drop(s);
  s = arena_.add(value);
}

std::vector<std::pair<int, int>> CellStore::fillEmpty(std::string_view value, int firstRow) {
  std::vector<std::pair<int, int>> preenchidas;
  if (value.empty()) return preenchidas;
  const uint64_t texto = arena_.add(value);  // one text for every cell
  for (int r = firstRow; r < rows(); ++r)
    for (int c = 0; c < cols_; ++c) {
      uint64_t& s = slots_[at(c, r)];
      if (s != 0) continue;
      s = texto;
      preenchidas.emplace_back(c, r);
    }
  return preenchidas;
}

std::vector<std::string> CellStore::rowStrings(int row) const {
  std::vector<std::string> out;
  out.reserve(static_cast<size_t>(cols_));
  for (int c = 0; c < cols_; ++c) out.emplace_back(cell(c, row));
  return out;
}

size_t CellStore::bytes() const {
  return slots_.capacity() * sizeof(uint64_t) + arena_.capacity();
}

void CellStore::resizeRows(int n) {
  const size_t novo = static_cast<size_t>(std::max(n, 0)) * static_cast<size_t>(cols_);
  for (size_t i = novo; i < slots_.size(); ++i) drop(slots_[i]);
  slots_.resize(novo, 0);
}

void CellStore::appendRow(const std::vector<std::string>& cells) {
  const size_t n = std::min(cells.size(), static_cast<size_t>(cols_));
  for (size_t c = 0; c < n; ++c) slots_.push_back(arena_.add(cells[c]));
  slots_.resize(slots_.size() + static_cast<size_t>(cols_) - n, 0);
}

void CellStore::appendRowFrom(const CellStore& o, int row) {
  const int n = std::min(cols_, o.cols_);
  for (int c = 0; c < n; ++c) slots_.push_back(arena_.add(o.cell(c, row)));
  slots_.resize(slots_.size() + static_cast<size_t>(cols_ - n), 0);
}

void CellStore::insertRow(int row, const std::vector<std::string>& cells) {
  const auto pos = slots_.begin() + static_cast<ptrdiff_t>(at(0, row));
  slots_.insert(pos, static_cast<size_t>(cols_), 0);
  const int n = std::min(static_cast<int>(cells.size()), cols_);
  for (int c = 0; c < n; ++c) slots_[at(c, row)] = arena_.add(cells[static_cast<size_t>(c)]);
}

void CellStore::eraseRow(int row) {
  const auto inicio = slots_.begin() + static_cast<ptrdiff_t>(at(0, row));
  for (auto it = inicio; it != inicio + cols_; ++it) drop(*it);
  slots_.erase(inicio, inicio + cols_);
}

void CellStore::removeRows(const std::vector<char>& flags, CellStore* removed) {
  const int n = rows();
  const size_t largura = static_cast<size_t>(cols_);
  size_t out = 0;
  for (int r = 0; r < n; ++r) {
    const size_t inicio = at(0, r);
    if (static_cast<size_t>(r) < flags.size() && flags[static_cast<size_t>(r)]) {
      if (removed) removed->appendRowFrom(*this, r);
      for (size_t i = inicio; i < inicio + largura; ++i) drop(slots_[i]);
      continue;
    }
    if (out != inicio)
      std::copy_n(slots_.begin() + static_cast<ptrdiff_t>(inicio), largura,
                  slots_.begin() + static_cast<ptrdiff_t>(out));
    out += largura;
  }
  slots_.resize(out);
}

void CellStore::insertRows(const std::vector<char>& flags, const CellStore& rows) {
  const int velhas = this->rows(), novas = rows.rows();
  std::vector<uint64_t> todas;
  todas.reserve(static_cast<size_t>(velhas + novas) * static_cast<size_t>(cols_));
  int velha = 0, nova = 0;
  const int n = std::min(cols_, rows.cols_);
  for (int r = 0; r < velhas + novas; ++r) {
    const bool inserida = static_cast<size_t>(r) < flags.size() && flags[static_cast<size_t>(r)];
    if ((inserida && nova < novas) || velha >= velhas) {
      for (int c = 0; c < n; ++c) todas.push_back(arena_.add(rows.cell(c, nova)));
      todas.resize(todas.size() + static_cast<size_t>(cols_ - n), 0);
      ++nova;
    } else {
      const auto inicio = slots_.begin() + static_cast<ptrdiff_t>(at(0, velha++));
      todas.insert(todas.end(), inicio, inicio + cols_);
    }
  }
  slots_ = std::move(todas);
}

void CellStore::reorder(const std::vector<int>& order) {
  std::vector<uint64_t> novas;
  novas.reserve((order.size() + 1) * static_cast<size_t>(cols_));
  const auto linha = [&](int r) {
    const auto inicio = slots_.begin() + static_cast<ptrdiff_t>(at(0, r));
    novas.insert(novas.end(), inicio, inicio + cols_);
  };
  if (rows() > 0) linha(0);
  // Rows left out: their texts are no longer shown (a repeated row shares its texts).
  std::vector<char> usada(static_cast<size_t>(rows()), 0);
  for (int r : order) {
    linha(r);
    usada[static_cast<size_t>(r)] = 1;
  }
  for (int r = 1; r < rows(); ++r)
    if (!usada[static_cast<size_t>(r)])
      for (int c = 0; c < cols_; ++c) drop(slots_[at(c, r)]);
  slots_ = std::move(novas);
}

void CellStore::setCols(int n) {
  n = std::max(n, 1);
  if (n == cols_) return;
  const int linhas = rows();
  std::vector<uint64_t> novas(static_cast<size_t>(linhas) * static_cast<size_t>(n), 0);
  const int comuns = std::min(n, cols_);
  for (int r = 0; r < linhas; ++r) {
    for (int c = 0; c < comuns; ++c) novas[static_cast<size_t>(r) * n + c] = slots_[at(c, r)];
    for (int c = comuns; c < cols_; ++c) drop(slots_[at(c, r)]);
  }
  slots_ = std::move(novas);
  cols_ = n;
}

void CellStore::insertColumn(int col) {
  const int linhas = rows();
  std::vector<uint64_t> novas;
  novas.reserve(static_cast<size_t>(linhas) * static_cast<size_t>(cols_ + 1));
  for (int r = 0; r < linhas; ++r) {
    const auto inicio = slots_.begin() + static_cast<ptrdiff_t>(at(0, r));
    novas.insert(novas.end(), inicio, inicio + col);
    novas.push_back(0);
    novas.insert(novas.end(), inicio + col, inicio + cols_);
  }
  slots_ = std::move(novas);
  ++cols_;
}

void CellStore::eraseColumn(int col) {
  if (cols_ == 1) {
    for (auto& s : slots_) {
      drop(s);
      s = 0;
    }
    return;
  }
  const int linhas = rows();
  std::vector<uint64_t> novas;
  novas.reserve(static_cast<size_t>(linhas) * static_cast<size_t>(cols_ - 1));
  for (int r = 0; r < linhas; ++r) {
    const auto inicio = slots_.begin() + static_cast<ptrdiff_t>(at(0, r));
    drop(inicio[col]);
    novas.insert(novas.end(), inicio, inicio + col);
    novas.insert(novas.end(), inicio + col + 1, inicio + cols_);
  }
  slots_ = std::move(novas);
  --cols_;
}

void CellStore::compactIfWasteful() {
  constexpr size_t kMinimo = size_t{1} << 20;
  if (lixo_ > kMinimo && lixo_ * 2 > arena_.used()) compact();
}

void CellStore::compact() {
  TextArena nova;
  for (auto& s : slots_) s = nova.add(TextArena::text(s));
  arena_ = std::move(nova);
  lixo_ = 0;
}

}  // namespace quorvel
