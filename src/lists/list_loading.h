#pragma once
// Bringing data into the current list: files (the file reader), pasted or typed text (the paste
// reader), dropped files and addresses extracted from a text.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lists/list_editor.h"

namespace quorvel {

enum class ReadResult { ok, cancelado, erro };

// The file reader: appends one row per line of the file to the current list.
//
// The separator is a tab, ";" or "," (in that order of preference) as found in the first line;
// the first line may widen the list, later lines never do. Each line is trimmed; a separator
// followed by one space breaks the field and the space goes; an empty field is stored as a
// single space, fields beyond the column count are dropped. A field that starts with a double
// quote runs to its closing quote: separators and line breaks inside it stay and a doubled quote
// is one quote; every other double quote is removed. A separator at the end of a line gives no
// field, except in a line with a quoted field, where it gives an empty one (so the program's own
// files keep a last column without a name). Reports a missing or empty file and a cancel
// itself; the file is never written.
ReadResult abrirCSVTurbo(ListEditor& editor, const std::string& filename);

// The paste reader: appends one row per line of `texto` to the current list.
void colarCheck(ListEditor& editor, const std::string& texto);

// Measures a text in pixels for AutoSizeGrid; the desktop passes its font metrics, an empty one
// means an estimate of 7 pixels per character.
using TextWidth = std::function<int(const std::string&)>;

// The workspace folder "dados" beside the program.
std::string pastaDados(const ListEditor& editor);

// Ctrl+V / "Colar": the clipboard text, trimmed, to the paste reader; then the status line.
void executarColar(ListEditor& editor);

// "Abrir lista": asks before discarding unsaved edits of "Principal", lets the user choose files
// in dados/, reads them into "Principal" and cleans up (file bookkeeping, leading blank rows,
// names of unnamed columns, header detection).
void btnAbrirClick(ListEditor& editor, const TextWidth& larguraTexto = {});

// Reads files into the current list and cleans up as "Abrir lista" does: file bookkeeping
// (the list becomes the file when exactly one file was read into a list that held nothing),
// leading blank rows, names of unnamed columns, header detection. A path containing ".xls" stops
// with an error. Returns the number of files read.
int abrirArquivos(ListEditor& editor, const std::vector<std::string>& caminhos,
                  const TextWidth& larguraTexto = {});

// Files dropped on the main window (or named on the command line). On the "Validação" page each
// existing file only goes to `paraValidacaoEmLote` (the bulk file list); on every other page the
// files open into the current list as with "Abrir lista". A path containing ".xls" stops the
// drop with an error.
void soltarArquivos(ListEditor& editor, const std::vector<std::string>& caminhos,
                    bool paginaValidacao,
                    const std::function<void(const std::string&)>& paraValidacaoEmLote = {},
                    const TextWidth& larguraTexto = {});

// F3, "Digitar ou colar dados (F3)": the text dialog; a text that is not blank goes to the paste
// reader.
void inserirInput(ListEditor& editor);

// "Rodar o extrator" of the page "Extrator": replaces "Principal" by the addresses found in
// `texto` (name and address columns for an address-book text unless `extratorBruto`). False
// when the user declined to discard the loaded list (the page then stays as it is).
bool extrairEmails(ListEditor& editor, const std::string& texto, bool extratorBruto);

// Texts the view and other pages share.
inline constexpr const char* kMsgPerguntaEditados =
    "Os dados foram editados. Caso você prossiga sem salvar, as alterações serão perdidas. "
    "Deseja prosseguir?";
inline constexpr const char* kMsgPlanilhaSolta =
    "Opa, opa opa... Por favor primeiro abra a planilha do Excel e copie os dados. Depois basta "
    "você colar aqui usando CTRL + V ou então pelo menu \"Editar /  Colar\"";
inline constexpr const char* kTituloInserirDados =
    "Digite ou cole os dados que quer inserir na lista de dados";
// A file that changed while the file reader read it, and one with a line too long to be a list.
std::string msgArquivoMudou(const std::string& nome);
std::string msgLinhaLonga(const std::string& nome, int64_t linha);
inline constexpr const char* kMsgPerguntaExtrator =
    "Ao usar o extrator, dados que já estiverem carregados na seção principal serão descartados. "
    "Deseja continuar?";

}  // namespace quorvel
