#pragma once

#include <string>

namespace quorvel::cli {

// A secret given on the command line: "-" reads it from standard input, or from a prompt
// (`rotulo`) without echo when standard input is a terminal, so it never shows in the process
// list. Any other value is the secret itself.
std::string lerSegredo(const std::string& opcao, const char* rotulo);

}  // namespace quorvel::cli
