#include "export/export_window.h"

#include <algorithm>
#include <filesystem>

#include "common/format.h"
#include "common/paths.h"
#include "common/text.h"
#include "common/text_file.h"
#include "export/delimited_records.h"
#include "lists/column_sort.h"
#include "mailbox/negative_base_grid.h"

namespace quorvel {
namespace {

constexpr const char* kFiltroAbrirTexto =
    "*.txt;*.csv;*.xls*|*.txt;*.csv;*.xls*|.csv|*.csv|.txt|*.txt|.xls*|*.xls*";
// A binary spreadsheet chosen in "Abrir texto..." would load as rows of noise.
constexpr const char* kMsgPlanilhaBinaria =
    "Esse arquivo é uma planilha, não um texto. Abra-a no seu programa de planilhas e salve-a "
    "como texto (CSV) para abri-la aqui.";
constexpr const char* kMsgNaoAbriuTexto = "Não foi possível abrir o arquivo ";

bool planilhaBinaria(std::string_view b) {
  return b.substr(0, 4) == std::string_view("PK\x03\x04", 4) ||
         b.substr(0, 4) == std::string_view("\xD0\xCF\x11\xE0", 4);
}

}  // namespace

bool selecaoDeVariasCelulas(const TextGrid& grid) {
  const TextGrid::Selection& s = grid.selection;
  return s.right > s.left || s.bottom > s.top;
}

void ExportWindow::exportarDaLista(const TextGrid& lista) {
  dialogs_.msgDica(kDicaExportarId, kDicaExportar, kDicaExportarAltura);
  carregarGrid(lista, selecaoDeVariasCelulas(lista));
}

ExportWindow::ExportWindow(Dialogs& dialogs, Progress& progress, Platform& platform)
    : dialogs_(dialogs), progress_(progress), platform_(platform) {
  atualizarStatus();
}

std::string ExportWindow::pastaArquivos() const {
  return paths::dadosArquivos(platform_.programFolder());
}

void ExportWindow::mostrarPagina(ExportPage p) {
  pagina = p;
  avisar();
}

void ExportWindow::setGridVisivel(bool visivel) {
  gridVisivel = visivel;
  avisar();
}

void ExportWindow::atualizarStatus() {
  std::string posicao = "pos.: " + formatNumberOrEmpty(gridDados.cursorRow) + ":" +
                        formatNumberOrEmpty(gridDados.cursorCol + 1);
  std::string quantidade = "qtd.:" + formatNumberOrEmpty(gridDados.dataRowCount());
  if (posicao == lbPosicao && quantidade == lbQuantidade) return;
  lbPosicao = std::move(posicao);
  lbQuantidade = std::move(quantidade);
  avisar();
}

// ---- Filling the grid ---------------------------------------------------------------------

void ExportWindow::carregarGrid(const TextGrid& aGrid, bool selecionados) {
  TextGrid copia;
  if (!selecionados) {
    copia = aGrid;
  } else {
    TextGrid::Selection s = aGrid.selection;
    s.left = std::clamp(s.left, 0, aGrid.colCount() - 1);
    s.right = std::clamp(s.right, s.left, aGrid.colCount() - 1);
    s.top = std::clamp(s.top, 0, aGrid.rowCount() - 1);
    s.bottom = std::clamp(s.bottom, s.top, aGrid.rowCount() - 1);
    copia.setColCount(s.right - s.left + 1);
    copia.setRowCount(s.bottom - s.top + 2);
    for (int k = 0; k <= s.right - s.left; ++k) {
      copia.setCell(k, 0, aGrid.cell(s.left + k, 0));
      for (int r = s.top; r <= s.bottom; ++r)
        copia.setCell(k, r - s.top + 1, aGrid.cell(s.left + k, r));
    }
  }
  carregarGrid(std::move(copia));
}

void ExportWindow::carregarGrid(TextGrid&& aGrid) {
  gridDados = std::move(aGrid);
  gridDados.moverCursor(0, 1);
  AutoSizeGrid(gridDados);
  atualizarStatus();
}

void ExportWindow::exibirDataset(const NegativeBaseGrid& aGrid) {
  TextGrid::Update atualizacao(gridDados);
  const auto& titulos = NegativeBaseGrid::kTitulos;
  gridDados.setColCount(static_cast<int>(titulos.size()));
  gridDados.setRowCount(static_cast<int>(aGrid.linhas.size()) + 1);
  for (size_t i = 0; i < titulos.size(); ++i) gridDados.setCell(static_cast<int>(i), 0, titulos[i]);
  int n = 1;
  for (const NegativeBaseRow& registro : aGrid.linhas) {
    for (size_t i = 0; i < titulos.size(); ++i)
      inserirValor(titulos[i], registro.coluna(static_cast<int>(i)), n);
    ++n;
  }
  AutoSizeGrid(gridDados);
  atualizarStatus();
}

void ExportWindow::btnAbrirTextoClick() {
  const std::string pasta = pastaArquivos();
  paths::createFolder(paths::dados(platform_.programFolder()));
  paths::createFolder(pasta);
  const std::string arquivo = trim(
      dialogs_.getFileSelect(pasta + std::string(1, std::filesystem::path::preferred_separator),
                             kFiltroAbrirTexto, kFiltroAbrirTexto, false, true));
  if (!arquivo.empty()) abrirTexto(arquivo);
}

bool ExportWindow::abrirTexto(const std::string& arquivo) {
  std::optional<std::string> bytes = readFileBytes(arquivo);
  if (!bytes) {
    dialogs_.msgErro(kMsgNaoAbriuTexto + arquivo);
    return false;
  }
  if (planilhaBinaria(*bytes)) {
    dialogs_.msgErro(kMsgPlanilhaBinaria);
    return false;
  }
  std::string texto = decodeText(*bytes);
  std::string().swap(*bytes);
  // The header line is taken out; the first data line chooses the separator (the header line
  // when there is no data line).
  size_t fimCabecalho = texto.find_first_of("\r\n");
  std::string cabecalho = texto.substr(0, fimCabecalho);
  size_t inicioDados = fimCabecalho == std::string::npos ? texto.size() : fimCabecalho;
  if (inicioDados < texto.size() && texto[inicioDados] == '\r') ++inicioDados;
  if (inicioDados < texto.size() && texto[inicioDados] == '\n') ++inicioDados;
  std::string_view dados = std::string_view(texto).substr(inicioDados);
  std::string_view primeira = dados.substr(0, dados.find_first_of("\r\n"));
  if (dados.empty()) primeira = cabecalho;
  const char separador = primeira.find('\t') != std::string_view::npos ? '\t' : ';';
  loadDados(std::string(dados), separador, cabecalho);
  return true;
}

void ExportWindow::loadDados(const std::string& dados, char separador, const std::string& colunas) {
  TextGrid novo;
  std::vector<std::string> cabecalho = DelimitedRecords(colunas, separador).proximo();
  novo.setColCount(static_cast<int>(std::max<size_t>(1, cabecalho.size())));
  for (size_t i = 0; i < cabecalho.size(); ++i)
    novo.setCell(static_cast<int>(i), 0, trim(cabecalho[i]));
  DelimitedRecords registros(dados, separador);
  int linha = 0;
  while (!registros.fim()) {
    std::vector<std::string> campos = registros.proximo();
    // A record wider than the header widens the grid: no field is dropped.
    if (static_cast<int>(campos.size()) > novo.colCount())
      novo.setColCount(static_cast<int>(campos.size()));
    if (linha == 0)
      for (size_t c = 0; c < campos.size(); ++c) novo.setCell(static_cast<int>(c), 1, campos[c]);
    else
      novo.appendRow(std::move(campos));
    ++linha;
  }
  gridDados = std::move(novo);
  gridDados.moverCursor(0, 1);
  AutoSizeGrid(gridDados);
  atualizarStatus();
}

// ---- Column helpers -----------------------------------------------------------------------

int ExportWindow::temColuna(const std::string& nomeColuna) const {
  const std::string_view nome = trimView(nomeColuna);
  for (int c = 0; c < gridDados.colCount(); ++c)
    if (equalsIgnoreCase(trimView(gridDados.cell(c, 0)), nome)) return c;
  return -1;
}

int ExportWindow::inserirColuna(const std::string& nomeColuna) {
  if (!isBlank(gridDados.cell(0, 0))) gridDados.setColCount(gridDados.colCount() + 1);
  const int ultima = gridDados.colCount() - 1;
  gridDados.setCell(ultima, 0, nomeColuna);
  return ultima;
}

void ExportWindow::inserirValor(const std::string& nomeColuna, std::string valor, int linha) {
  if (linha < 0) return;
  int coluna = temColuna(nomeColuna);
  if (coluna < 0) coluna = inserirColuna(nomeColuna);
  if (linha >= gridDados.rowCount() - 1) gridDados.addRow();
  // A row further down than one past the end still gets its place.
  if (linha >= gridDados.rowCount()) gridDados.setRowCount(linha + 1);
  gridDados.setCell(coluna, linha, std::move(valor));
}

void ExportWindow::keepColumns(const std::vector<int>& colunas) {
  TextGrid novo;
  novo.setColCount(static_cast<int>(std::max<size_t>(1, colunas.size())));
  novo.reserveRows(gridDados.rowCount());
  novo.setRowCount(gridDados.rowCount());
  for (size_t k = 0; k < colunas.size(); ++k) {
    const int c = colunas[k];
    if (c < 0 || c >= gridDados.colCount()) continue;
    for (int r = 0; r < gridDados.rowCount(); ++r)
      novo.setCell(static_cast<int>(k), r, gridDados.cell(c, r));
  }
  gridDados = std::move(novo);
  atualizarStatus();
}

// ---- Mouse, pop-up menu, sort and widths --------------------------------------------------

bool ExportWindow::gridMouseUp(int coluna, int linha, MouseButton botao) {
  if (coluna < 0 || coluna >= gridDados.colCount() || linha < 0 || linha >= gridDados.rowCount())
    return false;
  gCol = coluna;
  if (linha != 0) return false;
  if (botao == MouseButton::direito) return true;
  if (botao == MouseButton::esquerdo) ordenarEstaColuna();
  return false;
}

void ExportWindow::ordenarEstaColuna() {
  gOrdem = !gOrdem;
  SortStringGrid(gridDados, gCol, gOrdem);
}

bool ExportWindow::SortStringGrid(TextGrid& grid, int coluna, bool desc) {
  return ordenarPorColuna(grid, coluna, desc, progress_, false);
}

void ExportWindow::AutoSizeGrid(TextGrid& grid) {
  TextGrid::Update atualizacao(grid);
  std::string texto;  // one buffer for every cell measured
  for (int c = 0; c < grid.colCount(); ++c) {
    int w = 10;
    for (int r = 0; r < grid.rowCount(); ++r) {
      texto.assign(grid.cell(c, r));
      w = std::max(
          w, larguraTexto ? larguraTexto(texto) : static_cast<int>(codePointCount(texto)) * 7);
    }
    grid.setColWidth(c, std::clamp(w, 50, 400) + 10);
    const int ultima = grid.rowCount() - 1;
    if (ultima > 1 && !grid.rowHasText(ultima)) grid.deleteRow(ultima);
  }
}

void ExportWindow::copiarColuna(int coluna) {
  if (coluna < 0 || coluna >= gridDados.colCount()) return;
  std::string texto;
  for (int r = 0; r < gridDados.rowCount(); ++r) {
    texto += gridDados.cell(coluna, r);
    texto += "\r\n";
  }
  platform_.setClipboardText(trim(texto));
  dialogs_.msgInformacao("Dados da coluna " + gridDados.cell(coluna, 0) + " copiados");
}

// ---- Pages --------------------------------------------------------------------------------

void ExportWindow::btnExcluirColunasClick() {
  clbColunas.clear();
  for (int c = 0; c < gridDados.colCount(); ++c) clbColunas.push_back({gridDados.cell(c, 0)});
  mostrarPagina(ExportPage::excluirColunas);
}

void ExportWindow::selecionarTodasColunas() {
  for (auto& coluna : clbColunas) coluna.marcada = true;
  avisar();
}

void ExportWindow::excluirColunasSelecionadas() {
  // The ticked columns by their place in the list (two columns may share a name), from the
  // right so that the places of the others do not move.
  TextGrid::Update atualizacao(gridDados);
  const int n = std::min(static_cast<int>(clbColunas.size()), gridDados.colCount());
  for (int c = n - 1; c >= 0; --c)
    if (clbColunas[c].marcada) gridDados.deleteColumn(c);
  clbColunas.clear();
  mostrarPagina(ExportPage::dados);
  atualizarStatus();
}

void ExportWindow::cancelarExclusaoColunas() {
  clbColunas.clear();
  mostrarPagina(ExportPage::dados);
}

void ExportWindow::abrirUtilitarios(const std::string& coluna) {
  cmbColunaItens.clear();
  for (int c = 0; c < gridDados.colCount(); ++c) cmbColunaItens.push_back(gridDados.cell(c, 0));
  cmbColuna = coluna;
  mostrarPagina(ExportPage::utilitarios);
}

void ExportWindow::btnUtilitariosClick() {
  abrirUtilitarios(cmbColuna);
}

void ExportWindow::utilitariosDaColuna() {
  abrirUtilitarios(gCol < gridDados.colCount() ? gridDados.cell(gCol, 0) : std::string());
}

}  // namespace quorvel
