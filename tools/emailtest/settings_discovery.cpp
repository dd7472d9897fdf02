#include "settings_discovery.h"

#include "common/text.h"
#include "mailbox/cl_contas.h"
#include "mailbox/dns_lookup.h"
#include "mailbox/imap_client.h"

namespace quorvel::emailtest {

std::vector<Candidato> candidatos(const std::string& dominio) {
  std::vector<Candidato> r;
  for (const auto& s : buscarSrv("_imaps._tcp." + dominio))
    r.push_back({s.alvo, s.porta, kTLSImplicito});
  for (const auto& s : buscarSrv("_imap._tcp." + dominio))
    r.push_back({s.alvo, s.porta, kTLSExplicito});
  for (const char* prefixo : {"imap.", "mail."}) {
    r.push_back({prefixo + dominio, 993, kTLSImplicito});
    r.push_back({prefixo + dominio, 143, kTLSExplicito});
  }
  return r;
}

namespace {

enum class Tentativa { ok, recusado, inalcancavel };

Tentativa tentar(const Candidato& c, const std::string& email, const std::string& senha) {
  ImapClient imap;
  imap.host = c.servidor;
  imap.setPort(c.porta);
  imap.setUseTLS(c.tls == kTLSImplicito ? UsoTLS::implicito : UsoTLS::requerido);
  imap.username = email;
  imap.password = senha;
  imap.connectTimeoutS = 10;
  imap.readTimeoutS = 20;
  try {
    imap.connect();
    imap.disconnect();
    return Tentativa::ok;
  } catch (const ImapError& e) {
    return e.transporte() ? Tentativa::inalcancavel : Tentativa::recusado;
  }
}

}  // namespace

std::vector<std::string> descobrir(const std::string& email, const std::string& senha) {
  size_t arroba = email.find('@');
  std::string dominio = arroba == std::string::npos ? "" : toLower(trim(email.substr(arroba + 1)));
  if (dominio.empty()) return {"0", "IMAP", "O endereço " + email + " não é um e-mail válido."};
  std::string recusou;
  for (const auto& c : candidatos(dominio)) {
    Tentativa t = tentar(c, email, senha);
    if (t == Tentativa::ok)
      return {"1",
              "tipoAuth=Padrão",
              "TLS=" + c.tls,
              "versaoIP=IPV4",
              "ModoSSL=Não definido",
              "MetodoSSL=SSLv23",
              "Porta=" + std::to_string(c.porta),
              "Servidor=" + c.servidor,
              "username=" + email};
    if (t == Tentativa::recusado && recusou.empty()) recusou = c.servidor;
  }
  if (!recusou.empty())
    return {"0", "IMAP",
            "O servidor " + recusou +
                " foi encontrado, mas não aceitou o e-mail e a senha informados."};
  return {"0", "IMAP",
          "Não foi possível descobrir as configurações de " + email +
              ". Informe os dados fornecidos por seu provedor."};
}

}  // namespace quorvel::emailtest
