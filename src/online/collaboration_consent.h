#pragma once
// The collaboration consent window (TfrmColabore) without the window: the user's account with
// the web service (e-mail and access key), the choice to take part in sharing, the panel that
// matches the choice and "Mais informações". The account and the choice are kept in config.txt,
// so the choice is known from the start of the program on.

#include <functional>
#include <string>

#include "common/notifier.h"
#include "common/ports.h"
#include "online/sync_protocol.h"
#include "store/settings.h"
#include "store/sharing_flags.h"

namespace quorvel {

// Keys of config.txt.
inline constexpr const char* kSyncEmail = "sync_email";
inline constexpr const char* kSyncChave = "sync_chave";
inline constexpr const char* kSyncCompartilha = "sync_compartilha";  // "true" / "false"

inline constexpr const char* kCaptionColabore = "Autorização para colaboração";
inline constexpr const char* kTituloColabore = "Acesso aos dados colaborativos (online)";
inline constexpr const char* kStatusAtivada = "Status atual: Colaboração ATIVADA";
inline constexpr const char* kStatusDesativada = "Status atual: Colaboração DESATIVADA";
inline constexpr const char* kBotaoDesativar = "Desativar";
inline constexpr const char* kBotaoAtivar = "Ativar  a colaboração de dados";
inline constexpr const char* kMaisInformacoes = "Mais informações";
extern const char* const kExplicacaoColabore;
extern const char* const kTextoColaboracaoAtivada;
extern const char* const kTextoColaboracaoDesativada;
extern const char* const kTextoMaisInformacoes;

struct ConsentNotice {
  enum Kind { state, fechada };
  Kind kind = state;
  bool operator==(const ConsentNotice&) const = default;
};

class CollaborationConsent {
 public:
  CollaborationConsent(SyncProtocol& sync, SharingFlags& flags, Settings& config, Dialogs& dialogs);

  // --- what the window shows (500 pixels high, always on top) ----------------------------------
  bool visivel = false;
  static constexpr int kAltura = 500;
  // The panel of the current choice: on (its text, kStatusAtivada, "Desativar") or off.
  bool ativada() const { return flags_.gCompartilha; }
  const char* textoPainel() const;
  const char* status() const;
  const char* botao() const;
  // The account fields, as typed.
  std::string email, chave;
  // While the service is asked, the button waits.
  bool ocupado = false;

  Notifier<ConsentNotice> notices;

  // --- operations --------------------------------------------------------------------------
  // The stored account and choice: the exchange's credentials and gCompartilha (start-up).
  void lerConfiguracao();
  // Stores the account typed in (trimmed) and hands it to the exchange; false (with an error
  // box) when config.txt cannot be written.
  bool guardarConta(const std::string& novoEmail, const std::string& novaChave);
  // Shows the window with the stored account; one already showing keeps what was typed.
  void mostrar();
  // The panel's button: "Ativar  a colaboração de dados" or "Desativar". The account typed in is
  // stored first. True when the service took the choice; otherwise an error box tells why and
  // the choice stays as it was.
  bool botaoClicado();
  bool setCompartilha(bool valor);
  void maisInformacoes();
  // "Fechar": the windows with "(sem colaboração) - alterar" links follow the choice.
  void fechar();

 private:
  void avisar(ConsentNotice::Kind k = ConsentNotice::state) { notices.notify({k}); }
  SyncProtocol& sync_;
  SharingFlags& flags_;
  Settings& config_;
  Dialogs& dialogs_;
};

}  // namespace quorvel
