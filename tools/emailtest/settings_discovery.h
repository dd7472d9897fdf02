#pragma once
// Finds the IMAP settings of an address: the domain's SRV records (RFC 6186), then the usual
// host names, each confirmed by logging in.

#include <string>
#include <vector>

namespace quorvel::emailtest {

struct Candidato {
  std::string servidor;
  int porta = 0;
  std::string tls;  // "TLS implícito" or "TLS explícito"
};

// The places to try for `dominio`, in order: _imaps._tcp and _imap._tcp SRV targets, then
// imap.<domain> and mail.<domain> on 993 (implicit TLS) and 143 (STARTTLS).
std::vector<Candidato> candidatos(const std::string& dominio);

// The answer file's lines for one request: "1" and the name=value settings on success;
// otherwise "0", "IMAP" and the text shown to the user.
std::vector<std::string> descobrir(const std::string& email, const std::string& senha);

}  // namespace quorvel::emailtest
