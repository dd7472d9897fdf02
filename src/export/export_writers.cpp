// The export window's writers: the ";" text, the HTML table, the listing and the spreadsheet.

#include <filesystem>

#include "common/format.h"
#include "common/paths.h"
#include "common/text_file.h"
#include "export/cl_neg_office.h"
#include "export/export_lines.h"
#include "export/export_window.h"

namespace quorvel {
namespace {

constexpr const char* kMsgCancelado = "Procedimento cancelado";
constexpr const char* kMsgSobrepor = "O arquivo já existe. Deseja sobrepor?";
constexpr const char* kMsgListagemCopiada =
    "Os dados foram copiados para a área de transferência. Para colar, pressione CTRL + V dentro "
    "de qualquer editor de texto.";
constexpr const char* kBom = "\xEF\xBB\xBF";
// The captions of the progress box follow the rows this often (the gauge follows every row).
constexpr int kPassoLegendas = 100;

// The grid is hidden while a writer reads it and shown again however the writer ends.
class GridHidden {
 public:
  explicit GridHidden(std::function<void(bool)> mostrar) : mostrar_(std::move(mostrar)) {
    mostrar_(false);
  }
  ~GridHidden() { mostrar_(true); }
  GridHidden(const GridHidden&) = delete;
  GridHidden& operator=(const GridHidden&) = delete;

 private:
  std::function<void(bool)> mostrar_;
};

size_t tamanhoPrevisto(const TextGrid& g, size_t porCelula, size_t porLinha) {
  size_t total = 0;
  for (int r = 0; r < g.rowCount(); ++r) {
    total += porLinha;
    for (const auto& c : g.rowCells(r)) total += c.size() + porCelula;
  }
  return total;
}

}  // namespace

template <class Linha>
bool ExportWindow::montarLinhas(std::string& saida, Linha linha) {
  const TextGrid& g = gridDados;
  const int registros = g.dataRowCount();
  progress_.setProgress("Preparando dados...", registros,
                        "Total de registros: " + formatNumberOrEmpty(registros));
  for (int r = 0; r < g.rowCount(); ++r) {
    linha(saida, g.rowCells(r));
    saida += "\r\n";
    if (r % kPassoLegendas == 0 || r == g.rowCount() - 1)
      progress_.stepProgress({}, "Processados: " + formatNumberOrEmpty(r),
                             "Copiados: " + formatNumberOrEmpty(r + 1));
    else
      progress_.stepProgress();
    if (progress_.cancelou()) {
      progress_.hide();
      dialogs_.msgInformacao(kMsgCancelado);
      return false;
    }
  }
  progress_.hide();
  return true;
}

std::string ExportWindow::alvoDaGravacao(const std::string& arquivo, bool silent,
                                         const std::string& extensao, const std::string& sugestao,
                                         bool& usouDialogo) {
  usouDialogo = arquivo.empty();
  std::string alvo = arquivo;
  if (usouDialogo) {
    const std::string pasta = pastaArquivos();
    paths::createFolder(paths::dados(platform_.programFolder()));
    paths::createFolder(pasta);
    alvo = dialogs_.getFileSave(pasta + std::string(1, std::filesystem::path::preferred_separator),
                                sugestao, extensao);
    if (alvo.empty()) return {};
  }
  if (usouDialogo && !silent && paths::exists(alvo) && dialogs_.msgPergunta(kMsgSobrepor) != kSim)
    return {};
  return alvo;
}

bool ExportWindow::gravar(const std::string& alvo, const std::string& dados) {
  // Written whole beside the target and then renamed over it: a failure (a full disk, a folder
  // that cannot be written) leaves whatever file had that name as it was.
  WriteResult escrito = writeFileAtomic(alvo, dados);
  if (!escrito.ok)
    dialogs_.msgErro("Não foi possível gravar o arquivo " + alvo + ": " + escrito.error);
  return escrito.ok;
}

WriteOutcome ExportWindow::saveToText(const std::string& arquivo, bool silent) {
  GridHidden escondido([this](bool v) { setGridVisivel(v); });
  std::string dados;
  dados.reserve(3 + tamanhoPrevisto(gridDados, 3, 2));
  dados = kBom;
  if (!montarLinhas(dados, acrescentarLinhaTexto)) return WriteOutcome::cancelado;
  bool usouDialogo = false;
  const std::string alvo = alvoDaGravacao(arquivo, silent, ".txt", "", usouDialogo);
  if (alvo.empty()) return WriteOutcome::desistiu;
  if (!gravar(alvo, dados)) return WriteOutcome::falhou;
  gArquivoTexto = alvo;
  if (usouDialogo) platform_.shellOpen(pastaArquivos());
  return WriteOutcome::gravado;
}

WriteOutcome ExportWindow::saveToHtml(const std::string& arquivo, bool silent) {
  GridHidden escondido([this](bool v) { setGridVisivel(v); });
  std::string dados;
  dados.reserve(64 + tamanhoPrevisto(gridDados, 12, 11));
  dados = kBom;
  dados += kHtmlInicio;
  dados += "\r\n";
  if (!montarLinhas(dados, acrescentarLinhaHtml)) return WriteOutcome::cancelado;
  bool usouDialogo = false;
  const std::string alvo = alvoDaGravacao(arquivo, silent, ".html", gArquivoHtml, usouDialogo);
  if (alvo.empty()) return WriteOutcome::desistiu;
  dados += kHtmlFim;
  dados += "\r\n";
  if (!gravar(alvo, dados)) return WriteOutcome::falhou;
  gArquivoHtml = alvo;
  if (usouDialogo) platform_.shellOpen(alvo);
  return WriteOutcome::gravado;
}

WriteOutcome ExportWindow::getGridText() {
  std::string texto;
  {
    GridHidden escondido([this](bool v) { setGridVisivel(v); });
    texto.reserve(tamanhoPrevisto(gridDados, 1, 2));
    if (!montarLinhas(texto, acrescentarLinhaListagem)) return WriteOutcome::cancelado;
  }
  platform_.setClipboardText(texto);
  dialogs_.msgInformacao(kMsgListagemCopiada);
  listagem = std::move(texto);
  avisar(ExportNotice::Kind::listagem);
  return WriteOutcome::gravado;
}

void ExportWindow::btnSalvarExcelClick() {
  dialogs_.msgDica(kDicaExcelId, kDicaExcel, kDicaExcelAltura);
  GridHidden escondido([this](bool v) { setGridVisivel(v); });
  CLNegOffice(dialogs_, progress_, platform_).exportGridToExcel(gridDados);
}

}  // namespace quorvel
