#include "export/delimited_records.h"

namespace quorvel {

std::vector<std::string> DelimitedRecords::proximo() {
  std::vector<std::string> campos;
  while (p_ < t_.size() && !quebra(t_[p_]) && static_cast<unsigned char>(t_[p_]) <= 32) ++p_;
  std::string campo;
  bool algum = false;    // a field was started on this record
  size_t protegido = 0;  // the part of the field that came from quotes
  for (;;) {
    if (p_ >= t_.size() || quebra(t_[p_])) {
      // The record is trimmed at its end, quoted text excepted.
      while (campo.size() > protegido && static_cast<unsigned char>(campo.back()) <= 32)
        campo.pop_back();
      if (algum || !campo.empty()) campos.push_back(std::move(campo));
      pularQuebra();
      break;
    }
    if (campo.empty() && t_[p_] == '"' && fechamento(p_ + 1) != std::string_view::npos) {
      lerCitado(campo);
      protegido = campo.size();
      algum = true;
      continue;
    }
    if (t_[p_] == sep_) {
      campos.push_back(std::move(campo));
      campo.clear();
      algum = false;
      protegido = 0;
      ++p_;
      // A separator that ends the record gives no field after it.
      if (restoEmBranco()) {
        while (p_ < t_.size() && !quebra(t_[p_])) ++p_;
        pularQuebra();
        break;
      }
      continue;
    }
    campo.push_back(t_[p_++]);
    algum = true;
  }
  return campos;
}

size_t DelimitedRecords::fechamento(size_t p) const {
  while (p < t_.size()) {
    size_t k = t_.find('"', p);
    if (k == std::string_view::npos) return k;
    if (k + 1 < t_.size() && t_[k + 1] == '"') {
      p = k + 2;
      continue;
    }
    return k;
  }
  return std::string_view::npos;
}

void DelimitedRecords::lerCitado(std::string& campo) {
  const size_t f = fechamento(p_ + 1);
  for (size_t i = p_ + 1; i < f; ++i) {
    campo.push_back(t_[i]);
    if (t_[i] == '"') ++i;  // a doubled quote is one
  }
  p_ = f + 1;
}

bool DelimitedRecords::restoEmBranco() const {
  for (size_t i = p_; i < t_.size() && !quebra(t_[i]); ++i)
    if (static_cast<unsigned char>(t_[i]) > 32) return false;
  return true;
}

void DelimitedRecords::pularQuebra() {
  if (p_ < t_.size() && t_[p_] == '\r') ++p_;
  if (p_ < t_.size() && t_[p_] == '\n') ++p_;
}

}  // namespace quorvel
