#pragma once
// The account service: the accounts stored in tbContas, the IMAP connection of an account and
// the scan of its inbox for bounces and unsubscribe requests (getMessages).

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/name_value_list.h"
#include "common/ports.h"
#include "mailbox/cl_contas.h"
#include "mailbox/cl_msg.h"
#include "mailbox/imap_client.h"
#include "mailbox/log_line.h"

namespace quorvel {

class Database;
class Settings;
class SharingPermission;

// A row of the accounts grid.
struct AccountRow {
  int64_t id = 0;
  bool ativa = false;
  std::string email;
  std::string servidor;
  std::string senha;
  std::string nomeUsuario;
};

// What a scan reads from the mailbox window besides the stored settings.
struct OpcoesChecagem {
  bool forcado = false;  // "Forçar checagem completa": the stored position counts as 0
  int limiteDias = 0;    // 0: no day limit
  int maximo = 0;        // messages per account; 0: no limit
};

// What the mailbox window shows while a scan runs.
class ScanObserver {
 public:
  virtual ~ScanObserver() = default;
  virtual void setLogGeral(const std::string& mensagem, Cor cor) = 0;
  virtual void mostrarProgresso(int64_t maximo) = 0;  // the bar and "Cancelar"
  virtual void avancarProgresso() = 0;
  virtual void esconderProgresso() = 0;
  virtual void mostrarSincronizando(bool visivel) = 0;
  // An address was stored: the negative-base grid is refreshed (and scrolled when asked).
  virtual void baseNegativaMudou() = 0;
};

// Sends newly learnt non-existent addresses (one per line) to the web service; true when the
// service stored them.
class CompartilhamentoEmails {
 public:
  virtual ~CompartilhamentoEmails() = default;
  virtual bool sincronizarEmailsInValidos(const std::string& emails) = 0;
};

// The examined messages of one scan, by UID text, newest first.
using ListaMensagens = std::vector<std::pair<std::string, ClMsg>>;

inline constexpr const char* kMsgInformeEmail =
    "Informe o endereço de e-mail da conta. Uma conta sem endereço não é guardada.";

// The provider pages opened after a failed log-in.
inline constexpr const char* kPaginaYahoo = "https://login.yahoo.com/account/security";
inline constexpr const char* kPaginaGoogle = "https://myaccount.google.com/lesssecureapps";

class NegConta {
 public:
  NegConta(Database& banco, Settings& config, Platform& platform, Dialogs& dialogs,
           EventPump& pump);

  // --- Accounts -------------------------------------------------------------------------------
  // The first account stored with this address (exact comparison); none when there is none.
  std::optional<CLContas> getConta(const std::string& email);
  // Appends a new active account; the failure's text in an error box and false when it fails
  // (an account without an address is refused: it could never be checked).
  bool newContaSave(const CLContas& aConta);
  // Overwrites the account stored with the record's address; false when there is none.
  bool editConta(const CLContas& aConta);
  int64_t getNextId();
  // The accounts in e-mail order, as the accounts grid and the check runs read them.
  std::vector<AccountRow> accounts();
  void setActive(int64_t idConta, bool ativa);
  void removeAccount(int64_t idConta);

  // --- Connection -----------------------------------------------------------------------------
  // Applies the account's texts to a fresh client and its TLS layer; does not connect. Throws
  // std::invalid_argument for a port that is not a number.
  static void configMailComponents(ImapClient& aImap, TlsHandler& aSSL, const std::string& UserName,
                                   const std::string& Password, const std::string& servidor,
                                   const std::string& porta, const std::string& tipoAuth,
                                   const std::string& TLS, const std::string& versaoIP,
                                   const std::string& ModoSSL, const std::string& MetodoSSL);
  static void configMailComponents2(ImapClient& aImap, TlsHandler& aSSL, const CLContas& aConta);
  // Connects and logs in: the empty text on success, else the error text. Not silent: advice
  // for log-in failures, and the provider's page opened in the browser where it helps. A
  // warning of the connection (a password about to leave without encryption) is kept in
  // avisoConexao and logged before the log-in.
  std::string ImapConnect(ImapClient& aImap, const CLContas& aConta, bool silent);
  std::string avisoConexao;
  int64_t getFolderQtd(ImapClient& aImap, const std::string& folderName);
  // UID STORE +FLAGS (\Deleted); throws ImapError when the server refuses it.
  bool deleteByMsgID(ImapClient& aImap, const std::string& uid);
  // The accounts window's connection test: a client of its own, not silent, always freed.
  std::string testarConexao(const CLContas& aConta);

  // --- Scan -----------------------------------------------------------------------------------
  bool gCancelou = false;
  int64_t gTotalMensagens = 0;
  OpcoesChecagem opcoes;
  ScanObserver* observador = nullptr;
  SharingPermission* sincronizacao = nullptr;            // none: sharing is not allowed
  CompartilhamentoEmails* compartilhamento = nullptr;    // none: nothing is sent
  std::vector<std::string>* gEmailsInvalidos = nullptr;  // the sharing queue
  NameValueList* gPularConta = nullptr;                  // accounts with nothing new
  // Local source address of the connections (empty: the system's choice).
  std::string origem;

  // Walks messages idFinal down to idInicial of the folder (see neg_conta_scan.cpp).
  ListaMensagens getMessages(ImapClient& aImap, const CLContas& aConta,
                             const std::string& folderName, int64_t idInicial, int64_t idFinal);

 private:
  class Scan;
  Database& banco_;
  Settings& config_;
  Platform& platform_;
  Dialogs& dialogs_;
  EventPump& pump_;
};

}  // namespace quorvel
