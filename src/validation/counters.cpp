#include "validation/counters.h"

#include "common/format.h"

namespace quorvel {

const char* counterName(Counter c) {
  static constexpr const char* kNomes[kCounterCount] = {
      "lbTotalOriginal", "lbProcessados", "lbTotalInvalidos",  "lbTotalFinal",    "lbRepetidos",
      "lbSintaxe",       "lbRegras",      "lbArmadilhas",      "lbInternacional", "lbEmpirico",
      "lbNomesRaros",    "lbTesteMx",     "lbEmailsInvalidos", "lbBases"};
  return kNomes[static_cast<size_t>(c)];
}

std::string Counters::text(Counter c) const {
  if (undefined(c)) return "indefinido";
  return formatNumber(value(c));
}

}  // namespace quorvel
