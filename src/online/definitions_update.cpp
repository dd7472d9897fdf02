// The definitions window's online part: the comparison of dates with the web service and the
// update that downloads the newer definitions.
#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "common/format.h"
#include "common/paths.h"
#include "common/text.h"
#include "common/text_file.h"
#include "mailbox/log_line.h"
#include "online/definition_dates.h"
#include "online/definitions_window.h"
#include "online/import_session.h"
#include "online/sync_protocol.h"

namespace quorvel {
namespace {

constexpr const char* kDatasDoServico = "/quorvel/download/definitions.txt";
constexpr const char* kPastaDownload = "/quorvel/download/";
// Rows of a shared base stored per transaction.
constexpr int64_t kLinhasPorLote = 100;

std::string dataCurta(std::chrono::year_month_day d) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02u/%02u/%04d", static_cast<unsigned>(d.day()),
                static_cast<unsigned>(d.month()), static_cast<int>(d.year()));
  return buf;
}

// Ends the routing of the exchange's page requests through this window when the download ends.
struct Roteamento {
  SyncProtocol& sync;
  ~Roteamento() {
    sync.progressoDownload = nullptr;
    sync.continuarDownload = nullptr;
  }
};

struct BaseCompartilhada {
  const char* nomeData;
  const char* baixando;
  const char* atualizando;
  const char* tabela;  // null: the negative base
};

const BaseCompartilhada& baseDe(Definicao d) {
  static const BaseCompartilhada validos{kDataMxValidos,
                                         "Baixando definições de sites MX válidos...",
                                         "Atualizando sites MX válidos...", kTbMxValidos};
  static const BaseCompartilhada invalidos{kDataMxInvalidos,
                                           "Baixando definições de sites MX inválidos ...",
                                           "Atualizando sites MX inválidos...", kTbMxInvalidos};
  static const BaseCompartilhada emails{kDataEmailsInvalidos,
                                        "Baixando definições de e-mails inválidos ...",
                                        "Atualizando e-mails inválidos...", nullptr};
  return d == Definicao::mxValidos ? validos : d == Definicao::mxInvalidos ? invalidos : emails;
}

}  // namespace

std::chrono::year_month_day DefinitionsWindow::hoje() const {
  return diaLocal(platform_ ? platform_->now() : std::chrono::system_clock::now());
}

std::string DefinitionsWindow::urlDownload(const char* arquivo) const {
  return sync_->baseUrl + kPastaDownload + arquivo;
}

void DefinitionsWindow::checarCancelamento() const {
  if (gCancelou) throw std::runtime_error("atualização cancelada");
}

HttpRequest DefinitionsWindow::pedidoDaJanela(const std::string& url) {
  HttpRequest p;
  p.url = url;
  p.progresso = [this](int64_t recebidos, int64_t anunciado) {
    if (recebidos == 0)
      httpWorkBegin(anunciado);
    else
      httpWork(recebidos);
  };
  p.continuar = [this] {
    pump_.processEvents();
    return !gCancelou;
  };
  return p;
}

void DefinitionsWindow::httpWorkBegin(int64_t tamanho) {
  barraDownloadMax = tamanho > 0 ? tamanho : 1;
  barraDownloadPos = 0;
  lbTamanho = "0 KB";
  avisar();
  pump_.processEvents();
}

void DefinitionsWindow::httpWork(int64_t bytes) {
  barraDownloadPos = bytes;
  lbTamanho = formatNumber(bytes / 1000) + " KB";
  avisar();
  pump_.processEvents();
}

void DefinitionsWindow::zerarBarras() {
  barraDownloadMax = barraDownloadPos = 0;
  barraLinhasMax = barraLinhasPos = 0;
}

void DefinitionsWindow::avancarLinhas(int64_t n) {
  // The view is told when the bar moved by a visible step, not for every batch.
  const int64_t antes = barraLinhasMax > 0 ? barraLinhasPos * 200 / barraLinhasMax : 0;
  barraLinhasPos += n;
  const int64_t depois = barraLinhasMax > 0 ? barraLinhasPos * 200 / barraLinhasMax : 0;
  if (depois != antes || barraLinhasPos >= barraLinhasMax) avisar();
}

void DefinitionsWindow::mostrarIndicador(Definicao d, std::chrono::year_month_day data) {
  linha(d).indicador = "Definições de " + dataCurta(data);
  painelVisivel = true;
}

void DefinitionsWindow::checarDefinicoesOnline() {
  NameValueList local = lerDatas(arquivoDatas());
  gDefinicoesAtuais = local;
  avisoServico.clear();
  struct Titulo {
    DefinitionsWindow& d;
    ~Titulo() {
      d.titulo = kTituloChecagem +
                 dataHoraTexto(d.platform_ ? d.platform_->now() : std::chrono::system_clock::now());
      d.avisar();
    }
  } porFim{*this};
  if (!sync_ || !sync_->configurado()) {
    avisoServico = kAvisoSemServico;
    return;
  }
  try {
    HttpRequest pedido;
    pedido.url = sync_->baseUrl + kDatasDoServico;
    NameValueList servico = datasDoTexto(http_->getText(pedido));
    static constexpr std::pair<Definicao, const char*> kArquivos[] = {
        {Definicao::armadilhas, kDataArmadilhas},
        {Definicao::paises, kDataPaises},
        {Definicao::nomesRaros, kDataNomesRaros},
        {Definicao::sitesIgnorados, kDataSitesIgnorados}};
    for (const auto& [d, nome] : kArquivos) {
      auto data = dataDe(servico, nome);
      if (data > dataDe(local, nome)) mostrarIndicador(d, data);
    }
    // The providers' list of the suggestions has no row: a newer one shows the panel alone.
    provedoresNovos_ = dataDe(servico, kDataProvedores) > dataDe(local, kDataProvedores);
    if (provedoresNovos_) painelVisivel = true;
    compararDatasDoBanco(local);
    if (colaboracao_) colaboracao_->gSyncCheck = !painelVisivel;
  } catch (const std::exception& e) {
    avisoServico = std::string("Não foi possível consultar o serviço online (") + e.what() +
                   "): o Quorvel segue com as definições instaladas.";
  }
}

void DefinitionsWindow::compararDatasDoBanco(const NameValueList& local) {
  // The shared bases answer only to an account with the service: without one they count as
  // current, and nothing is asked.
  if (sync_->credenciais.email.empty() || sync_->credenciais.chave.empty()) return;
  std::chrono::year_month_day validos = hoje(), invalidos = hoje();
  try {
    NameValueList datas(sync_->getSitesMXDatas());
    validos = dataDe(datas, "mx_validos");
    invalidos = dataDe(datas, "mx_invalidos");
  } catch (const std::exception&) {
    // Both count as today: both rows show that there is something to fetch.
  }
  if (validos > dataDe(local, kDataMxValidos) || gForcarAtualizacoes)
    mostrarIndicador(Definicao::mxValidos, validos);
  if (invalidos > dataDe(local, kDataMxInvalidos) || gForcarAtualizacoes)
    mostrarIndicador(Definicao::mxInvalidos, invalidos);
  auto emails = strToDataSQL(sync_->getOnlineEmailData());
  if (emails > dataDe(local, kDataEmailsInvalidos) || gForcarAtualizacoes)
    mostrarIndicador(Definicao::emailsInvalidos, emails);
}

void DefinitionsWindow::btnAtualizarClick() {
  btnAtualizarHabilitado = false;
  avisar();
  try {
    atualizarDefinicao("");
  } catch (...) {
    painelVisivel = false;
    lbAtualizando.clear();
    zerarBarras();
    gCancelou = false;
    avisar();
    throw;
  }
  painelVisivel = false;
  btnAtualizarHabilitado = true;
  iniciar();
}

void DefinitionsWindow::atualizarDefinicao(const std::string&) {
  if (!sync_ || !sync_->configurado()) throw ServiceNotConfigured();
  NameValueList datas = lerDatas(arquivoDatas());
  zerarBarras();
  avisar();
  http_->getText(pedidoDaJanela(sync_->baseUrl + kDatasDoServico));

  baixarFiltro(kTrapsFile, chain_.gTraps, kTrapsFile, "Atualizando definiçõoes de armadilhas...",
               datas, kDataArmadilhas);
  if (!linha(Definicao::paises).indicador.empty())
    baixarFiltro(kCountriesFile, chain_.gFiltroPaises, kCountriesFile,
                 "Atualizando definiçõoes de países...", datas, kDataPaises);
  if (!linha(Definicao::nomesRaros).indicador.empty())
    baixarFiltro(kRareNamesFile, chain_.gNomesRaros, kRareNamesFile,
                 "Atualizando definiçõoes de nomes raros...", datas, kDataNomesRaros);
  if (!linha(Definicao::sitesIgnorados).indicador.empty())
    baixarFiltro("sys_sitesignorados.filter", chain_.gSitesIgnorados, kIgnoredSitesFile,
                 "Atualizando definiçõoes de domínios ignorados...", datas, kDataSitesIgnorados);
  if (provedoresNovos_)
    baixarFiltro(kProvidersFile, chain_.gProvedores, kProvidersFile,
                 "Atualizando definições de provedores...", datas, kDataProvedores);
  for (Definicao d : {Definicao::mxValidos, Definicao::mxInvalidos, Definicao::emailsInvalidos})
    baixarBase(d, datas);

  zerarBarras();
  if (dialogs_) dialogs_->msgInformacao(kDefinicoesAtualizadas);
  painelVisivel = false;
  lbAtualizando.clear();
  std::string erro;
  if (!gravarDatas(arquivoDatas(), datas, erro)) throw std::runtime_error(erro);
  gDefinicoesAtuais = datas;
  avisar();
}

void DefinitionsWindow::baixarFiltro(const char* arquivoServico, FilterListPtr& destino,
                                     const char* arquivoLocal, const char* rotulo,
                                     NameValueList& datas, const char* nomeData) {
  checarCancelamento();
  lbAtualizando = rotulo;
  avisar();
  std::string corpo = http_->getText(pedidoDaJanela(urlDownload(arquivoServico)));
  std::vector<std::string> novas;
  for (auto& l : splitLines(decodeText(corpo)))
    if (!isBlank(l)) novas.push_back(std::move(l));
  barraLinhasMax = static_cast<int64_t>(novas.size());
  barraLinhasPos = 0;
  avisar();
  // Every downloaded line joins the list in memory (at once: a sorted list of a hundred thousand
  // trap rules cannot take them one by one); the whole list is then saved.
  pump_.processEvents();
  SortedStringList lista = destino ? destino->linhas() : SortedStringList();
  lista.addAll(novas);
  avancarLinhas(barraLinhasMax);
  pump_.processEvents();
  const std::string caminho = paths::join(paths::dadosConfig(home_), arquivoLocal);
  paths::createFolder(paths::dados(home_));
  paths::createFolder(paths::dadosConfig(home_));
  WriteResult gravado = writeTextLines(caminho, lista.items());
  if (!gravado.ok)
    throw std::runtime_error("Não foi possível gravar " + caminho + ": " + gravado.error);
  destino = std::make_shared<const FilterList>(std::move(lista));
  datas.setValue(nomeData, getDataSQL(hoje()));
}

void DefinitionsWindow::baixarBase(Definicao d, NameValueList& datas) {
  checarCancelamento();
  const BaseCompartilhada& base = baseDe(d);
  LinhaDefinicao& l = linha(d);
  if (!colaboracao_ || !colaboracao_->gCompartilha) {
    zerarBarras();
    lbAtualizando = kColaboracaoDesativada;
    avisar();
    pump_.processEvents();
    if (esperar) esperar(1000);
    l.indicador.clear();
    avisar();
    return;
  }
  if (l.indicador.empty()) return;
  if (!banco_ || !banco_->aberto()) throw std::runtime_error("o banco de dados não está aberto");
  zerarBarras();
  lbAtualizando = base.baixando;
  avisar();
  std::string texto;
  {
    Roteamento rota{*sync_};
    sync_->progressoDownload = [this](int64_t recebidos, int64_t anunciado) {
      if (recebidos == 0)
        httpWorkBegin(anunciado);
      else
        httpWork(recebidos);
    };
    sync_->continuarDownload = [this] {
      pump_.processEvents();
      return !gCancelou;
    };
    const std::string desde =
        gForcarAtualizacoes ? std::string(kDataForcada) : gDefinicoesAtuais.value(base.nomeData);
    texto = d == Definicao::mxValidos     ? sync_->getSitesMXValidos(desde)
            : d == Definicao::mxInvalidos ? sync_->getSitesMXInValidos(desde)
                                          : sync_->getOnlineEmailsInvalidos(desde);
  }
  const int64_t total = contarLinhas(texto);
  lbAtualizando = std::string(base.atualizando) + " (" + std::to_string(total) + ")";
  barraLinhasMax = total;
  barraLinhasPos = 0;
  avisar();
  // Batches of about a hundred rows, each one transaction: after the line with index i, for i a
  // positive multiple of 100, the batch so far is stored; the rest at the end. The lines go in
  // sorted order (the rows are the same in any order): consecutive batches then touch neighbouring
  // pages of the store's indexes instead of pages all over them.
  std::vector<std::string_view> linhasOrdenadas;
  linhasOrdenadas.reserve(static_cast<size_t>(total));
  for (size_t inicio = 0; inicio < texto.size();) {
    size_t fim = texto.find_first_of("\r\n", inicio);
    if (fim == std::string::npos) fim = texto.size();
    linhasOrdenadas.emplace_back(texto.data() + inicio, fim - inicio);
    if (fim < texto.size() && texto[fim] == '\r' && fim + 1 < texto.size() &&
        texto[fim + 1] == '\n')
      ++fim;
    inicio = fim + 1;
  }
  std::sort(linhasOrdenadas.begin(), linhasOrdenadas.end());
  ImportSession sessao(*banco_);
  std::string lote;
  int64_t noLote = 0;
  auto gravar = [&] {
    if (base.tabela)
      banco_->inserirMXMass(base.tabela, lote, false);
    else
      banco_->inserirEmailInvalidoMass(lote);
    avancarLinhas(noLote);
    lote.clear();
    noLote = 0;
    pump_.processEvents();
    checarCancelamento();
  };
  for (size_t i = 0; i < linhasOrdenadas.size(); ++i) {
    lote.append(linhasOrdenadas[i]);
    lote += '\n';
    ++noLote;
    if (i > 0 && i % kLinhasPorLote == 0) gravar();
  }
  if (noLote > 0) gravar();
  datas.setValue(base.nomeData, getDataSQL(hoje()));
  l.indicador.clear();
  avisar();
}

}  // namespace quorvel
