#include "online/program_update.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>

#include "common/build_info.h"
#include "common/paths.h"
#include "common/text.h"
#include "online/file_download.h"

namespace quorvel {
namespace {

// A build number as the files hold it (an optional sign, then digits); throws otherwise.
long numeroDeBuild(const std::string& texto) {
  std::string_view t = texto;
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  long n = 0;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
  if (t.empty() || ec != std::errc() || p != t.data() + t.size())
    throw std::invalid_argument("número de build inválido: " + texto);
  return n;
}

}  // namespace

std::string msgVersaoDesabilitada() {
  return std::string(
             "Essa versão do produto foi desabilitada. Favor baixar uma versão mais recente no "
             "site ") +
         kSiteProduto + " ou entre em contato com nosso suporte";
}

ProgramUpdate::ProgramUpdate(HttpClient& http, Dialogs& dialogs, EventPump& pump,
                             Platform& platform, std::string programFolder)
    : http_(http),
      dialogs_(dialogs),
      pump_(pump),
      platform_(platform),
      home_(std::move(programFolder)) {}

std::string ProgramUpdate::arquivoSetup() const {
  return paths::join(home_, kArquivoSetup);
}

HttpRequest ProgramUpdate::pedidoDoLancador(const std::string& url) const {
  HttpRequest p;
  p.url = url;
  p.followRedirects = true;
  p.headers = {"User-Agent: Chrome 43.0.2357.124 Safari/537.36",
               "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"};
  return p;
}

ResultadoBuild ProgramUpdate::verificarBuild(
    const std::function<void(const std::string&)>& splash) {
  try {
    if (splash) splash(kStatusVerificandoBuild);
    pump_.processEvents();
  } catch (...) {
  }
  ResultadoBuild r = ResultadoBuild::semResposta;
  buildAtual.clear();
  buildMinimo.clear();
  erroVerificacao = baseUrl.empty() ? "nenhum serviço online configurado" : "";
  if (!baseUrl.empty()) {
    try {
      buildAtual = trim(http_.getText(pedidoDoLancador(baseUrl + kArquivoBuildAtual)));
      const bool maisNova = !buildAtual.empty() && numeroDeBuild(buildAtual) > kBuild;
      r = ResultadoBuild::atual;
      if (maisNova) {
        pump_.processEvents();
        painelNovaVersaoVisivel = true;
        r = ResultadoBuild::novaVersao;
        avisar();
      }
      buildMinimo = trim(http_.getText(pedidoDoLancador(baseUrl + kArquivoBuildMinimo)));
      if (!buildMinimo.empty() && numeroDeBuild(buildMinimo) > kBuild)
        r = ResultadoBuild::desabilitada;
    } catch (const std::exception& e) {
      // No connection, or a text that is no number: the check ends here, silently.
      erroVerificacao = e.what();
    }
  }
  try {
    if (splash) splash("");
  } catch (...) {
  }
  if (r == ResultadoBuild::desabilitada) {
    dialogs_.msgErro(msgVersaoDesabilitada());
    avisar(UpdateNotice::encerrar);
  }
  return r;
}

void ProgramUpdate::carregarNotas() {
  notasVersao.clear();
  if (baseUrl.empty()) return;
  try {
    notasVersao = http_.getText(pedidoDoLancador(baseUrl + kArquivoNotas));
  } catch (const std::exception&) {
  }
  avisar();
}

void ProgramUpdate::painelClicado() {
  if (dialogs_.msgPergunta(kPerguntaAtualizar) == kSim) baixarAtualizacao();
}

void ProgramUpdate::zerarProgresso(const std::string& aTitulo, const std::string& aStatus,
                                   int64_t aMaxAtual, int64_t aMaxTotal,
                                   const std::string& aDescricao) {
  titulo = aTitulo;
  status = aStatus;
  descricao = aDescricao;
  maxAtual = aMaxAtual;
  maxTotal = aMaxTotal;
  posAtual = posTotal = 0;
  avisar();
}

void ProgramUpdate::setMaxTotal(int64_t valor, const std::string& aDescricao) {
  maxTotal = valor;
  descricao = aDescricao;
  avisar();
}

void ProgramUpdate::stepTotal(int64_t valor, const std::string& aDescricao) {
  posTotal += valor;
  descricao = aDescricao;
  avisar();
}

void ProgramUpdate::setMaxAtual(int64_t valor, const std::string& aDescricao) {
  maxAtual = valor;
  descricao = aDescricao;
  avisar();
}

void ProgramUpdate::stepAtual(int64_t valor, const std::string& aDescricao) {
  posAtual += valor;
  descricao = aDescricao;
  avisar();
}

void ProgramUpdate::baixarArquivo(const std::string& aURL, const std::string& aDestino) {
  gMaxAtual = 0;
  HttpRequest p;
  p.url = aURL;
  p.followRedirects = true;
  p.timeouts = {60, 60};
  p.progresso = [this](int64_t recebidos, int64_t anunciado) {
    if (recebidos == 0) return;  // the headers: no chunk yet
    if (gMaxAtual == 0 && anunciado > 0) {
      gMaxAtual = anunciado;
      maxAtual = anunciado / 10;
    }
    posAtual = recebidos / 10;
    descricao = "baixando " + gFileName + ": " + std::to_string(recebidos / 1000) + " kb";
    avisar();
    pump_.processEvents();
  };
  p.continuar = [this] {
    pump_.processEvents();
    return true;
  };
  baixarParaArquivo(http_, p, aDestino);
}

bool ProgramUpdate::baixarAtualizacao() {
  const std::string t = arquivoSetup();
  std::remove(t.c_str());
  pump_.processEvents();
  try {
    if (baseUrl.empty()) throw std::runtime_error("nenhum serviço online configurado");
    btnCaption = "Cancelar";
    animacaoVisivel = true;
    zerarProgresso("Quorvel", "Baixando atualização...", 0, 0, "");
    setMaxTotal(1, "");
    stepTotal(1, "");
    // The package is always fetched whole: a file left by an earlier attempt is never started.
    visivel = true;
    gFileName = baseUrl + "/quorvel/download/" + kArquivoSetup;
    avisar();
    pump_.processEvents();
    baixarArquivo(gFileName, t);
    zerarProgresso("Quorvel", "Processamento concluído!!", 0, 0, "");
    animacaoVisivel = false;
    btnCaption = "Fechar";
    avisar();
  } catch (const std::exception&) {
    dialogs_.msgErro(kMsgFalhaAtualizacao);
    visivel = false;
    animacaoVisivel = false;
    btnCaption = "Fechar";
    avisar();
    return false;
  }
  visivel = false;
  avisar();
  dialogs_.msgInformacao(kMsgSeraFechado);
  platform_.shellOpen(t);
  pump_.processEvents();
  avisar(UpdateNotice::encerrar);
  return true;
}

void ProgramUpdate::botaoClicado() {
  if (btnCaption != "Fechar") {
    dialogs_.msgErro(kMsgAguardeInstalacao);
    return;
  }
  visivel = false;
  avisar();
}

}  // namespace quorvel
