#pragma once
// The counter panel of the validation window: integers shown as "#,##0", or "indefinido".

#include <array>
#include <cstdint>
#include <string>

namespace quorvel {

enum class Counter {
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
inline constexpr size_t kCounterCount = 14;

const char* counterName(Counter c);

class Counters {
 public:
  int64_t value(Counter c) const { return valores_[idx(c)]; }
  bool undefined(Counter c) const { return indefinidos_[idx(c)]; }
  // The displayed text: "#,##0" of the value, or "indefinido".
  std::string text(Counter c) const;

  void set(Counter c, int64_t v) {
    valores_[idx(c)] = v;
    indefinidos_[idx(c)] = false;
  }
  void setUndefined(Counter c) { indefinidos_[idx(c)] = true; }
  // incLabelNumber: one more; a counter that is not a number stays as it is.
  void incLabelNumber(Counter c) {
    if (!indefinidos_[idx(c)]) ++valores_[idx(c)];
  }
  void reset() {
    valores_.fill(0);
    indefinidos_.fill(false);
  }

 private:
  static size_t idx(Counter c) { return static_cast<size_t>(c); }
  std::array<int64_t, kCounterCount> valores_{};
  std::array<bool, kCounterCount> indefinidos_{};
};

}  // namespace quorvel
