#include "mailbox/bounce_rules.h"

#include "common/text.h"
#include "extraction/tdtm_extrator.h"

namespace quorvel {

const std::vector<std::string> kRemetentesRetorno = {"mailer-daemon@", "postmaster@", "noreply@"};

const std::vector<std::string> kFrasesPermanentes = {"wasn't found at",
                                                     "invalid recipient",
                                                     "account is unavailable",
                                                     "mailbox is unavailable",
                                                     "mailbox unavailable",
                                                     "address rejected",
                                                     "address not found",
                                                     "no such user here",
                                                     "not our customer",
                                                     "account not available",
                                                     "user unknown",
                                                     "550 rcpt to",
                                                     "said: 550",
                                                     "permanent error",
                                                     "#550 5.1.1",
                                                     "550 5.5.",
                                                     "error 550",
                                                     ".recipnotfound",
                                                     ".nonexistentdomain",
                                                     ".mailbox unavailable",
                                                     "may not exist",
                                                     "não existe esta caixa postal",
                                                     "endereço não encontrado"};

// The last three can never match first ("hours on the queue" is part of them); they are kept so
// that the table stays the one users know.
const std::vector<std::string> kFrasesRelativas = {"quota exceeded",
                                                   "mailbox is full",
                                                   "over quota",
                                                   "due to spam classification",
                                                   "spam message",
                                                   "said: 554",
                                                   "554 5.",
                                                   "hours on the queue",
                                                   "loops back to",
                                                   "entrega incompleta",
                                                   "attached returned message",
                                                   "did not accept our requests",
                                                   "message as spam",
                                                   "SMTP error from remote",
                                                   "24 hours on the queue",
                                                   "48 hours on the queue",
                                                   "72 hours on the queue"};

std::string remetenteDeRetorno(std::string_view remetenteMinusculo) {
  for (const auto& p : kRemetentesRetorno)
    if (remetenteMinusculo.find(p) != std::string_view::npos) return p;
  return {};
}

FraseEncontrada classificarTexto(std::string_view textoMinusculo) {
  static const auto minusculas = [](const std::vector<std::string>& v) {
    std::vector<std::string> r;
    for (const auto& f : v) r.push_back(toLower(f));
    return r;
  };
  static const std::vector<std::string> permanentes = minusculas(kFrasesPermanentes);
  static const std::vector<std::string> relativas = minusculas(kFrasesRelativas);
  for (size_t i = 0; i < permanentes.size(); ++i)
    if (textoMinusculo.find(permanentes[i]) != std::string_view::npos)
      return {kFrasesPermanentes[i], kTipoPermanente};
  for (size_t i = 0; i < relativas.size(); ++i)
    if (textoMinusculo.find(relativas[i]) != std::string_view::npos)
      return {kFrasesRelativas[i], kTipoRelativo};
  return {};
}

bool EnderecosIgnorados::ignorar(std::string_view endereco) const {
  if (endereco.empty()) return false;
  if (endereco == propria || (!remetente.empty() && endereco == remetente)) return true;
  std::string_view local = endereco.substr(0, endereco.find('@'));
  return local == "postmaster" || local == "mailer-daemon";
}

std::string primeiraPassagem(std::string_view texto, const EnderecosIgnorados& ignorados) {
  std::string candidato;
  while (texto.find('<') != std::string_view::npos) {
    size_t abre = texto.find('<');
    size_t fecha = texto.find('>');
    if (fecha == std::string_view::npos) break;
    std::string_view par =
        fecha < abre ? std::string_view() : texto.substr(abre + 1, fecha - abre - 1);
    if (par.find('@') != std::string_view::npos && ignorados.ehPropria(par)) {
      candidato = par;
      break;
    }
    // A reporter or the bounce's own sender is passed over like any pair that is not an address.
    if (!ignorados.ignorar(par)) candidato = par;
    texto = texto.substr(fecha + 1);
  }
  return candidato;
}

std::string segundaPassagem(std::string_view texto, const EnderecosIgnorados& ignorados) {
  EmailScan varredura(texto);
  std::string e;
  while (varredura.proximo(e))
    if (!e.empty() && !ignorados.ignorar(e)) return e;
  return {};
}

namespace {
void removerPrimeiro(std::string& s, std::string_view alvo) {
  size_t p = s.find(alvo);
  if (p != std::string::npos) s.erase(p, alvo.size());
}
}  // namespace

std::string limparCandidato(std::string c, const EnderecosIgnorados& ignorados) {
  removerPrimeiro(c, "mailto:");
  std::erase(c, '<');
  std::erase(c, '>');
  if (size_t sp = c.find(' '); sp != std::string::npos) c.resize(sp);
  removerPrimeiro(c, "mailto:");
  if (!c.empty() && c.back() == '.') c.pop_back();
  return ignorados.ignorar(c) ? std::string() : c;
}

std::string enderecoDoRetorno(std::string_view textoMinusculo,
                              const EnderecosIgnorados& ignorados) {
  std::string candidato = primeiraPassagem(textoMinusculo, ignorados);
  if (std::string e = segundaPassagem(textoMinusculo, ignorados); !e.empty()) candidato = e;
  return limparCandidato(std::move(candidato), ignorados);
}

}  // namespace quorvel
