#pragma once
// Pieces several commands share: the counter panel, the stage switches.

#include <string>
#include <vector>

#include "validation/validation_chain.h"

namespace quorvel::cli {

// The counter panel of the validation window as "name<TAB>value" lines.
void printCounters(const ValidationChain& v, std::string& out);
// Turns off the stages named in `nomes`; false (with a message) for an unknown name.
bool switchStagesOff(ValidationChain& v, const std::vector<std::string>& nomes);
// Help text of the --disable option.
inline constexpr const char* kAjudaDisable =
    "Desliga etapas: sintaxe, regras, armadilhas, internacional, empirico, nomesraros, testemx, "
    "emailsinvalidos";

}  // namespace quorvel::cli
