#include "bulk/line_preparer.h"

#include <array>
#include <exception>

#include "common/text.h"
#include "extraction/tdtm_extrator.h"

namespace quorvel {
namespace {

// What a line holds that changes its handling: field separators, double quotes.
constexpr std::array<uint8_t, 256> tabelaMarcas() {
  std::array<uint8_t, 256> t{};
  t[';'] = t['\t'] = t[','] = 1;
  t['"'] = 2;
  return t;
}
constexpr std::array<uint8_t, 256> kMarcas = tabelaMarcas();

uint8_t marcas(std::string_view s) {
  uint8_t m = 0;
  for (char c : s) m |= kMarcas[static_cast<unsigned char>(c)];
  return m;
}

}  // namespace

void prepareLine(std::string_view linha, std::string& extraido, std::string& texto) {
  const uint8_t m = marcas(linha);
  if (m & 1) {
    // An extracted address is trimmed and holds no double quote (one ends it).
    firstEmail(linha, extraido);
    texto.assign(extraido);
    return;
  }
  if (!(m & 2)) {
    texto.assign(trimView(linha));
    return;
  }
  texto.clear();
  for (char c : linha)
    if (c != '"') texto.push_back(c);
  std::string_view t = trimView(texto);
  if (t.size() != texto.size()) texto.assign(t);
}

PreparedAddress PreparedLine::endereco() const {
  const std::string_view e = normalizado;
  const std::string_view dominio =
      inicioDominio <= e.size() ? e.substr(inicioDominio) : std::string_view();
  return {HashedText(e, hash), HashedText(dominio, hashDominio), etapas, etapa, detalhe};
}

namespace {

// What the chain needs of a line besides its text, worked out off the chain's thread.
void prepareLookups(PreparedLine& p, const FilterStages* etapas) {
  const std::string_view e = p.normalizado;
  const std::string_view dominio = dominioDe(e);
  p.inicioDominio = dominio.data() ? static_cast<size_t>(dominio.data() - e.data()) : e.size() + 1;
  p.hash = hashText(e);
  p.hashDominio = hashText(dominio);
  p.etapas = nullptr;
  if (!etapas || e.empty()) return;
  try {
    p.detalhe.clear();
    p.etapa = etapas->rejeita(e, false, p.detalhe);
    p.etapas = etapas;
  } catch (const std::exception&) {
    // No verdict: the chain runs the stages itself and meets the failure as it always did.
  }
}

}  // namespace

LinePreparer::LinePreparer(LineReader& reader, const FilterStages* etapas)
    : reader_(reader), etapas_(etapas) {
  for (size_t i = 0; i < kLotes; ++i) {
    lotes_.push_back(std::make_unique<Batch>());
    livres_.push_back(lotes_.back().get());
  }
  t_ = std::thread([this] { trabalhar(); });
}

LinePreparer::~LinePreparer() {
  {
    std::lock_guard<std::mutex> l(m_);
    parar_ = true;
  }
  cv_.notify_all();
  t_.join();
}

LinePreparer::Batch* LinePreparer::proximo() {
  std::unique_lock<std::mutex> l(m_);
  if (emUso_) {
    livres_.push_back(emUso_);
    emUso_ = nullptr;
    cv_.notify_all();
  }
  cv_.wait(l, [&] { return !prontos_.empty() || fim_; });
  if (prontos_.empty()) return nullptr;
  emUso_ = prontos_.front();
  prontos_.pop_front();
  return emUso_;
}

void LinePreparer::trabalhar() {
  std::string extraido;
  std::string_view linha;
  bool fimArquivo = false;
  while (!fimArquivo) {
    Batch* b;
    // The filter stages run here only while the chain has lines waiting: when it would wait for
    // this thread instead, it runs them itself. Either gives the same verdicts; the two threads
    // share the work as their speeds allow.
    const FilterStages* etapas;
    {
      std::unique_lock<std::mutex> l(m_);
      cv_.wait(l, [&] { return !livres_.empty() || parar_; });
      if (parar_) break;
      b = livres_.front();
      livres_.pop_front();
      etapas = prontos_.empty() ? nullptr : etapas_;
    }
    b->n = 0;
    while (b->n < kLinhasPorLote) {
      try {
        fimArquivo = !reader_.nextLine(linha);
      } catch (const std::exception& e) {
        falha_ = e.what();  // read after the last batch: the lock hands it over
        fimArquivo = true;
      }
      if (fimArquivo) break;
      PreparedLine& p = b->linhas[b->n++];
      p.fimBytes = reader_.bytesConsumed();
      try {
        p.falhou = false;
        prepareLine(linha, extraido, p.texto);
        toLowerInto(p.texto, p.normalizado);
        prepareLookups(p, etapas);
      } catch (const std::exception&) {
        p.falhou = true;
      }
    }
    {
      std::lock_guard<std::mutex> l(m_);
      if (b->n > 0)
        prontos_.push_back(b);
      else
        livres_.push_back(b);
      fim_ = fimArquivo;
    }
    cv_.notify_all();
  }
  // Stopped early: the reader waits where it was (a cancelled run reads no further).
  std::lock_guard<std::mutex> l(m_);
  fim_ = true;
  cv_.notify_all();
}

}  // namespace quorvel
