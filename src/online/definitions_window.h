#pragma once
// The definitions window without the window: the timed sequence of small steps that loads the
// filter lists into the validation window's chain and counts the rows of the learning tables,
// each row with its loading or done icon and its count; then the comparison of the installed
// definitions' dates with the web service's (an update indicator on each row the service has
// newer), and the update that downloads them (the bottom panel with its two bars and size
// label). The window is a view over it: it ticks tmCheckTimer every 10 ms while the timer is on
// and draws on every notice.

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "common/http_client.h"
#include "common/name_value_list.h"
#include "common/notifier.h"
#include "common/ports.h"
#include "common/window_opener.h"
#include "store/database.h"
#include "store/sharing_flags.h"
#include "validation/validation_chain.h"

namespace quorvel {

class SyncProtocol;

enum class IconeDefinicao { nenhum, carregando, pronto };

struct LinhaDefinicao {
  const char* rotulo = "";
  bool visivel = true;
  IconeDefinicao icone = IconeDefinicao::nenhum;
  std::string itens;      // "itens: 1.234" once counted
  std::string indicador;  // "Definições de 10/12/2026": the service has newer; empty: hidden
};

// The rows, in the window's order.
enum class Definicao {
  regras,  // hidden: loaded, never downloaded
  armadilhas,
  paises,
  nomesRaros,
  sitesIgnorados,
  mxValidos,
  mxInvalidos,
  emailsInvalidos,
};
inline constexpr size_t kDefinicoes = 8;
static_assert(static_cast<size_t>(Definicao::sitesIgnorados) + 1 == kArquivosDefinicao.size());

struct DefinitionsNotice {
  enum class Kind {
    state,
    loaded,  // the lists are in the chain (step 20 reached)
  };
  Kind kind = Kind::state;
  bool operator==(const DefinitionsNotice&) const = default;
};

inline constexpr const char* kTituloCarregando = "Carregando as definições atuais. Aguarde...";
inline constexpr const char* kTituloCarregadas = "Definições carregadas!";
inline constexpr const char* kTituloVerificando = "Verificando atualizações online...";
inline constexpr const char* kTituloChecagem = "Definições de checagem - ";
inline constexpr const char* kPainelAtualizar =
    "Clique ao lado para atualizar as definições de checagem";
inline constexpr const char* kColaboracaoDesativada =
    "A colaboração online está desativada. Nada será sincronizado";
inline constexpr const char* kDefinicoesAtualizadas =
    "As definições online foram atualizadas nesse computador";
inline constexpr const char* kAvisoSemServico =
    "Nenhum serviço online configurado: o Quorvel segue com as definições instaladas.";

class DefinitionsWindow {
 public:
  // `banco` may be null (or closed): the counting steps are then skipped.
  // The steps tick on a ticker of `platform` while the window shows.
  DefinitionsWindow(ValidationChain& chain, std::string programFolder, EventPump& pump,
                    Platform& platform);

  void setBanco(Database* banco) { banco_ = banco; }
  void setColaboracao(SharingFlags* flags) { colaboracao_ = flags; }
  // The web service: its exchange (whose base address the file downloads share), the client of
  // this window, the message kit and the clock. Without it the online steps say that no service
  // is configured.
  void ligarServico(SyncProtocol& sync, HttpClient& http, Dialogs& dialogs,
                    const Platform& platform);

  // --- what the window shows ------------------------------------------------------------------
  std::string titulo;
  std::array<LinhaDefinicao, kDefinicoes> linhas;
  LinhaDefinicao& linha(Definicao d) { return linhas[static_cast<size_t>(d)]; }
  bool visivel = false;
  // tmCheckTimer, every 10 ms while the steps go on.
  bool timerAtivo() const { return tmCheck_->active(); }
  static constexpr std::chrono::milliseconds kIntervalo{10};
  bool btnForcarHabilitado = true;
  // The three "(sem colaboração) - alterar" links.
  bool linksSemColaboracaoVisiveis = true;
  // One line about the service when it is not there or could not be asked; empty otherwise.
  std::string avisoServico;
  // The bottom panel: kPainelAtualizar, the label of the step being downloaded, the transfer's
  // bar (bytes) and the merge's bar (lines), the size label and "Atualizar definições".
  bool painelVisivel = false;
  std::string lbAtualizando;
  int64_t barraDownloadMax = 0, barraDownloadPos = 0;
  int64_t barraLinhasMax = 0, barraLinhasPos = 0;
  std::string lbTamanho = "0 kb";
  bool btnAtualizarHabilitado = true;

  int gEtapa = 0;
  bool gForcarAtualizacoes = false;
  // The lines of the local date file as last read or written.
  NameValueList gDefinicoesAtuais;
  // Stops an update between two steps or transfers (the command line's Ctrl+C).
  bool gCancelou = false;

  Notifier<DefinitionsNotice> notices;
  // The "(sem colaboração) - alterar" links open the collaboration consent through it (disabled
  // while it is not available).
  WindowOpener* windows = &noWindows();
  // The one-second pause that shows "A colaboração online está desativada..." (events go on).
  std::function<void(int ms)> esperar;

  // --- operations -------------------------------------------------------------------------------
  // Showing the window: the links follow the sharing choice and the loading sequence starts.
  void mostrar();
  // Esc and "Fechar".
  void fechar();
  // One tick of the loading sequence.
  void tmCheckTimer();
  // Runs the rest of the loading steps at once: closing the window halfway must not leave some
  // filter lists unloaded while the custom rules say the definitions are there.
  void concluirCarga();
  // "Forçar atualização": the local date file goes and the sequence starts again.
  void forcarAtualizacao();
  // The file of the installed definitions' dates.
  std::string arquivoDatas() const;
  // The links follow the sharing choice (the consent window closed).
  void atualizarLinks();

  // Compares the local dates with the service's: the update indicators, the bottom panel and
  // gSyncCheck. A service that cannot be asked is one line in avisoServico, nothing more.
  void checarDefinicoesOnline();
  // "Atualizar definições": the update, then the loading sequence again. A failure hides the
  // panel, leaves the button disabled and the date file as it was, and is raised.
  void btnAtualizarClick();
  // Downloads what is newer (every caller passes an empty name). Throws on failure.
  void atualizarDefinicao(const std::string& nomeDefinicao);
  // Progress of a transfer: its expected size (the bar's maximum, "0 KB"), then the bytes so far.
  void httpWorkBegin(int64_t tamanho);
  void httpWork(int64_t bytes);

 private:
  std::unique_ptr<Ticker> tmCheck_;
  void iniciar();
  // Loads the definition file of row `d` (one of the first five) into the chain.
  void carregar(Definicao d);
  void contar(Definicao d, const char* tabela);
  void avisar() { notices.notify({}); }
  void fimDaSequencia();
  void zerarBarras();
  void avancarLinhas(int64_t n);
  std::chrono::year_month_day hoje() const;
  std::string urlDownload(const char* arquivo) const;
  HttpRequest pedidoDaJanela(const std::string& url);
  void mostrarIndicador(Definicao d, std::chrono::year_month_day data);
  void compararDatasDoBanco(const NameValueList& local);
  void baixarFiltro(const char* arquivoServico, FilterListPtr& destino, const char* arquivoLocal,
                    const char* rotulo, NameValueList& datas, const char* nomeData);
  void baixarBase(Definicao d, NameValueList& datas);
  void checarCancelamento() const;

  ValidationChain& chain_;
  std::string home_;
  EventPump& pump_;
  Database* banco_ = nullptr;
  SharingFlags* colaboracao_ = nullptr;
  SyncProtocol* sync_ = nullptr;
  HttpClient* http_ = nullptr;
  Dialogs* dialogs_ = nullptr;
  const Platform* platform_ = nullptr;
  // The service has a newer providers' list (it has no row of its own).
  bool provedoresNovos_ = false;
};

}  // namespace quorvel
