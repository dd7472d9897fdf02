#pragma once
// Saving the current list as separated text: "Salvar (F2)", "Salvar como..." and the rules of the
// save window.

#include <string>
#include <vector>

#include "lists/list_editor.h"

namespace quorvel {

// Appends one line of the saved format to `out` (without its line end): the cells separated by
// `separador`; a cell that holds a field separator (tab, ";" or ","), a double quote or a line
// break, or starts or ends with a blank, goes in double quotes with each inner double quote
// doubled (so the file reads back into the same cells); every other cell is written as it is,
// an empty one (or the single space that stands for one) as nothing. With `manterUltimoCampo`
// an empty last field is written as "" so that reading the line back keeps it.
void acrescentarLinhaCSV(std::string& out, const std::vector<std::string>& celulas,
                         char separador = ',', bool manterUltimoCampo = false);
// The same for a row of a grid, read from its cells where they lie.
void acrescentarLinhaCSV(std::string& out, const TextGrid& grid, int row, char separador = ',',
                         bool manterUltimoCampo = false);

// A table (header row first) as the bytes of a list file: the byte-order mark, then every row as
// acrescentarLinhaCSV writes it, each ending in CR LF.
std::string textoListaCSV(const std::vector<std::vector<std::string>>& linhas,
                          char separador = ',');

// The separators the save window offers, in its order: "Ponto e vírgula", "Vírgula",
// "Tabulação".
struct SeparatorChoice {
  char separador;
  const char* nome;
};
inline constexpr SeparatorChoice kSeparadores[] = {
    {';', "Ponto e vírgula"}, {',', "Vírgula"}, {'\t', "Tabulação"}};
// The separator a list is saved with when nobody chose one: the one it was read with, else ",".
char separadorParaSalvar(const ListEditor& editor, const TextGrid& grid);

// Writes the current list to `arquivo` with `separador` (0: separadorParaSalvar): UTF-8 with a
// byte-order mark, every row (header first) as one line ending in CR LF. The file is written whole
// to a temporary file and then put in place, so a failed save leaves the previous file as it was.
// On success the tab's file becomes `arquivo` and its edited flag "0"; on failure the user is told
// why and both stay. A cancel writes nothing. True when the file was written. `silent` is taken for
// the callers' sake: both ask for a save without a closing message, and none is given.
bool salvarComo(ListEditor& editor, const std::string& arquivo, bool silent, char separador = 0);

// "Salvar (F2)": the tab's own file without a question; the save window when it has none. True
// when the list was written.
bool salvar(ListEditor& editor);

// "Salvar como...": the save window on dados/ with ".csv" and the separator choice; asks before
// replacing an existing file. True when the list was written.
bool salvarComoDialogo(ListEditor& editor);

// Before lists with unsaved changes are discarded (the main window closes, "Sair", "Nova
// lista"): for each of `abas` whose list holds data and is not saved, its tab is shown and the
// user asked "Deseja salvar as alterações da lista?" — "Sim" saves it (as "Salvar"), "Não" lets
// it go, "Cancelar" keeps everything. True when the caller may go on.
bool salvarAntesDeDescartar(ListEditor& editor, const std::vector<int>& abas);
// True when the list of `aba` holds data that is not saved.
bool temAlteracoesNaoSalvas(const ListEditor& editor, int aba);
inline constexpr const char* kMsgSalvarAlteracoes = "Deseja salvar as alterações da lista?";

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
