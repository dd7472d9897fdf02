#pragma once
// A workbook of one worksheet written row by row with libxlsxwriter in its constant-memory mode
// (each row goes to a temporary file as soon as the next one starts, so a grid of a million
// rows costs no more memory than a few rows): every cell as text with a thin border, and, once
// every row is in, the header bold on F4F4F4 and every column as wide as its texts.

#include <string>
#include <vector>

#include "common/ports.h"
#include "common/text_grid.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace quorvel {

// The largest sheet a spreadsheet program opens.
inline constexpr int kMaxLinhasPlanilha = 1048576;
inline constexpr int kMaxColunasPlanilha = 16384;
// zlib's fastest level: the sheet's markup repeats itself so much that it still shrinks about
// ten times, in a third of the time of the default level.
inline constexpr int kNivelCompressao = 1;

class XlsxSheet {
 public:
  XlsxSheet() = default;
  ~XlsxSheet();
  XlsxSheet(const XlsxSheet&) = delete;
  XlsxSheet& operator=(const XlsxSheet&) = delete;

  // Starts the workbook that close() writes to `caminho`; its temporary files go to
  // `pastaTemporaria` (beside the target: /tmp may be memory).
  bool open(const std::string& caminho, const std::string& pastaTemporaria);
  // The next row (row 0 is the header). Line breaks become spaces; text that is not UTF-8 is
  // read as Windows-1252; a text longer than a cell holds is cut at 32,767 characters.
  bool writeRow(int linha, const std::vector<std::string>& celulas);
  // The header bold on a light grey fill and the columns fitted to their texts. Without it the
  // sheet is closed as written: bordered cells, default widths.
  void format();
  // Writes the file, packed at zlib's level `nivelCompressao`; false when that failed (error()
  // says why).
  bool close(int nivelCompressao = kNivelCompressao);
  const std::string& error() const { return erro_; }
  // Cells cut to fit (see writeRow).
  int cellsCut() const { return cortadas_; }

  // Column width, in characters of the default font, for a column whose longest text has
  // `caracteres` characters (the header's bold ones count a tenth more).
  static double largura(double caracteres);

 private:
  bool falhou(int codigo);

  lxw_workbook* livro_ = nullptr;
  lxw_worksheet* folha_ = nullptr;
  lxw_format* corpo_ = nullptr;
  lxw_format* cabecalho_ = nullptr;
  std::vector<double> larguras_;  // the widest text of each column, in characters
  std::string texto_;             // a cell's text made fit for the sheet
  std::string erro_;
  int cortadas_ = 0;
};

enum class SheetOutcome { gravada, cancelada, falhou };

struct SheetResult {
  SheetOutcome resultado = SheetOutcome::falhou;
  std::string erro;  // why it failed
  int cortadas = 0;  // cells cut to fit
};

// The grid, every row and column, as a workbook written to `caminho` with the progress box
// ("Exportando para o Excel..."); the progress box is hidden at the end. A cancel stops after
// the row being written: the rows so far stay in the workbook, which is written unformatted.
// `nivelCompressao` is zlib's level for the file (the benchmarks compare the default, 6).
SheetResult writeWorkbook(const TextGrid& grid, const std::string& caminho, Progress& progresso,
                          int nivelCompressao = kNivelCompressao);

}  // namespace quorvel
