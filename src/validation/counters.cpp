#include "validation/counters.h"

#include "common/format.h"

namespace quorvel {

const char* nomeContador(Contador c) {
  static constexpr const char* kNomes[kNumContadores] = {
      "lbTotalOriginal", "lbProcessados", "lbTotalInvalidos",  "lbTotalFinal",    "lbRepetidos",
      "lbSintaxe",       "lbRegras",      "lbArmadilhas",      "lbInternacional", "lbEmpirico",
      "lbNomesRaros",    "lbTesteMx",     "lbEmailsInvalidos", "lbBases"};
  return kNomes[static_cast<size_t>(c)];
}

std::string Contadores::texto(Contador c) const {
  if (indefinido(c)) return "indefinido";
  return formatNumero(valor(c));
}

}  // namespace quorvel
