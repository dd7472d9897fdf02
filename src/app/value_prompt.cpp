#include "app/value_prompt.h"

#include "lists/column_operations.h"
#include "lists/grid_operations.h"

namespace quorvel {

std::string promptDoValor(const std::string& titulo) {
  if (titulo == kTituloInserirColuna || titulo == kTituloRenomearColuna) return kPromptNomeColuna;
  if (titulo == kTituloIrParaLinha) return kPromptIrParaLinha;
  return {};
}

}  // namespace quorvel
