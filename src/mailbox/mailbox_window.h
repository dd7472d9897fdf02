#pragma once
// The mailbox window without the window: runs over the active accounts (by hand or when the
// automatic check is due), the coloured log, the check settings, and the page of the user's own
// negative base. A view binds its controls to the public fields, calls the operations, and
// redraws when its notices say so (the runs let events through while they work).

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/name_value_list.h"
#include "common/notifier.h"
#include "common/ports.h"
#include "common/window_opener.h"
#include "mailbox/log_line.h"
#include "mailbox/neg_conta.h"
#include "mailbox/negative_base_grid.h"

namespace quorvel {

class Database;
class Settings;

inline constexpr const char* kArquivoBaseNegativa = "base-negativa.csv";

enum class PaginaMensagens { baseNegativa = 0, configuracoes = 1, descadastramentos = 2 };

// What changed in the mailbox window.
struct MailboxNotice {
  enum class Kind {
    state,  // any field of the window changed
    log,    // a line was added to the log (or it was cleared)
  };
  Kind kind = Kind::state;
  bool operator==(const MailboxNotice&) const = default;
};

class MailboxWindow : public ScanObserver {
 public:
  MailboxWindow(Database& banco, Settings& config, Dialogs& dialogs, EventPump& pump,
                Platform& platform);
  ~MailboxWindow() override;

  Notifier<MailboxNotice> notices;
  // "Configurar contas" and the question after a check without accounts open the accounts
  // window through it.
  WindowOpener* windows = &noWindows();
  SharingPermission* sincronizacao = nullptr;          // none: sharing not allowed
  CompartilhamentoEmails* compartilhamento = nullptr;  // none: nothing is sent
  std::string origem;  // local source address of the IMAP connections (empty: any)
  // The explanatory document of the unsubscribe snippets, opened from their page.
  std::string urlDescadastramento;
  // Connect time-out and read inactivity limit of the connections, in seconds.
  int timeoutConexaoS = 30;
  int timeoutLeituraS = 60;

  // --- Window state ----------------------------------------------------------------------
  std::unique_ptr<NegConta> gNegConta;
  std::unique_ptr<ImapClient> gImap;
  std::unique_ptr<TlsHandler> gOpenSSLHandler;
  std::optional<CLContas> gConta;
  std::string gEmailConta;
  std::string gFolder = "INBOX";
  int64_t gQtdMsg = 0;
  ListaMensagens gLista;
  std::vector<std::string> gEmailsInvalidos;
  NameValueList gPularConta;
  std::chrono::system_clock::time_point gLastCheck;
  // Accounts of the last run that could not be reached or read to the end.
  int contasComFalha = 0;

  // --- Controls ---------------------------------------------------------------------------------
  PaginaMensagens pagina = PaginaMensagens::baseNegativa;
  int cmbCheckMinutes = -1;  // index in kIntervalos; -1: nothing selected
  bool ckbApagar = false;
  std::string edtMax = "500";
  int cmbCheckDays = -1;  // index in kLimitesDias; -1: nothing selected
  std::string edtUnsubscribe = "e-mail";
  std::vector<std::string> mmoAssunto, mmoCorpo;
  bool ckbForcar = false;
  bool ckbRolar = true;
  bool btnChecarHabilitado = true;
  bool btnCancelarVisivel = false;
  bool pnTrabalhandoVisivel = false;
  bool lbSincronizandoVisivel = false;
  bool progressoVisivel = false;
  int64_t progressoMax = 0, progressoPos = 0;
  std::vector<LogLine> log;
  std::string lbDeSuasContas, lbOnline, lbContasConfiguradas;  // the totals
  std::string edtOpcao1, edtOpcao2;                            // the unsubscribe snippets
  NegativeBaseGrid grid;                                       // tells its own changes

  // --- Operations -------------------------------------------------------------------------------
  void mostrar();           // showing the window
  void fecharClick();       // "Fechar"
  void btnChecarClick();    // "Checar erros retornados"
  void btnCancelarClick();  // "Cancelar"
  void tmAutoCheckTimer();  // every 10 seconds, from the window's creation, shown or not
  // The automatic check's ticker: stopped while a run goes on.
  Ticker& temporizadorChecagem() const { return *tmAutoCheck_; }
  void executarValidacao();
  void checkMessages();
  bool configPegarTodos(const std::string& email, const std::string& pasta);
  void setLogGeral(const std::string& mensagem, Cor cor) override;
  void exibirEmails();
  void atualizarDadosEmails();
  void salvarConfigs(bool silent);
  void setUnsubscribeAddress(const std::string& endereco);
  void abrirExplicacaoDescadastramento();
  void btnConfigurarContasClick();
  void ajudaBaseNegativa();
  void ajudaFiltros();
  void ajudaForcar();
  // The negative-base page.
  void btnExcluirClick();
  void btnApagarTudoClick();
  void btnNovoDescadastramentoClick();
  void localizar(const std::string& inicio);
  void clicarTitulo(int coluna);
  // "Salvar": the export window over the grid as it is shown (filters and order) where the
  // program has it; otherwise the save window on dados/arquivos and the grid written as a list
  // file the list editor opens.
  void btnSalvarGridClick();

  // The interval of the automatic check in seconds; none for "Apenas checagem manual".
  std::optional<int64_t> intervaloSegundos() const;
  // The scan options the controls give (forced, day limit, maximum).
  OpcoesChecagem opcoesChecagem() const;

  // ScanObserver: what a scan shows here.
  void mostrarProgresso(int64_t maximo) override;
  void avancarProgresso() override;
  void esconderProgresso() override;
  void mostrarSincronizando(bool visivel) override;
  void baseNegativaMudou() override;

 private:
  void avisar(MailboxNotice::Kind k = MailboxNotice::Kind::state) { notices.notify({k}); }
  void liberarConexao();

  Database& banco_;
  Settings& config_;
  Dialogs& dialogs_;
  EventPump& pump_;
  Platform& platform_;
  static constexpr std::chrono::seconds kIntervaloChecagem{10};
  std::unique_ptr<Ticker> tmAutoCheck_;
  // When the grid was last read during a scan, and whether stored addresses wait to be shown.
  static constexpr std::chrono::milliseconds kIntervaloGrid{250};
  std::chrono::steady_clock::time_point gridLidoEm_;
  std::chrono::steady_clock::duration gridIntervalo_ = kIntervaloGrid;
  bool gridPendente_ = false;
};

inline constexpr std::array<const char*, 6> kIntervalos = {
    "Apenas checagem manual", "1 minuto", "5 minutos", "10 minutos", "30 minutos", "60 minutos"};
inline constexpr std::array<const char*, 9> kLimitesDias = {
    "1 dia",   "2 dias",  "3 dias",  "5 dias",          "7 dias",
    "10 dias", "15 dias", "30 dias", "não limitar dias"};

inline constexpr const char* kMsgSemContaChecar =
    "Você ainda não configurou nenhuma conta de e-mail para ser checada. Deseja configurar agora?";
inline constexpr const char* kMsgConfigsAtualizadas = "Configurações de checagem atualizadas";
inline constexpr const char* kMsgApagarRegistro = "Apagar o registro selecionado?";
inline constexpr const char* kMsgApagarTudo =
    "Tem certeza? Todos os e-mails inválidos detectados por suas contas de e-mail serão "
    "descartados";
inline constexpr const char* kMsgNovoDescadastramento = "Novo e-mail de descadastramento:";
inline constexpr const char* kTextoDescadastramentoManual = "descadastramento incluído manualmente";
inline constexpr const char* kIdDicaChecagem = "20202604";
inline constexpr const char* kDicaChecagem =
    "Checagem de retornos \\n\\nAtenção: nem toda conta de e-mail é compatível com esse módulo de "
    "checagem. Alguns provedores não permitem a leitura das mensagens por programas como o "
    "Quorvel. \\n\\nEste módulo é oferecido sem garantia de funcionamento com todos os "
    "provedores.";
inline constexpr const char* kAjudaFiltros =
    "Filtros: \\n\\nPermanentes: E-mails inexistentes, domínio inexistente etc. \\n\\nRelativos: "
    "Caixa de e-mail cheia, falhas de conexão e outros problemas que podem não ser por conta do "
    "e-mail não existir \\n\\nDescadastramentos: Solicitações de descadastramento recebidas";
inline constexpr const char* kAjudaBaseNegativa =
    "Base negativa de e-mails \\n\\nSão os e-mails que retornaram erro ou pediram descadastramento "
    "nas suas contas de e-mail. As próximas validações descartam esses e-mails. \\n\\nQuem "
    "participa do compartilhamento também recebe os e-mails inexistentes detectados pelos outros "
    "usuários do Quorvel, o que aumenta a base.";
inline constexpr const char* kAjudaForcar =
    "FORÇAR CHECAGEM COMPLETA \\n\\nNormalmente só as mensagens que ainda não foram vistas são "
    "lidas. Marque esta opção depois de uma checagem interrompida para ler de novo todas as "
    "mensagens. Ela é desmarcada depois da próxima checagem.";

// The "Opção 1" and "Opção 2" snippets for an unsubscribe address.
std::string snippetOpcao1(const std::string& endereco);
std::string snippetOpcao2(const std::string& endereco);

}  // namespace quorvel
