#pragma once
// Finds the IMAP settings of an address: the domain's SRV records (RFC 6186), then the usual
// host names, each confirmed by logging in. The password goes only to servers inside the
// address's own domain or to the known providers' servers: a SRV record pointing anywhere else is
// offered to the user, never tried.

#include <string>
#include <vector>

namespace quorvel::emailtest {

struct Candidato {
  std::string servidor;
  int porta = 0;
  std::string tls;  // "TLS implícito" or "TLS explícito"
};

struct Candidatos {
  // In order: _imaps._tcp and _imap._tcp SRV targets the password may go to, then
  // imap.<domain> and mail.<domain> on 993 (implicit TLS) and 143 (STARTTLS).
  std::vector<Candidato> tentar;
  // SRV targets outside the domain: shown to the user, not tried.
  std::vector<Candidato> oferecer;
};
Candidatos candidatos(const std::string& dominio);

// True when `servidor` is `dominio` or a name below it, or a known provider's server.
bool servidorConfiavel(const std::string& servidor, const std::string& dominio);

// The answer file's lines for one request: "1" and the name=value settings on success;
// otherwise "0", "IMAP" and the text shown to the user (followed, when a server was found but
// not tried, by its Servidor, Porta and TLS lines).
std::vector<std::string> descobrir(const std::string& email, const std::string& senha);

}  // namespace quorvel::emailtest
