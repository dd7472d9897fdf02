#pragma once
// The exchange with the web service's script (base address + "/quorvel/bin/sync.php"): every
// action of the sharing protocol, the batches that are sent and the paged downloads. Each request
// is one multipart/form-data POST with 5 s connect and read time-outs.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/http_client.h"
#include "mailbox/neg_conta.h"
#include "store/sharing_flags.h"
#include "validation/stage_hooks.h"

namespace quorvel {

// The user's account with the service: every request carries both.
struct ServiceCredentials {
  std::string email;
  std::string chave;
};

// No service address was configured for this program.
class ServiceNotConfigured : public std::runtime_error {
 public:
  ServiceNotConfigured();
};

inline constexpr const char* kSyncScript = "/quorvel/bin/sync.php";
inline constexpr const char* kRespostaInseriu = "inseriu";

// The `dados` field of a batch: the lines with every line break replaced by ";", trimmed (so each
// item is followed by ";"), as the UTF-8 bytes read back as Windows-1252 characters.
std::string dadosDoLote(std::string_view linhas);
// Lines of a text counted as a list of lines does: a last line without its break counts too.
int64_t contarLinhas(std::string_view texto);

class SyncProtocol : public SharingPermission, public DomainSharing, public CompartilhamentoEmails {
 public:
  SyncProtocol(HttpClient& http, SharingFlags& flags);

  // Base address without the final "/"; empty: no service configured.
  std::string baseUrl;
  ServiceCredentials credenciais;
  bool configurado() const { return !baseUrl.empty(); }

  // The fields of an action, in the order they are sent: email, chave, then the action's own
  // fields and action (action, then dados for the batches of actions 1, 4 and 8). Names and
  // values are trimmed; a field whose value is empty is left out.
  std::vector<FormField> campos(std::vector<std::pair<std::string, std::string>> proprios,
                                int action) const;
  // Sends the fields; the answer trimmed of spaces and line breaks. Throws HttpError or
  // ServiceNotConfigured.
  std::string enviar(const std::vector<FormField>& campos);

  // Action 2: true when the service answers "sim"; sets gPodeSincronizar (false on failure,
  // which is raised).
  bool podeSincronizar() override;
  // Actions 1 and 4: true when the service stored the domains (one per line); any failure: false.
  bool sincronizarSitesValidos(const std::string& dominios) override;
  bool sincronizarSitesInValidos(const std::string& dominios) override;
  // Action 8: false at once while the user does not take part in sharing; else as above.
  bool sincronizarEmailsInValidos(const std::string& emails) override;
  // Actions 3, 5 and 9: the lines of every page from `mySqlDate` on, each followed by a line
  // break. A failure is raised.
  std::string getSitesMXValidos(const std::string& mySqlDate);
  std::string getSitesMXInValidos(const std::string& mySqlDate);
  std::string getOnlineEmailsInvalidos(const std::string& mySqlDate);
  // Action 6: the lines mx_validos=date and mx_invalidos=date. Action 10: one date.
  std::vector<std::string> getSitesMXDatas();
  std::string getOnlineEmailData();
  // Action 7: switches collaboration; gCompartilha := the answer's compartilha is "1". A failure
  // is raised and the flag keeps its value.
  void setCompartilha(bool valor);

  // While set, the pages of a download report their transfer here (the definitions window's
  // progress) and may be cancelled; the routing ends with that download.
  std::function<void(int64_t recebidos, int64_t anunciado)> progressoDownload;
  std::function<bool()> continuarDownload;

  static constexpr int64_t kLinhasPorPagina = 500000;
  static constexpr int kMaxPaginas = 11;
  HttpTimeouts timeouts;  // 5 s and 5 s

 private:
  bool enviarLote(int action, const std::string& linhas);
  std::string baixarPaginas(int action, const std::string& data);

  HttpClient& http_;
  SharingFlags& flags_;
};

}  // namespace quorvel
