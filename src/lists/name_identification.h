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

// Finds, among names given in order, the first one that occurs inside a text. The names are
// folded once; a text is scanned once whatever the number of names. Empty names never match.
class BuscaNomes {
 public:
  explicit BuscaNomes(const std::vector<std::string>& nomesDobrados);
  // Index of the first name (in the given order) occurring in `texto`; -1 when none does.
  int primeiro(std::string_view texto) const;

 private:
  struct No {
    std::vector<std::pair<unsigned char, int>> filhos;  // sorted by byte
    int falha = 0;
    int melhor;  // lowest name index ending here or at a suffix of this node
  };
  int filho(int no, unsigned char c) const;
  std::vector<No> nos_;
};

// "Identificar nomes": the file dados/config/sys_nomes.txt is read, ordered longest first and
// written back; then each row's "#nome" cell, while blank, receives the first listed name found
// in the address's prefix (or, with `usarNomeAmigavel`, "@" + the prefix). -1: no column chosen
// (refused with an error). Returns the number of names found.
int identificarNomes(ListEditor& editor, int coluna, bool usarNomeAmigavel);

// "Gerar e-mails": for every domain of column `colunaEmail` (seen once, ignoring case) appends
// rows with the standard address (first domain label + "@" + domain, when `gerarPadrao`) and one
// address per line of `listaPre`. -1: no column chosen (refused with an error). Returns the
// number of addresses generated.
int gerarEmailPadrao(ListEditor& editor, int colunaEmail, const std::string& listaPre,
                     bool gerarPadrao);

}  // namespace quorvel
