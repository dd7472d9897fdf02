#pragma once
// Pieces the validating commands share: the counter panel, the stage switches.

#include <string>
#include <vector>

#include "validation/validation_chain.h"

namespace quorvel::cli {

// The counter panel of the validation window as "name<TAB>value" lines.
std::string counterPanel(const ValidationChain& v);
// The same as one JSON object: {"counters":{"lbTotalOriginal":15,...}} (null when undefined).
std::string counterPanelJson(const ValidationChain& v);
// Turns off the stages named in `nomes`; an unknown name is a CliFailure (status 2).
void switchStagesOff(ValidationChain& v, const std::vector<std::string>& nomes);
// Help text of the --disable option.
inline constexpr const char* kAjudaDisable =
    "Desliga etapas: sintaxe, regras, armadilhas, internacional, empirico, nomesraros, testemx, "
    "emailsinvalidos; e as sugestões de correção: sugestoes";

}  // namespace quorvel::cli
