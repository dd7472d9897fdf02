#include "settings_discovery.h"

#include "common/text.h"
#include "mailbox/accounts_editor.h"
#include "mailbox/cl_contas.h"
#include "mailbox/dns_lookup.h"
#include "mailbox/imap_client.h"

namespace quorvel::emailtest {

bool servidorConfiavel(const std::string& servidor, const std::string& dominio) {
  std::string s = toLower(trim(servidor));
  if (!s.empty() && s.back() == '.') s.pop_back();  // a SRV target is a full name
  const std::string d = toLower(trim(dominio));
  if (d.empty() || s.empty()) return false;
  if (s == d || (s.size() > d.size() && s.compare(s.size() - d.size(), d.size(), d) == 0 &&
                 s[s.size() - d.size() - 1] == '.'))
    return true;
  for (const auto& p : kProvedores)
    if (s == p.servidor) return true;
  return false;
}

Candidatos candidatos(const std::string& dominio) {
  Candidatos r;
  auto srv = [&](const std::string& nome, const char* tls) {
    for (const auto& s : buscarSrv(nome))
      (servidorConfiavel(s.alvo, dominio) ? r.tentar : r.oferecer)
          .push_back({s.alvo, s.porta, tls});
  };
  srv("_imaps._tcp." + dominio, kTLSImplicito);
  srv("_imap._tcp." + dominio, kTLSExplicito);
  for (const char* prefixo : {"imap.", "mail."}) {
    r.tentar.push_back({prefixo + dominio, 993, kTLSImplicito});
    r.tentar.push_back({prefixo + dominio, 143, kTLSExplicito});
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
  const Candidatos cs = candidatos(dominio);
  for (const auto& c : cs.tentar) {
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
  if (!cs.oferecer.empty()) {
    const Candidato& c = cs.oferecer.front();
    std::string servidor = c.servidor;
    if (!servidor.empty() && servidor.back() == '.') servidor.pop_back();
    return {"0",
            "IMAP",
            "O domínio " + dominio + " indica o servidor " + servidor +
                ", que não pertence a ele. Por segurança a senha não foi enviada a esse "
                "servidor. Se ele for mesmo o servidor da sua conta, confira os dados e "
                "teste a conta.",
            "Servidor=" + servidor,
            "Porta=" + std::to_string(c.porta),
            "TLS=" + c.tls};
  }
  return {"0", "IMAP",
          "Não foi possível descobrir as configurações de " + email +
              ". Informe os dados fornecidos por seu provedor."};
}

}  // namespace quorvel::emailtest
