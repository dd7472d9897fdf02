#pragma once
// Saving the current list as comma-separated text: "Salvar (F2)", "Salvar como..." and the rules
// of the save window.

#include <string>
#include <vector>

#include "lists/list_editor.h"

namespace quorvel {

// Appends one line of the saved format to `out` (without its line end): the cells separated by
// ",", every non-empty cell in double quotes with each inner double quote doubled, an empty cell
// as nothing.
void acrescentarLinhaCSV(std::string& out, const std::vector<std::string>& celulas);

// Writes the current list to `arquivo`: UTF-8 with a byte-order mark, every row (header first)
// as one line ending in CR LF. The file is written whole to a temporary file and then put in
// place, so a failed save leaves the previous file as it was. On success the tab's file becomes
// `arquivo` and its edited flag "0"; on failure the user is told why and both stay. A cancel
// writes nothing. True when the file was written. `silent` is taken for the callers' sake: both
// ask for a save without a closing message, and none is given.
bool salvarComo(ListEditor& editor, const std::string& arquivo, bool silent);

// "Salvar (F2)": the tab's own file without a question; the save window when it has none.
void salvar(ListEditor& editor);

// "Salvar como...": the save window on dados/ with ".csv"; asks before replacing an existing
// file.
void salvarComoDialogo(ListEditor& editor);

// The save window (`getFileSave`) as rules the desktop window follows.
struct SaveFields {
  std::string pasta;  // always ending in the separator
  std::string nome;
};
// What the window shows first: the folder and name of `filePath` when one is given, otherwise
// `pastaPadrao` and an empty name.
SaveFields initialSaveFields(const std::string& pastaPadrao, const std::string& filePath);
// What the window returns: empty unless accepted with a non-empty name; otherwise folder + name,
// with `extensao` appended when the result does not contain it anywhere.
std::string saveResult(bool aceito, const std::string& pasta, const std::string& nome,
                       const std::string& extensao);

inline constexpr const char* kMsgSobrepor = "Esse arquivo já existe. Deseja sobrepor?";

}  // namespace quorvel
