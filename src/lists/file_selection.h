#pragma once
// The file selection window ("Selecionar arquivo"): one folder as a table of folders and files
// with their last change date and size, filtered by extension and by a typed search text,
// sorted by a column, with tick boxes when several files may be chosen. There is one window
// for the whole program and it keeps the last folder shown between uses.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "common/notifier.h"
#include "common/ports.h"

namespace quorvel {

struct FileRow {
  std::string nome;     // "Arquivo"
  std::string data;     // "Últ. alteração": dd/mm/yyyy, empty for folders
  std::string tamanho;  // "Tamanho": "0 KB" for folders
  bool pasta = false;
  bool marcado = false;
  int64_t kb = 0;
  int64_t dia = -1;  // days since 1970 of the date shown; -1 when there is none
};

struct FileSelectionNotice {
  enum class Kind {
    listing,  // the rows were replaced (a folder listed, or sorted)
    rows,     // ticks or the "arquivo selecionado:" box changed
  };
  Kind kind = Kind::listing;
  bool operator==(const FileSelectionNotice&) const = default;
};

inline constexpr const char* kMsgPastaInvalida =
    "Assim fica meio difícil... É necessário colocar um caminho de pasta válido";

class FileSelection {
 public:
  FileSelection(Platform& platform, Dialogs& dialogs) : platform_(platform), dialogs_(dialogs) {}

  // The extension list's entries.
  static const std::vector<std::string>& extensoes();
  static constexpr int kEsperaBuscaMs = 500;

  std::string gPath;       // always ending in the separator
  std::string gExtension;  // "*.*" or empty: no filter
  std::string gFiltro;     // the search text
  bool gMultiSelect = false;
  bool canChangePath = true;  // stored, without effect
  int SortedColumn = 1;       // 0 name, 1 date, 2 size
  bool Descending = true;

  std::string caminho;             // the path box
  std::string extensaoMostrada;    // the extension list's text
  std::string arquivoSelecionado;  // the "arquivo selecionado:" box
  std::vector<FileRow> linhas;
  int linhaAtual = -1;

  Notifier<FileSelectionNotice> notices;

  // getFileSelect before the window shows: the folder of the path box when the window was used
  // before, else `aPath`; then sorted by date, newest first.
  void abrir(const std::string& aPath, const std::string& aExtension, const std::string& aFiltro,
             bool multiselect, bool podeMudarPasta);
  // Lists `pasta` with the extension filter, tick boxes when `varios`, and the search text.
  void exibirArquivos(const std::string& pasta, const std::string& extensao, bool varios,
                      const std::string& filtro);

  // A click on a column caption: the same column again reverses the direction, another one
  // sorts ascending.
  void clicarColuna(int coluna);
  void ordenar();

  // The search timer ran out: listed again with the text, no extension filter, several files.
  void buscar(const std::string& texto);
  // The extension list changed.
  void mudarExtensao(const std::string& extensao);
  // "Alterar pasta" (a folder the picker returned) and "Subir uma pasta".
  void alterarPasta(const std::string& pasta);
  void subirPasta();
  // Enter in the path box: the typed folder when it exists, else an error.
  bool irParaCaminho(const std::string& texto);
  // "Abrir o local dessa pasta selecionada no gerenciador de arquivos".
  void abrirNoGerenciador();

  // The selected row changed (-1: none). With several files allowed the row that loses the
  // selection and the one that takes it both toggle their tick.
  void selecionarLinha(int linha);
  // A tick box clicked directly.
  void marcar(int linha, bool marcado);
  // Double click: a folder is opened (false); a file confirms the window (true).
  bool duploClique(int linha);

  // What the window returns: on OK the ticked paths one per line (several files), else the
  // folder + the "arquivo selecionado:" text; empty on cancel.
  std::string resultado(bool ok) const;

 private:
  void notify(FileSelectionNotice::Kind k) { notices.notify({k}); }
  Platform& platform_;
  Dialogs& dialogs_;
};

// The size shown: bytes / 1000, at least 1, + " KB".
std::string tamanhoKb(int64_t bytes);
// The date shown: local date as dd/mm/yyyy.
std::string dataCurta(std::chrono::system_clock::time_point t);

}  // namespace quorvel
