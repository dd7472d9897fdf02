#pragma once
// The value dialog is asked with a title and an initial text; the line it shows under the title
// depends on what is asked.

#include <string>

namespace quorvel {

// The prompt shown under `titulo` (empty when the title says it all).
std::string promptDoValor(const std::string& titulo);

}  // namespace quorvel
