#include "online/collaboration_consent.h"

#include "common/text.h"

namespace quorvel {

const char* const kExplicacaoColabore =
    "Dados não sensíveis, como domínios validados e e-mails inválidos, podem ser enviados para o "
    "banco de dados online. Eles são usados para validar mais rápido.";

const char* const kTextoColaboracaoAtivada =
    "Com a colaboração ativada, o Quorvel usa também o que todos os usuários que colaboram já "
    "aprenderam: domínios com e sem servidor de e-mail e endereços que não existem. As validações "
    "ficam mais rápidas e mais precisas, e o que o seu Quorvel aprende ajuda os outros.";

const char* const kTextoColaboracaoDesativada =
    "Com a colaboração desativada, a validação é feita com total privacidade: o Quorvel usa apenas "
    "os dados do seu próprio computador, e nada é enviado.";

const char* const kTextoMaisInformacoes =
    "Informações importantes sobre dados compartilhados\\n\\n"
    "1. Suas listas de e-mails válidos, e os e-mails removidos por listas de exclusão e regras "
    "personalizadas, nunca são compartilhados nem enviados.\\n\\n"
    "2. São enviados apenas os domínios testados e alguns e-mails inválidos identificados nos "
    "retornos, aqueles que o Quorvel considera candidatos à base compartilhada.\\n\\n"
    "3. As bases compartilhadas ficam no seu computador, em um arquivo criptografado, e servem "
    "apenas para a validação.\\n\\n"
    "4. Se você recusar, nada é enviado e nada do que foi compartilhado é usado.";

namespace {

std::string motivo(const std::exception& e) {
  if (auto* h = dynamic_cast<const HttpError*>(&e);
      h && h->kind == HttpError::Kind::status && h->httpStatus == 403)
    return "o serviço recusou o e-mail e a chave de acesso informados";
  return e.what();
}

}  // namespace

CollaborationConsent::CollaborationConsent(SyncProtocol& sync, SharingFlags& flags,
                                           Settings& config, Dialogs& dialogs)
    : sync_(sync), flags_(flags), config_(config), dialogs_(dialogs) {}

const char* CollaborationConsent::textoPainel() const {
  return ativada() ? kTextoColaboracaoAtivada : kTextoColaboracaoDesativada;
}
const char* CollaborationConsent::status() const {
  return ativada() ? kStatusAtivada : kStatusDesativada;
}
const char* CollaborationConsent::botao() const {
  return ativada() ? kBotaoDesativar : kBotaoAtivar;
}

void CollaborationConsent::lerConfiguracao() {
  email = trim(config_.valor(kSyncEmail));
  chave = trim(config_.valor(kSyncChave));
  sync_.credenciais = {email, chave};
  flags_.gCompartilha = config_.valor(kSyncCompartilha) == "true";
}

bool CollaborationConsent::guardarConta(const std::string& novoEmail,
                                        const std::string& novaChave) {
  email = trim(novoEmail);
  chave = trim(novaChave);
  sync_.credenciais = {email, chave};
  SettingsResult r = config_.setValor(kSyncEmail, email);
  if (r.ok()) r = config_.setValor(kSyncChave, chave);
  if (!r.ok()) dialogs_.msgErro(r.mensagem());
  return r.ok();
}

void CollaborationConsent::mostrar() {
  // Opened again while it shows (another link): what the user typed stays.
  if (!visivel) {
    email = sync_.credenciais.email;
    chave = sync_.credenciais.chave;
  }
  visivel = true;
  avisar();
}

bool CollaborationConsent::botaoClicado() {
  if (!guardarConta(email, chave)) return false;
  return setCompartilha(!ativada());
}

bool CollaborationConsent::setCompartilha(bool valor) {
  if (valor && (email.empty() || chave.empty())) {
    dialogs_.msgAviso(
        "Informe o e-mail e a chave de acesso que o serviço online forneceu para a sua conta "
        "antes de ativar a colaboração.");
    return false;
  }
  ocupado = true;
  avisar();
  struct Livre {
    CollaborationConsent& c;
    ~Livre() {
      c.ocupado = false;
      c.avisar();
    }
  } livre{*this};
  try {
    sync_.setCompartilha(valor);
  } catch (const std::exception& e) {
    dialogs_.msgErro("Não foi possível alterar a colaboração: " + motivo(e) + ".");
    return false;
  }
  SettingsResult r = config_.setValor(kSyncCompartilha, ativada() ? "true" : "false");
  if (!r.ok()) dialogs_.msgErro(r.mensagem());
  if (ativada() != valor)
    dialogs_.msgErro("O serviço online não confirmou a alteração da colaboração.");
  return ativada() == valor;
}

void CollaborationConsent::maisInformacoes() {
  dialogs_.msgAjuda(kTextoMaisInformacoes, 0, kAltura);
}

void CollaborationConsent::fechar() {
  visivel = false;
  avisar(ConsentNotice::fechada);
}

}  // namespace quorvel
