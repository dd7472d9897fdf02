// The export window's writers: the ";" text, the HTML table, the listing and the spreadsheet.

#include <unistd.h>

#include <filesystem>
#include <functional>

#include "common/format.h"
#include "common/output_file.h"
#include "common/paths.h"
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

}  // namespace

template <class Linha, class Saida>
WriteOutcome ExportWindow::percorrerLinhas(Linha linha, Saida saida) {
  GridHidden escondido([this](bool v) { setGridVisivel(v); });
  const TextGrid& g = gridDados;
  const int registros = g.dataRowCount();
  progress_.setProgress("Preparando dados...", registros,
                        "Total de registros: " + formatNumberOrEmpty(registros));
  std::string texto;
  for (int r = 0; r < g.rowCount(); ++r) {
    texto.clear();
    linha(texto, g.rowCells(r));
    if (!saida(texto)) {
      progress_.hide();
      return WriteOutcome::falhou;
    }
    if (r % kPassoLegendas == 0 || r == g.rowCount() - 1)
      progress_.stepProgress({}, "Processados: " + formatNumberOrEmpty(r),
                             "Copiados: " + formatNumberOrEmpty(r + 1));
    else
      progress_.stepProgress();
    if (progress_.cancelou()) {
      progress_.hide();
      dialogs_.msgInformacao(kMsgCancelado);
      return WriteOutcome::cancelado;
    }
  }
  progress_.hide();
  return WriteOutcome::gravado;
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

template <class Linha>
WriteOutcome ExportWindow::gravarArquivo(const std::string& alvo, Linha linha, const char* inicio,
                                         const char* fim) {
  const std::string temporario = temporaryBeside(alvo);
  OutputFile f;
  WriteOutcome r = WriteOutcome::falhou;
  std::string erro;
  if (f.create(temporario)) {
    if (inicio) f.writeLine(inicio);
    r = percorrerLinhas(linha, [&f](const std::string& texto) {
      f.writeLine(texto);
      return !f.failed();
    });
    if (r == WriteOutcome::gravado && fim) f.writeLine(fim);
    const bool fechado = f.close();
    if (r == WriteOutcome::gravado && !fechado) r = WriteOutcome::falhou;
    bool ocupado = false;
    if (r == WriteOutcome::gravado && !putInPlace(temporario, alvo, true, erro, ocupado))
      r = WriteOutcome::falhou;
  }
  if (r != WriteOutcome::gravado) ::unlink(temporario.c_str());
  if (r == WriteOutcome::falhou)
    dialogs_.msgErro("Não foi possível gravar o arquivo " + alvo + ": " +
                     (f.failed() ? f.error() : erro));
  return r;
}

WriteOutcome ExportWindow::saveToText(const std::string& arquivo, bool silent) {
  bool usouDialogo = false;
  const std::string alvo = alvoDaGravacao(arquivo, silent, ".txt", "", usouDialogo);
  if (alvo.empty()) return WriteOutcome::desistiu;
  const WriteOutcome r = gravarArquivo(alvo, acrescentarLinhaTexto, nullptr, nullptr);
  if (r != WriteOutcome::gravado) return r;
  gArquivoTexto = alvo;
  if (usouDialogo) platform_.shellOpen(pastaArquivos());
  return r;
}

WriteOutcome ExportWindow::saveToHtml(const std::string& arquivo, bool silent) {
  bool usouDialogo = false;
  const std::string alvo = alvoDaGravacao(arquivo, silent, ".html", gArquivoHtml, usouDialogo);
  if (alvo.empty()) return WriteOutcome::desistiu;
  const WriteOutcome r = gravarArquivo(alvo, acrescentarLinhaHtml, kHtmlInicio, kHtmlFim);
  if (r != WriteOutcome::gravado) return r;
  gArquivoHtml = alvo;
  if (usouDialogo) platform_.shellOpen(alvo);
  return r;
}

WriteOutcome ExportWindow::getGridText() {
  std::string listagemNova;
  const WriteOutcome r = percorrerLinhas(acrescentarLinhaListagem, [&](const std::string& texto) {
    listagemNova += texto;
    listagemNova += "\r\n";
    return true;
  });
  if (r != WriteOutcome::gravado) return r;
  platform_.setClipboardText(listagemNova);
  dialogs_.msgInformacao(kMsgListagemCopiada);
  listagem = std::move(listagemNova);
  avisar(ExportNotice::Kind::listagem);
  return r;
}

void ExportWindow::btnSalvarExcelClick() {
  dialogs_.msgDica(kDicaExcelId, kDicaExcel, kDicaExcelAltura);
  GridHidden escondido([this](bool v) { setGridVisivel(v); });
  CLNegOffice(dialogs_, progress_, platform_).exportGridToExcel(gridDados);
}

}  // namespace quorvel
