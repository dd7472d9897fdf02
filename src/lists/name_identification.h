#pragma once
// Data derived from the addresses of the current list: the contact's name guessed from the part
// before "@" (column "#nome"), and addresses with common prefixes generated for every domain.

#include <string>
#include <string_view>
#include <vector>

#include "lists/list_editor.h"

namespace quorvel {

// Longest first: each line keyed by its length (four digits) + ";" + the line, the keys sorted
// ignoring case and read back from the last; lines trimmed. Equal lengths come in descending
// alphabetical order ignoring case.
std::vector<std::string> sortByLength(const std::vector<std::string>& linhas);

// The built-in surnames, in their fixed order (some repeat).
const std::vector<std::string>& sobrenomesPadrao();

// The form a name is matched in: lower-cased, then á ç ã ô é í ê without their marks (no other
// letter changes).
std::string dobrarNome(std::string_view nome);

// "Identificar nomes": the file dados/config/sys_nomes.txt is read, ordered longest first and
// written back; then each row's "#nome" cell, while blank, receives the first listed name found
// in the address's prefix (or, with `usarNomeAmigavel`, "@" + the prefix). -1: no column chosen
// (refused with an error). Returns the number of names found.
int identificarNomes(ListEditor& editor, int coluna, bool usarNomeAmigavel);

// "Gerar e-mails": for every domain of column `colunaEmail` (seen once, ignoring case) appends
// rows with the standard address (first domain label + "@" + domain, when `gerarPadrao`) and one
// address per line of `listaPre`. The free-mail providers' domains (those "Otimização seletiva"
// knows) are skipped. -1: no column chosen (refused with an error). Returns the number of
// addresses generated.
int gerarEmailPadrao(ListEditor& editor, int colunaEmail, const std::string& listaPre,
                     bool gerarPadrao);

}  // namespace quorvel
