#pragma once
// "Aplicar sugestões": rows of "Inválidos" whose address has a suggestion (a mistyped domain the
// validation recognised) go to "Válidos" with the corrected address. The typed address stays in
// the column "E-mail digitado" of "Válidos", so nothing is lost and the change can be seen; the
// move is one step that "Desfazer" takes back from either list.

#include "lists/list_editor.h"

namespace quorvel {

// The column of "Válidos" that keeps the address as it was typed.
inline constexpr const char* kColunaEmailDigitado = "E-mail digitado";

inline constexpr const char* kMsgSemSugestoes =
    "Nenhuma das linhas escolhidas da lista de inválidos tem sugestão.";

// Which rows of "Inválidos" the user chose.
enum class SuggestionRows {
  // "Utilitários": the selected rows of "Inválidos" when more than one cell is selected there;
  // with only the cursor's cell (nothing selected) or another list showing, every row.
  selecionadasOuTodas,
  // The right-button menu of the selected rows: those rows only.
  selecionadas,
};

// Moves the chosen rows that carry a suggestion from "Inválidos" to "Válidos". In "Válidos" a
// moved row is the contact's row of "Principal" (the first whose address is the typed one, so
// its other fields come along) with the corrected address; when "Principal" no longer holds it,
// a row with the address alone. Rows without a suggestion stay. Tells the user how many rows
// moved (or that none could); returns that number.
int aplicarSugestoes(ListEditor& editor, SuggestionRows linhas);

}  // namespace quorvel
