#pragma once
// The spreadsheet export: the export window's grid as a new workbook in dados/arquivos, opened
// in the desktop's spreadsheet program once it is written.

#include <string>

#include "common/ports.h"
#include "common/text_grid.h"

namespace quorvel {

// The tip "Salvar para Excel" shows first.
inline constexpr const char* kDicaExcelId = "19111121";
inline constexpr const char* kDicaExcel =
    "A planilha será gravada como um arquivo novo na pasta dados/arquivos e aberta no seu "
    "programa de planilhas assim que ficar pronta. Listas grandes levam alguns segundos; você "
    "pode acompanhar o andamento e cancelar a qualquer momento.";
inline constexpr int kDicaExcelAltura = 250;
inline constexpr const char* kMsgInterrompido = "O processamento foi interrompido";

class CLNegOffice {
 public:
  CLNegOffice(Dialogs& dialogs, Progress& progress, Platform& platform)
      : dialogs_(dialogs), progress_(progress), platform_(platform) {}

  // Every row and column of `grid` into "planilha <date and time>.xlsx" in dados/arquivos (a
  // name no file has: " (2)", " (3)" ... are added), which is then opened. A cancel keeps the
  // rows written so far in a workbook without the header's look and the column widths, and
  // opens it too. Returns the file written, empty when none was.
  std::string exportGridToExcel(const TextGrid& grid);

 private:
  Dialogs& dialogs_;
  Progress& progress_;
  Platform& platform_;
};

// Moves a finished file from `temporario` to `destino`. With `substituir` a file there is
// replaced; without, the move fails (`ocupado`) when a file has that name. False with the
// reason in `erro` otherwise.
bool putInPlace(const std::string& temporario, const std::string& destino, bool substituir,
                std::string& erro, bool& ocupado);
// A name beside `destino` for the file that becomes it.
std::string temporaryBeside(const std::string& destino);

}  // namespace quorvel
