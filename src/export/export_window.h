#pragma once
// The export window without the window: its own copy of the data (`gridDados`), its three pages,
// the status bar, the writers (";" text, HTML table, the listing and the spreadsheet), the
// column deletion page and the utilities page. A view binds its controls to the public fields,
// forwards its events to the operations and redraws on the notices; the grid tells its own
// changes.

#include <string>
#include <vector>

#include "common/notifier.h"
#include "common/ports.h"
#include "common/text_grid.h"
#include "lists/grid_operations.h"
#include "lists/list_loading.h"

namespace quorvel {

class NegativeBaseGrid;

// The pages switch without visible tabs.
enum class ExportPage { dados = 0, excluirColunas = 1, utilitarios = 2 };

struct ExportNotice {
  enum class Kind {
    state,     // the page, the status bar, the grid shown or hidden, the pages' lists and boxes
    listagem,  // a listing is ready: the view shows `listagem` in its text window
  };
  Kind kind = Kind::state;
  bool operator==(const ExportNotice&) const = default;
};

// What a writer did.
enum class WriteOutcome {
  gravado,    // written (for the listing: copied and ready to show)
  cancelado,  // the progress box's cancel: nothing written ("Procedimento cancelado")
  desistiu,   // the save window was cancelled or the overwrite refused: nothing written
  falhou,     // the file could not be written; the user was told why, and an older file of
              // that name is as it was
};

// One entry of the column deletion page.
struct DeletableColumn {
  std::string nome;  // the header text
  bool marcada = false;
};

inline constexpr const char* kTituloExportacao = "Exportação";
inline constexpr const char* kCabecalhoExportacao = "Exportação de dados:";
inline constexpr const char* kTituloListagem = "Listagem dos dados";

// The tip the list editor shows before it opens the window ("Exportar + utilitários").
inline constexpr const char* kDicaExportarId = "2007081806";
inline constexpr const char* kDicaExportar =
    "Os dados que estão sendo listados serão exibidos e disponibilizados para exportação";
inline constexpr int kDicaExportarAltura = 250;

// What "Exportar + utilitários" passes as `selecionados`: the list's selection covers more than
// one cell (a single selected cell exports the whole list).
bool selecaoDeVariasCelulas(const TextGrid& grid);

class ExportWindow {
 public:
  ExportWindow(Dialogs& dialogs, Progress& progress, Platform& platform);
  ExportWindow(const ExportWindow&) = delete;
  ExportWindow& operator=(const ExportWindow&) = delete;

  // --- Data -----------------------------------------------------------------------------
  TextGrid gridDados;
  int gCol = 0;         // the column of the last mouse release on the grid
  bool gOrdem = false;  // the direction of the last header sort (inverted before each)
  // The files of the last successful text and HTML saves, each writer's own: "Salvar em texto"
  // writes to its file again without asking; "Salvar em HTML" offers its file in the save window.
  std::string gArquivoTexto;
  std::string gArquivoHtml;
  // Measures a text in pixels in the grid's font (AutoSizeGrid); empty: 7 pixels a character.
  TextWidth larguraTexto;

  // --- What the window shows ------------------------------------------------------------
  ExportPage pagina = ExportPage::dados;
  bool gridVisivel = true;                  // hidden while the writers read it
  std::string lbPosicao;                    // "pos.: " + row + ":" + column counted from 1
  std::string lbQuantidade;                 // "qtd.:" + data rows
  std::vector<DeletableColumn> clbColunas;  // the deletion page's list
  std::vector<std::string> cmbColunaItens;  // the utilities page's columns
  std::string cmbColuna;                    // the text of its column box
  std::string edtSubstituir, edtPor;        // "Substituir" and "por"
  std::string listagem;                     // the text of the last listing

  Notifier<ExportNotice> notices;

  // --- Filling the grid -------------------------------------------------------------------
  // The list editor's grid, whole or (selecionados) the block of its selection, placed from
  // column 0 with the headers of the block's columns.
  void carregarGrid(const TextGrid& aGrid, bool selecionados);
  // "Exportar + utilitários": the tip, then the list (or the block of its selection, when it
  // covers more than one cell).
  void exportarDaLista(const TextGrid& lista);
  // The same for a whole grid that its owner has no more use for (the command line): taken
  // over instead of copied.
  void carregarGrid(TextGrid&& aGrid);
  // The mailbox window's negative base, its columns' titles as headers, in the order shown.
  void exibirDataset(const NegativeBaseGrid& aGrid);
  // "Abrir texto...": the open dialog on dados/arquivos, then abrirTexto.
  void btnAbrirTextoClick();
  // Reads a delimited text file into the grid (header line, then tab- or ";"-separated data
  // lines). False when it could not be read (the user was told; the grid is as it was).
  bool abrirTexto(const std::string& arquivo);
  // The header line `colunas` and the data records `dados`, split at `separador`; a field that
  // starts with a double quote runs to its closing quote (the ";" text this window writes).
  void loadDados(const std::string& dados, char separador, const std::string& colunas);

  // --- Column helpers ---------------------------------------------------------------------
  // The first column whose header, trimmed, equals `nomeColuna` trimmed, ignoring case; -1.
  int temColuna(const std::string& nomeColuna) const;
  int inserirColuna(const std::string& nomeColuna);
  void inserirValor(const std::string& nomeColuna, std::string valor, int linha);

  // --- Buttons of the data page -------------------------------------------------------------
  void btnSalvarExcelClick();
  WriteOutcome btnSalvarTextoClick() { return saveToText(gArquivoTexto, false); }
  WriteOutcome btnSalvarHtmlClick() { return saveToHtml("", false); }
  WriteOutcome btnExibirTextoClick() { return getGridText(); }
  void btnExcluirColunasClick();
  void btnUtilitariosClick();

  // --- Writers ----------------------------------------------------------------------------
  // `arquivo` empty: the save window. An existing file is replaced without a question when
  // `arquivo` is given or `silent`; otherwise the user is asked. The rows go into a temporary
  // file beside the target, which takes its place only when whole: a failure or a cancel
  // leaves an older file intact.
  WriteOutcome saveToText(const std::string& arquivo, bool silent);
  WriteOutcome saveToHtml(const std::string& arquivo, bool silent);
  // The listing: copied to the clipboard, then `listagem` and its notice for the text window.
  WriteOutcome getGridText();

  // --- Grid: mouse, pop-up menu, sort, widths -------------------------------------------------
  // A mouse release on cell (coluna, linha): gCol follows; on the header row the left button
  // sorts by the column, and the right button asks for the pop-up menu (true).
  bool gridMouseUp(int coluna, int linha, MouseButton botao);
  void copiarColuna(int coluna);                             // "Copiar dados dessa coluna"
  void ajustarLarguraColunas() { AutoSizeGrid(gridDados); }  // "Ajustar largura das colunas"
  void utilitariosDaColuna();  // "Utilitários": the utilities page on column gCol
  void ordenarEstaColuna();    // "Ordenar esta coluna"
  // Sorts the data rows by one column (the list editor's sort; every row keeps its cells).
  bool SortStringGrid(TextGrid& grid, int coluna, bool desc);
  // Column widths from the texts (50 to 400 pixels, plus 10); then, once per column, a last
  // row that is blank is removed.
  void AutoSizeGrid(TextGrid& grid);

  // --- Column deletion page -------------------------------------------------------------------
  void selecionarTodasColunas();      // "Selecionar todas as colunas"
  void excluirColunasSelecionadas();  // "Excluir colunas selecionadas"
  void cancelarExclusaoColunas();     // "Cancelar"

  // --- Utilities page -----------------------------------------------------------------------
  // Each takes the column named in the column box; false when it did not run to its end (no
  // such column, or cancelled).
  bool btnExcluirVaziosClick() { return utilDeletarColunaVazia(gridDados, cmbColuna); }
  bool btnExcluirRepetidosClick() { return utilDeletarColunaRepetida(gridDados, cmbColuna); }
  bool btnSubstituirClick() {
    return utilSubstituirColuna(gridDados, cmbColuna, edtSubstituir, edtPor);
  }
  void btnVoltarClick() { mostrarPagina(ExportPage::dados); }  // "Voltar para a lista de dados"

  bool utilDeletarColunaVazia(TextGrid& aGrid, const std::string& nomeColuna);
  bool utilDeletarColunaRepetida(TextGrid& aGrid, const std::string& nomeColuna);
  bool utilSubstituirColuna(TextGrid& aGrid, const std::string& nomeColuna,
                            const std::string& valorF, const std::string& valorI);
  // The same by column index (the command line names columns by number too).
  bool utilDeletarColunaVazia(TextGrid& aGrid, int coluna);
  bool utilDeletarColunaRepetida(TextGrid& aGrid, int coluna);

  // Keeps only the given columns, in the order given (the command line's --columns).
  void keepColumns(const std::vector<int>& colunas);

  // --- Status bar -----------------------------------------------------------------------------
  // Refreshes "pos.:" and "qtd.:" from the grid (the view's timer calls it every second).
  void atualizarStatus();

  std::string pastaArquivos() const;  // dados/arquivos of the program folder

 private:
  void avisar(ExportNotice::Kind k = ExportNotice::Kind::state) { notices.notify({k}); }
  void mostrarPagina(ExportPage p);
  void setGridVisivel(bool visivel);
  void abrirUtilitarios(const std::string& coluna);
  int colunaDaCaixa(const std::string& nomeColuna);
  // The common frame of the writers: the grid hidden, the progress box, every row from the
  // header down made into one line by `linha` and handed to `saida` (false: stop, the output
  // failed), the cancel read after each row ("Procedimento cancelado").
  template <class Linha, class Saida>
  WriteOutcome percorrerLinhas(Linha linha, Saida saida);
  // The target of a save: `arquivo`, or the save window's choice; empty when the user gave up.
  std::string alvoDaGravacao(const std::string& arquivo, bool silent, const std::string& extensao,
                             const std::string& sugestao, bool& usouDialogo);
  // The rows as a file at `alvo` (UTF-8 with a byte-order mark, CR LF), written into a
  // temporary beside it that takes its place only when whole.
  template <class Linha>
  WriteOutcome gravarArquivo(const std::string& alvo, Linha linha, const char* inicio,
                             const char* fim);
  bool excluirVazias(TextGrid& g, int coluna, const std::string& nome);
  bool excluirRepetidos(TextGrid& g, int coluna, const std::string& nome);
  bool substituir(TextGrid& g, int coluna, const std::string& nome, const std::string& valorF,
                  const std::string& valorI);
  // Pass 1 keeps the header and the data rows `manter` accepts, with the progress captions
  // (`legenda3` of rows kept and dropped); pass 2 puts the rows kept in place.
  template <class Manter, class Legenda>
  bool filtrarLinhas(TextGrid& g, const std::string& operacao, Manter manter, Legenda legenda3);

  Dialogs& dialogs_;
  Progress& progress_;
  Platform& platform_;
};

}  // namespace quorvel
