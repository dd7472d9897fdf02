#include "bulk/bulk_validation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "bulk/line_read_ahead.h"
#include "common/format.h"
#include "common/line_reader.h"
#include "common/output_file.h"
#include "common/paths.h"
#include "common/text.h"
#include "store/store_failure.h"

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
constexpr const char* kMsgNaoLeuArquivo = "Não foi possível ler todo o arquivo: ";

}  // namespace

std::string sizeText(const std::string& caminho) {
  int64_t bytes = paths::getTamanhoArquivo(caminho);
  return std::to_string(std::max<int64_t>(bytes / 1000, 1)) + " KB";
}

void BulkValidation::abrirLista() {
  std::string escolha =
      dialogs_.getFileSelect(paths::dados(platform_.programFolder()) + "/", "*.*", "", true, true);
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

struct BulkValidation::Saidas {
  OutputFile val, inv;
  // The safe point: what both files held and what the run had counted after the last flush
  // that wrote both whole.
  struct Ponto {
    int64_t bytesVal = 0, bytesInv = 0;
    Counters contadores;
    size_t arquivo = 0;  // the listed file being read
    int64_t linhasDoArquivo = 0, validos = 0, invalidos = 0, totalLinhas = 0;
  } ponto;
};

void BulkValidation::iniciar() {
  // Filter lists not loaded yet: loaded now, and the run goes on.
  if (!v_.gRegras) notify(BulkNotice::Kind::definitionsMissing);
  if (!v_.gRegras) {
    dialogs_.msgErro(kMsgBancoNaoIniciado);
    return;
  }
  if (lstFiles.empty()) {
    dialogs_.msgErro(kMsgNenhumArquivo);
    return;
  }
  falha.clear();
  // Nothing to read: no output files either.
  if (!algumLegivel()) return;

  const std::string pasta =
      pastaSaida.empty() ? paths::dados(platform_.programFolder()) : pastaSaida;
  paths::createFolder(pasta);
  Saidas s;
  if (!criarSaidas(pasta, s.val, s.inv)) return;
  s.val.setAutoFlush(false);
  s.inv.setAutoFlush(false);

  // The validation window shows the counters of the run.
  notify(BulkNotice::Kind::runStarted);
  pump_.processEvents();
  btnIniciarHabilitado = false;
  cancelado = false;
  totalLinhas = 0;
  bytesTotais = bytesLidos = 0;
  for (const auto& f : lstFiles)
    bytesTotais += std::max<int64_t>(paths::getTamanhoArquivo(f.arquivo), 0);
  notify();
  v_.stagesRunStarts();
  // About as many addresses as lines: a short line of an address and its line end.
  constexpr int64_t kBytesPorLinha = 64;
  v_.stagesExpect(static_cast<size_t>(bytesTotais / kBytesPorLinha));
  s.ponto.bytesVal = s.val.written();
  s.ponto.bytesInv = s.inv.written();
  s.ponto.contadores = v_.counters;

  for (size_t i = 0; i < lstFiles.size(); ++i) {
    // A cancel asked for while the previous file was ending is not lost to the next box.
    if ((i > 0 && cancelamentoAtendido()) || !validarArquivo(i, s)) break;
  }
  // The last lines; a failure here still leaves whole lines up to the safe point.
  if (falha.empty()) sincronizar(s);
  v_.stagesRunEnds();

  // The end. The files are complete before their folder is shown.
  btnIniciarHabilitado = true;
  notify(BulkNotice::Kind::runEnded);
  progress_.hide();
  s.val.close();
  s.inv.close();
  platform_.shellOpen(pasta);
  notify();
}

bool BulkValidation::sincronizar(Saidas& s) {
  const bool okVal = s.val.flush();
  const bool okInv = s.inv.flush();
  if (okVal && okInv) {
    s.ponto = {s.val.written(), s.inv.written(), v_.counters, s.ponto.arquivo,
               linhasLidas,     validos,         invalidos,   totalLinhas};
    return true;
  }
  // Back to the safe point: both files end with whole lines, the counters say what they hold.
  const OutputFile& f = okVal ? s.inv : s.val;
  s.val.truncateTo(s.ponto.bytesVal);
  s.inv.truncateTo(s.ponto.bytesInv);
  v_.counters = s.ponto.contadores;
  linhasLidas = s.ponto.linhasDoArquivo;
  validos = s.ponto.validos;
  invalidos = s.ponto.invalidos;
  totalLinhas = s.ponto.totalLinhas;
  const std::string& arquivo = lstFiles[s.ponto.arquivo].arquivo;
  falha = kMsgNaoGravouArquivo + f.path() + "\\n" + f.error() +
          "\\nA validação foi interrompida. Os arquivos de saída guardam as primeiras " +
          formatNumber(linhasLidas) + " linhas de " + paths::fileName(arquivo) +
          (s.ponto.arquivo > 0 ? " (e os arquivos anteriores inteiros)" : "") +
          ": retome a partir da linha " + formatNumber(linhasLidas + 1) + ".";
  dialogs_.msgErro(falha);
  return false;
}

bool BulkValidation::algumLegivel() {
  // Opened and closed without reading: standard input, given as a file, stays whole.
  for (const auto& f : lstFiles) {
    int fd = ::open(f.arquivo.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    const bool pasta = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    ::close(fd);
    if (!pasta) return true;
  }
  for (const auto& f : lstFiles) dialogs_.msgErro(kMsgNaoAbriuArquivo + f.arquivo);
  return false;
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

void BulkValidation::mostrarAvanco() {
  if (bytesTotais <= 0) return;
  progress_.setPosition(
      std::clamp<int64_t>(bytesLidos * kEscalaBarra / bytesTotais, 0, kEscalaBarra));
}

bool BulkValidation::cancelamentoAtendido() {
  if (!progress_.cancelou()) return false;
  dialogs_.msgInformacao(kMsgGrandesCancelado);
  cancelado = true;
  return true;
}

bool BulkValidation::validarArquivo(size_t indice, Saidas& s) {
  const std::string& caminho = lstFiles[indice].arquivo;
  // The gauge shows the share of the bytes of every listed file that the lines validated so far
  // take (in thousandths), so it reaches its end with the last line.
  progress_.setProgress(kOperacaoLendoArquivos, kEscalaBarra,
                        "arquivo: " + paths::fileName(caminho));
  mostrarAvanco();
  linhasLidas = validos = invalidos = 0;
  const int64_t bytesAntes = bytesLidos;

  LineReader reader;
  std::string erroAbertura;
  if (!reader.open(caminho, erroAbertura)) {
    dialogs_.msgErro(kMsgNaoAbriuArquivo + caminho);
    return true;
  }
  // The safe point moves to this file only once its first lines are written.
  if (!sincronizar(s)) return false;
  s.ponto.arquivo = indice;

  LineReadAhead linhas(reader, v_);
  std::string erro;
  while (const PreparedLine* linha = linhas.proxima()) {
    if (cancelamentoAtendido()) return false;
    ++linhasLidas;
    ++totalLinhas;
    if (linhasLidas % 100 == 0) {
      bytesLidos = bytesAntes + linha->fimBytes;
      mostrarAvanco();
      progress_.setLegend(2, "Linhas processadas: " + formatNumber(linhasLidas));
      progress_.setLegend(
          3, "Válidos: " + formatNumber(validos) + " / " + "Inválidos: " + formatNumber(invalidos));
      notify(BulkNotice::Kind::progressed);
      pump_.processEvents();
    }
    try {
      if (linha->falhou) throw std::runtime_error("linha não preparada");
      v_.validarPreparado(linha->endereco(), erro);
      if (!erro.empty() && !linha->texto.empty()) {
        ++invalidos;
        // A suggestion is a third field.
        if (!v_.sugestao.empty()) (erro += '\t') += v_.sugestao;
        s.inv.writeLine(linha->texto, '\t', erro);
      } else {
        ++validos;
        s.val.writeLine(linha->texto);
      }
      if (!linha->texto.empty()) v_.incLabelNumber(Counter::lbProcessados);
      if ((s.val.bufferFull() || s.inv.bufferFull()) && !sincronizar(s)) return false;
    } catch (const StoreFailure& e) {
      // The store cannot answer: the run stops with what was written before this line.
      --linhasLidas;
      --totalLinhas;
      if (!sincronizar(s)) return false;
      falha = e.what() + std::string("\\nA validação foi interrompida na linha ") +
              formatNumber(linhasLidas + 1) + " de " + paths::fileName(caminho) + ".";
      dialogs_.msgErro(falha);
      return false;
    } catch (const std::exception&) {
      progress_.stepProgress();
      progress_.setLegend(3, "Erro em: " + v_.counters.text(Counter::lbProcessados));
    }
  }
  bytesLidos = bytesAntes + reader.bytesRead();
  mostrarAvanco();
  const std::string& erroLeitura = reader.readError().empty() ? linhas.falha() : reader.readError();
  if (!erroLeitura.empty()) dialogs_.msgErro(kMsgNaoLeuArquivo + caminho + "\\n" + erroLeitura);
  return true;
}

}  // namespace quorvel
