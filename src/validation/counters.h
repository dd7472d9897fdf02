#pragma once
// The counter panel of the validation window: integers shown as "#,##0", or "indefinido".

#include <array>
#include <cstdint>
#include <string>

namespace quorvel {

enum class Contador {
  lbTotalOriginal,
  lbProcessados,
  lbTotalInvalidos,
  lbTotalFinal,
  lbRepetidos,
  lbSintaxe,
  lbRegras,
  lbArmadilhas,
  lbInternacional,
  lbEmpirico,
  lbNomesRaros,
  lbTesteMx,
  lbEmailsInvalidos,
  lbBases,
};
inline constexpr size_t kNumContadores = 14;

const char* nomeContador(Contador c);

class Contadores {
 public:
  int64_t valor(Contador c) const { return valores_[idx(c)]; }
  bool indefinido(Contador c) const { return indefinidos_[idx(c)]; }
  // The displayed text: "#,##0" of the value, or "indefinido".
  std::string texto(Contador c) const;

  void set(Contador c, int64_t v) {
    valores_[idx(c)] = v;
    indefinidos_[idx(c)] = false;
  }
  void setIndefinido(Contador c) { indefinidos_[idx(c)] = true; }
  // incLabelNumber: one more; a counter that is not a number stays as it is.
  void incLabelNumber(Contador c) {
    if (!indefinidos_[idx(c)]) ++valores_[idx(c)];
  }
  void zerar() {
    valores_.fill(0);
    indefinidos_.fill(false);
  }

 private:
  static size_t idx(Contador c) { return static_cast<size_t>(c); }
  std::array<int64_t, kNumContadores> valores_{};
  std::array<bool, kNumContadores> indefinidos_{};
};

}  // namespace quorvel
