#pragma once
// Program updates: the launcher's build check against the web service (a newer build is offered
// on the launcher's panel, a build below the allowed minimum ends the program), the release
// notes the launcher shows, and the update window (TfrmUpdateApps) without the window: it
// downloads the setup package beside the program, starts it and ends the program.

#include <cstdint>
#include <functional>
#include <string>

#include "common/http_client.h"
#include "common/notifier.h"
#include "common/ports.h"

namespace quorvel {

inline constexpr const char* kArquivoBuildAtual = "/quorvel/download/buildatual.txt";
inline constexpr const char* kArquivoBuildMinimo = "/quorvel/download/buildminimo.txt";
inline constexpr const char* kArquivoNotas = "/quorvel/download/buildnotas.htm";
// On this platform the setup program is the Debian package.
inline constexpr const char* kArquivoSetup = "quorvel-setup.deb";
inline constexpr const char* kStatusVerificandoBuild = "Verificando se há atualização...";
inline constexpr const char* kPerguntaAtualizar =
    "Deseja efetuar a atualização do Quorvel agora? (recomendado)";
inline constexpr const char* kMsgAguardeInstalacao = "Por favor aguarde o término da instalação";
inline constexpr const char* kMsgSeraFechado =
    "O Quorvel será fechado e reaberto automaticamente, para que a atualização seja aplicada. "
    "Clique no botão OK para continuar";
inline constexpr const char* kMsgFalhaAtualizacao =
    "Houve um problema ao baixar /  instalar os arquivos necessários. Por favor tente novamente ou "
    "entre em contato conosco pela seção de Suporte Técnico";
// The box of a build below the service's minimum.
std::string msgVersaoDesabilitada();

// What the build check found.
enum class ResultadoBuild {
  semResposta,  // no service, or no readable answer: nothing changes
  atual,        // this build is current
  novaVersao,   // a newer build is offered
  desabilitada  // this build is below the minimum: the program ends
};

struct UpdateNotice {
  enum Kind {
    state,     // any field changed
    encerrar,  // the setup was started, or this build is disabled: end the program
  };
  Kind kind = state;
  bool operator==(const UpdateNotice&) const = default;
};

class ProgramUpdate {
 public:
  ProgramUpdate(HttpClient& http, Dialogs& dialogs, EventPump& pump, Platform& platform,
                std::string programFolder);

  // Base address of the web service; empty: no service.
  std::string baseUrl;

  // --- the launcher ---------------------------------------------------------------------------
  bool painelNovaVersaoVisivel = false;
  // The service's release notes (HTML) for the launcher's browser area; empty when none.
  std::string notasVersao;
  // What the current and minimum build files held at the last check (empty when unread).
  std::string buildAtual, buildMinimo;
  // Why the last check got no answer (empty when it got one).
  std::string erroVerificacao;

  // --- the update window ("Verificando atualização...") -------------------------------------
  bool visivel = false;
  std::string titulo = "Obtendo dados...";
  std::string status = "Verificando se há atualizações...";
  std::string descricao = "Aguarde...";
  int64_t maxTotal = 0, posTotal = 0;  // "Progresso total"
  int64_t maxAtual = 0, posAtual = 0;  // "Progresso atual"
  bool animacaoVisivel = true;
  std::string btnCaption = "Cancelar";
  std::string gFileName;  // the address being downloaded
  int64_t gMaxAtual = 0;  // the announced size of the current download, 0 before its first chunk

  Notifier<UpdateNotice> notices;

  // --- operations ------------------------------------------------------------------------------
  // The build check of the launcher's first showing. `splash` receives the splash text (set,
  // then cleared). A disabled build shows its error box and tells encerrar.
  ResultadoBuild verificarBuild(const std::function<void(const std::string&)>& splash = {});
  // The release notes into notasVersao (a failure leaves it empty).
  void carregarNotas();
  // The launcher's panel: the question, then the update on yes.
  void painelClicado();
  // Downloads the setup package, starts it and tells encerrar; on failure an error box and the
  // program goes on. True when the setup was started.
  bool baixarAtualizacao();
  // The setup package beside the program.
  std::string arquivoSetup() const;

  void zerarProgresso(const std::string& aTitulo, const std::string& aStatus, int64_t aMaxAtual,
                      int64_t aMaxTotal, const std::string& aDescricao);
  void setMaxTotal(int64_t valor, const std::string& aDescricao);
  void stepTotal(int64_t valor, const std::string& aDescricao);
  void setMaxAtual(int64_t valor, const std::string& aDescricao);
  void stepAtual(int64_t valor, const std::string& aDescricao);
  // Streams aURL into aDestino (complete, or not at all). Throws on failure.
  void baixarArquivo(const std::string& aURL, const std::string& aDestino);
  // The window's one button: "Cancelar" during the work (it only asks to wait), "Fechar" after.
  void botaoClicado();

 private:
  HttpRequest pedidoDoLancador(const std::string& url) const;
  void avisar(UpdateNotice::Kind k = UpdateNotice::state) { notices.notify({k}); }

  HttpClient& http_;
  Dialogs& dialogs_;
  EventPump& pump_;
  Platform& platform_;
  std::string home_;
};

}  // namespace quorvel
