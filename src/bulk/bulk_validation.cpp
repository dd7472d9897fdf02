#include "bulk/bulk_validation.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "bulk/line_read_ahead.h"
#include "common/format.h"
#include "common/line_reader.h"
#include "common/output_file.h"
#include "common/paths.h"
#include "common/text.h"

namespace quorvel {
namespace {

constexpr const char* kAjudaGrandes =
    "Validação de listas gigantes\\n\\nNo modo clássico todos os dados são mostrados na tela, "
    "e o tamanho da lista fica limitado pela memória do computador.\\n\\nAqui você informa os "
    "arquivos de entrada, que são validados sem serem mostrados, linha a linha, qualquer que "
    "seja o tamanho. Ao final são criados dois arquivos com o prefixo big_ (os válidos e os "
    "inválidos, com o motivo) e a pasta onde eles estão é aberta.";
constexpr const char* kMsgNaoCriouArquivo = "Não foi possível criar o arquivo: ";
constexpr const char* kMsgNaoGravouArquivo = "Não foi possível gravar o arquivo: ";
constexpr const char* kMsgGravacaoInterrompida =
    "\\nA validação foi interrompida; o que já tinha sido gravado continua no arquivo.";
constexpr const char* kMsgNaoLeuArquivo = "Não foi possível ler todo o arquivo: ";

}  // namespace

std::string sizeText(const std::string& caminho) {
  int64_t bytes = paths::getTamanhoArquivo(caminho);
  return std::to_string(std::max<int64_t>(bytes / 1000, 1)) + " KB";
}

void BulkValidation::abrirLista() {
  std::string escolha =
      dialogs_.getFileSelect(paths::dados(platform_.programFolder()) + "/", "", "*.*", true, true);
  adicionarArquivos(splitLines(escolha));
}

void BulkValidation::adicionarArquivos(const std::vector<std::string>& caminhos) {
  bool mudou = false;
  for (const auto& bruto : caminhos) {
    std::string caminho = trim(bruto);
    if (caminho.empty()) continue;
    bool listado = std::any_of(lstFiles.begin(), lstFiles.end(), [&](const ListedFile& a) {
      return equalsIgnoreCase(a.arquivo, caminho);
    });
    if (listado) continue;
    lstFiles.push_back({caminho, sizeText(caminho)});
    mudou = true;
  }
  if (mudou) notify();
}

void BulkValidation::excluir(std::vector<int> linhas) {
  std::sort(linhas.begin(), linhas.end());
  linhas.erase(std::unique(linhas.begin(), linhas.end()), linhas.end());
  for (auto it = linhas.rbegin(); it != linhas.rend(); ++it)
    if (*it >= 0 && *it < static_cast<int>(lstFiles.size())) lstFiles.erase(lstFiles.begin() + *it);
  notify();
}

void BulkValidation::mostrarAjuda() {
  dialogs_.msgAjuda(kAjudaGrandes, 0, 400);
}

void BulkValidation::iniciar() {
  if (!v_.gRegras) {
    dialogs_.msgErro(kMsgBancoNaoIniciado);
    if (onAbrirDefinicoes) onAbrirDefinicoes();
    return;
  }
  if (lstFiles.empty()) {
    dialogs_.msgErro(kMsgNenhumArquivo);
    return;
  }

  const std::string pasta = paths::dados(platform_.programFolder());
  paths::createFolder(pasta);
  OutputFile val, inv;
  if (!criarSaidas(pasta, val, inv)) return;

  // The validation window shows the counters of the run.
  notify(BulkNotice::Kind::runStarted);
  pump_.processEvents();
  btnIniciarHabilitado = false;
  cancelado = false;
  totalLinhas = 0;
  notify();
  v_.stagesRunStarts();

  for (size_t i = 0; i < lstFiles.size(); ++i) {
    // A cancel asked for while the previous file was ending is not lost to the next box.
    if ((i > 0 && cancelamentoAtendido()) || !validarArquivo(i, val, inv)) break;
  }

  // The end. The files are complete before their folder is shown.
  btnIniciarHabilitado = true;
  notify(BulkNotice::Kind::runEnded);
  progress_.hide();
  val.close();
  inv.close();
  // A write failure, during the run or in the last flush, stops the run and is told once.
  if (val.failed() || inv.failed()) {
    const OutputFile& f = val.failed() ? val : inv;
    dialogs_.msgErro(kMsgNaoGravouArquivo + f.path() + "\\n" + f.error() +
                     kMsgGravacaoInterrompida);
  }
  platform_.shellOpen(pasta);
  notify();
}

bool BulkValidation::criarSaidas(const std::string& pasta, OutputFile& val, OutputFile& inv) {
  // Two runs in the same second must not write into each other's files: both names are taken
  // new, with " (2)", " (3)" ... before ".txt" while either exists.
  const std::string carimbo = fileStamp(platform_.now());
  for (int n = 1;; ++n) {
    const std::string sufixo = carimbo + (n == 1 ? "" : " (" + std::to_string(n) + ")") + ".txt";
    arquivoValidos = paths::join(pasta, "big_validos " + sufixo);
    arquivoInvalidos = paths::join(pasta, "big_invalidos " + sufixo);
    if (val.create(arquivoValidos, true) && inv.create(arquivoInvalidos, true)) return true;
    const bool ocupado = val.existed() || inv.existed();
    const OutputFile& falhou = val.failed() ? val : inv;
    const std::string erro = kMsgNaoCriouArquivo + falhou.path() + "\\n" + falhou.error();
    if (!val.failed()) {
      val.close();
      std::remove(arquivoValidos.c_str());  // ours, just created and empty
    }
    if (!ocupado || n >= 1000) {
      dialogs_.msgErro(erro);
      arquivoValidos.clear();
      arquivoInvalidos.clear();
      return false;
    }
  }
}

bool BulkValidation::cancelamentoAtendido() {
  if (!progress_.cancelou()) return false;
  dialogs_.msgInformacao(kMsgGrandesCancelado);
  cancelado = true;
  return true;
}

bool BulkValidation::validarArquivo(size_t indice, OutputFile& val, OutputFile& inv) {
  const std::string& caminho = lstFiles[indice].arquivo;
  progress_.setProgress(kOperacaoLendoArquivos, static_cast<int64_t>(lstFiles.size()),
                        "arquivo: " + paths::fileName(caminho));
  progress_.setPosition(static_cast<int64_t>(indice) + 1);
  linhasLidas = validos = invalidos = 0;

  LineReader reader;
  std::string erroAbertura;
  if (!reader.open(caminho, erroAbertura)) {
    dialogs_.msgErro(kMsgNaoAbriuArquivo + caminho);
    return true;
  }

  LineReadAhead linhas(reader, v_);
  std::string erro;
  while (const PreparedLine* linha = linhas.proxima()) {
    if (cancelamentoAtendido()) return false;
    ++linhasLidas;
    ++totalLinhas;
    if (linhasLidas % 100 == 0) {
      progress_.setLegend(2, "Linhas processadas: " + formatNumber(linhasLidas));
      progress_.setLegend(
          3, "Válidos: " + formatNumber(validos) + " / " + "Inválidos: " + formatNumber(invalidos));
      notify(BulkNotice::Kind::progressed);
      pump_.processEvents();
    }
    try {
      if (linha->falhou) throw std::runtime_error("linha não preparada");
      v_.validarNormalizado(linha->normalizado, erro);
      if (!erro.empty() && !linha->texto.empty()) {
        ++invalidos;
        inv.writeLine(linha->texto, '\t', erro);
      } else {
        ++validos;
        val.writeLine(linha->texto);
      }
      if (!linha->texto.empty()) v_.incLabelNumber(Counter::lbProcessados);
      if (val.failed() || inv.failed()) return false;
    } catch (const std::exception&) {
      progress_.stepProgress();
      progress_.setLegend(3, "Erro em: " + v_.counters.text(Counter::lbProcessados));
    }
  }
  if (!reader.readError().empty())
    dialogs_.msgErro(kMsgNaoLeuArquivo + caminho + "\\n" + reader.readError());
  return true;
}

}  // namespace quorvel
