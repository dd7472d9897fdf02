#include "bulk/line_read_ahead.h"

#include <array>
#include <cstdint>

#include "common/text.h"
#include "extraction/tdtm_extrator.h"

namespace quorvel {
namespace {

constexpr size_t kAdianteMx = 2048;  // lines whose new domains are looked up ahead

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

LineReadAhead::LineReadAhead(LineReader& reader, ValidationChain& chain)
    : reader_(reader),
      v_(chain),
      anteciparMx_(chain.mxReadAheadOn()),
      anel_(anteciparMx_ ? kAdianteMx : kSlotAdiante + 1) {}

void LineReadAhead::encher() {
  std::string_view linha;
  while (prontas_ < anel_.size() && !fimLeitura_) {
    if (!reader_.nextLine(linha)) {
      fimLeitura_ = true;
      break;
    }
    PreparedLine& p = anel_[(inicio_ + prontas_++) % anel_.size()];
    p.fimBytes = reader_.bytesConsumed();
    try {
      p.falhou = false;
      prepareLine(linha, extraido_, p.texto);
      toLowerInto(p.texto, p.normalizado);
      if (anteciparMx_) v_.readAheadMxOf(p.normalizado);
    } catch (const std::exception&) {
      p.falhou = true;
    }
  }
}

const PreparedLine* LineReadAhead::proxima() {
  encher();
  if (prontas_ == 0) return nullptr;
  if (prontas_ > kSlotAdiante) {
    const std::string& adiante = anel_[(inicio_ + kSlotAdiante) % anel_.size()].normalizado;
    v_.prefetchDuplicate(adiante);
    v_.prefetchCount(adiante);
  }
  const PreparedLine* frente = &anel_[inicio_];
  inicio_ = (inicio_ + 1) % anel_.size();
  --prontas_;
  return frente;
}

}  // namespace quorvel
