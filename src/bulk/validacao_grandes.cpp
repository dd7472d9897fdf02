#include "bulk/validacao_grandes.h"

#include <algorithm>
#include <stdexcept>

#include "bulk/linhas_adiante.h"
#include "common/arquivo_saida.h"
#include "common/format.h"
#include "common/leitor_linhas.h"
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

std::string textoTamanho(const std::string& caminho) {
  int64_t bytes = paths::getTamanhoArquivo(caminho);
  return std::to_string(std::max<int64_t>(bytes / 1000, 1)) + " KB";
}

void ValidacaoGrandes::abrirLista() {
  std::string escolha =
      dialogs_.getFileSelect(paths::dados(platform_.programFolder()) + "/", "", "*.*", true, true);
  adicionarArquivos(splitLines(escolha));
}

void ValidacaoGrandes::adicionarArquivos(const std::vector<std::string>& caminhos) {
  bool mudou = false;
  for (const auto& bruto : caminhos) {
    std::string caminho = trim(bruto);
    if (caminho.empty()) continue;
    bool listado = std::any_of(lstFiles.begin(), lstFiles.end(), [&](const ArquivoListado& a) {
      return equalsIgnoreCase(a.arquivo, caminho);
    });
    if (listado) continue;
    lstFiles.push_back({caminho, textoTamanho(caminho)});
    mudou = true;
  }
  if (mudou) notify();
}

void ValidacaoGrandes::excluir(std::vector<int> linhas) {
  std::sort(linhas.begin(), linhas.end());
  linhas.erase(std::unique(linhas.begin(), linhas.end()), linhas.end());
  for (auto it = linhas.rbegin(); it != linhas.rend(); ++it)
    if (*it >= 0 && *it < static_cast<int>(lstFiles.size())) lstFiles.erase(lstFiles.begin() + *it);
  notify();
}

void ValidacaoGrandes::mostrarAjuda() {
  dialogs_.msgAjuda(kAjudaGrandes, 0, 400);
}

void ValidacaoGrandes::iniciar() {
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
  paths::criarPasta(pasta);
  const std::string carimbo = carimboArquivo(platform_.now());
  arquivoValidos = paths::join(pasta, "big_validos " + carimbo + ".txt");
  arquivoInvalidos = paths::join(pasta, "big_invalidos " + carimbo + ".txt");
  ArquivoSaida val, inv;
  for (ArquivoSaida* f : {&val, &inv}) {
    const std::string& caminho = f == &val ? arquivoValidos : arquivoInvalidos;
    if (!f->criar(caminho)) {
      dialogs_.msgErro(kMsgNaoCriouArquivo + caminho + "\\n" + f->erro());
      return;
    }
  }

  // The validation window shows the counters of the run.
  v_.mostrar();
  v_.zerarContadores();
  v_.contadores.setIndefinido(Contador::lbTotalOriginal);
  v_.btnIniciarHabilitado = false;
  v_.btnFecharHabilitado = false;
  v_.barraProgressoVisivel = false;
  v_.avisarMudanca();
  pump_.processEvents();
  btnIniciarHabilitado = false;
  cancelado = false;
  totalLinhas = 0;
  notify();
  v_.inicioExecucaoEtapas();

  for (size_t i = 0; i < lstFiles.size(); ++i) {
    // A cancel asked for while the previous file was ending is not lost to the next box.
    if ((i > 0 && cancelamentoAtendido()) || !validarArquivo(i, val, inv)) break;
  }

  // The end. The files are complete before their folder is shown.
  btnIniciarHabilitado = true;
  v_.btnFecharHabilitado = true;
  v_.avisarMudanca();
  progress_.esconder();
  val.fechar();
  inv.fechar();
  // A write failure, during the run or in the last flush, stops the run and is told once.
  if (val.falhou() || inv.falhou()) {
    const ArquivoSaida& f = val.falhou() ? val : inv;
    dialogs_.msgErro(kMsgNaoGravouArquivo + f.caminho() + "\\n" + f.erro() +
                     kMsgGravacaoInterrompida);
  }
  platform_.shellOpen(pasta);
  notify();
}

bool ValidacaoGrandes::cancelamentoAtendido() {
  if (!progress_.cancelou()) return false;
  dialogs_.msgInformacao(kMsgGrandesCancelado);
  cancelado = true;
  return true;
}

bool ValidacaoGrandes::validarArquivo(size_t indice, ArquivoSaida& val, ArquivoSaida& inv) {
  const std::string& caminho = lstFiles[indice].arquivo;
  progress_.setProgress(kOperacaoLendoArquivos, static_cast<int64_t>(lstFiles.size()),
                        "arquivo: " + paths::nomeArquivo(caminho));
  progress_.setPosicao(static_cast<int64_t>(indice) + 1);
  linhasLidas = validos = invalidos = 0;

  LeitorLinhas leitor;
  std::string erroAbertura;
  if (!leitor.abrir(caminho, erroAbertura)) {
    dialogs_.msgErro(kMsgNaoAbriuArquivo + caminho);
    return true;
  }

  LinhasAdiante linhas(leitor, v_);
  std::string erro;
  while (const LinhaPreparada* linha = linhas.proxima()) {
    if (cancelamentoAtendido()) return false;
    ++linhasLidas;
    ++totalLinhas;
    if (linhasLidas % 100 == 0) {
      progress_.setLegenda(2, "Linhas processadas: " + formatNumero(linhasLidas));
      progress_.setLegenda(
          3, "Válidos: " + formatNumero(validos) + " / " + "Inválidos: " + formatNumero(invalidos));
      v_.avisarMudanca();
      pump_.processEvents();
    }
    try {
      if (linha->falhou) throw std::runtime_error("linha não preparada");
      v_.validarNormalizado(linha->normalizado, erro);
      if (!erro.empty() && !linha->texto.empty()) {
        ++invalidos;
        inv.linha(linha->texto, '\t', erro);
      } else {
        ++validos;
        val.linha(linha->texto);
      }
      if (!linha->texto.empty()) v_.incLabelNumber(Contador::lbProcessados);
      if (val.falhou() || inv.falhou()) return false;
    } catch (const std::exception&) {
      progress_.stepProgress();
      progress_.setLegenda(3, "Erro em: " + v_.contadores.texto(Contador::lbProcessados));
    }
  }
  if (!leitor.erroLeitura().empty())
    dialogs_.msgErro(kMsgNaoLeuArquivo + caminho + "\\n" + leitor.erroLeitura());
  return true;
}

}  // namespace quorvel
