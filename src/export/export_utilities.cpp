// The export window's utilities page: rows dropped when a column is blank or repeats a value,
// and a replacement inside one column.

#include <unordered_set>

#include "common/format.h"
#include "common/text.h"
#include "export/export_window.h"
#include "lists/column_operations.h"

namespace quorvel {
namespace {

constexpr const char* kMsgSemColuna =
    "Houve uma inconsistência no processamento. Você precisa definir a coluna que servirá de "
    "base para essa operação";
constexpr const char* kFimDaOperacao = "Fim da operação";

}  // namespace

int ExportWindow::colunaDaCaixa(const std::string& nomeColuna) {
  const int coluna = temColuna(nomeColuna);
  if (coluna < 0) dialogs_.msgErro(kMsgSemColuna);
  return coluna;
}

template <class Manter, class Legenda>
bool ExportWindow::filtrarLinhas(TextGrid& g, const std::string& operacao, Manter manter,
                                 Legenda legenda3) {
  const int linhas = g.rowCount();
  const std::string total = "Total de linhas: " + formatNumberOrEmpty(linhas - 1);
  progress_.setProgress(operacao, linhas - 1, total, "Processadas: 0", legenda3(0, 0));
  // Pass 1: which rows stay. A cancel here leaves the grid as it was.
  std::vector<char> remover(static_cast<size_t>(linhas), 0);
  int mantidas = 1, descartadas = 0;  // the header row always stays
  for (int r = 1; r < linhas; ++r) {
    if (manter(r)) {
      ++mantidas;
    } else {
      remover[static_cast<size_t>(r)] = 1;
      ++descartadas;
    }
    if (r % kPassoLegendas == 0 || r == linhas - 1)
      progress_.stepProgress({}, "Processadas: " + formatNumberOrEmpty(r),
                             legenda3(mantidas, descartadas));
    else
      progress_.stepProgress();
    if (progress_.cancelou()) {
      progress_.hide();
      return false;
    }
  }
  // Pass 2: the rows kept take their places in one step, so nothing can stop it half way.
  progress_.setProgress("Atualizando tabela de dados..", mantidas, total,
                        "Processadas: " + formatNumberOrEmpty(linhas - 1),
                        legenda3(mantidas, descartadas));
  g.removeRows(remover);
  progress_.setPosition(mantidas);
  progress_.setConcluido(kFimDaOperacao);
  atualizarStatus();
  return true;
}

bool ExportWindow::excluirVazias(TextGrid& g, int coluna, const std::string& nome) {
  return filtrarLinhas(
      g, "Eliminando linhas quando a coluna " + nome + " estiver vazia",
      [&](int r) { return !isBlank(g.cell(coluna, r)); },
      [](int mantidas, int) { return "Lista final: " + formatNumber(mantidas - 1); });
}

bool ExportWindow::excluirRepetidos(TextGrid& g, int coluna, const std::string& nome) {
  std::unordered_set<std::string> vistos;
  vistos.reserve(static_cast<size_t>(g.rowCount()));
  std::string valor;
  return filtrarLinhas(
      g, "Eliminando repetidos pela coluna " + nome,
      [&](int r) {
        toLowerInto(trimView(g.cell(coluna, r)), valor);
        return vistos.insert(valor).second;
      },
      [](int, int repetidos) { return "Repetidos: " + formatNumber(repetidos); });
}

bool ExportWindow::substituir(TextGrid& g, int coluna, const std::string& nome,
                              const std::string& valorF, const std::string& valorI) {
  TextGrid::Update atualizacao(g);
  const int linhas = g.rowCount();
  progress_.setProgress("Substituindo valores na coluna " + nome + "...", linhas - 1,
                        "Total de linhas: " + formatNumberOrEmpty(linhas - 1), "Processadas: 0");
  for (int r = 1; r < linhas; ++r) {
    const std::string_view celula = g.cell(coluna, r);
    if (!isBlank(celula)) {
      std::string novo = trim(substituirIgnorandoCaixa(trim(celula), valorF, valorI));
      if (novo != celula) g.setCell(coluna, r, std::move(novo));
    }
    if (r % kPassoLegendas == 0 || r == linhas - 1)
      progress_.stepProgress({}, "Processadas: " + formatNumberOrEmpty(r + 1));
    else
      progress_.stepProgress();
    // A cancel keeps the rows changed so far.
    if (progress_.cancelou()) {
      progress_.hide();
      return false;
    }
  }
  progress_.setConcluido(kFimDaOperacao);
  return true;
}

bool ExportWindow::utilDeletarColunaVazia(TextGrid& aGrid, const std::string& nomeColuna) {
  const int coluna = colunaDaCaixa(nomeColuna);
  return coluna >= 0 && excluirVazias(aGrid, coluna, nomeColuna);
}

bool ExportWindow::utilDeletarColunaRepetida(TextGrid& aGrid, const std::string& nomeColuna) {
  const int coluna = colunaDaCaixa(nomeColuna);
  return coluna >= 0 && excluirRepetidos(aGrid, coluna, nomeColuna);
}

bool ExportWindow::utilSubstituirColuna(TextGrid& aGrid, const std::string& nomeColuna,
                                        const std::string& valorF, const std::string& valorI) {
  const int coluna = colunaDaCaixa(nomeColuna);
  return coluna >= 0 && substituir(aGrid, coluna, nomeColuna, valorF, valorI);
}

bool ExportWindow::utilDeletarColunaVazia(TextGrid& aGrid, int coluna) {
  return coluna >= 0 && coluna < aGrid.colCount() &&
         excluirVazias(aGrid, coluna, trim(aGrid.cell(coluna, 0)));
}

bool ExportWindow::utilDeletarColunaRepetida(TextGrid& aGrid, int coluna) {
  return coluna >= 0 && coluna < aGrid.colCount() &&
         excluirRepetidos(aGrid, coluna, trim(aGrid.cell(coluna, 0)));
}

}  // namespace quorvel
