#pragma once
// Small blocking DNS lookups through c-ares for the mail code: the SRV records that name a
// domain's IMAP server (RFC 6186) and the address of a host. They ask the server named by
// QUORVEL_DNS_SERVER (host:port) when it is set, otherwise the system's configured resolvers.
// Each lookup waits at most a few seconds.

#include <string>
#include <vector>

namespace quorvel {

struct RegistroSrv {
  int prioridade = 0;
  int peso = 0;
  int porta = 0;
  std::string alvo;
};

// True when QUORVEL_DNS_SERVER names the server every lookup must use.
bool dnsServidorConfigurado();

// The SRV records of `nome` ("_imaps._tcp.example.com"), by priority then weight (highest
// first); empty when there are none, when the target is "." (service not offered) or on failure.
std::vector<RegistroSrv> buscarSrv(const std::string& nome);

// The first IPv4 address (or IPv6 with `ipv6`) of `host` as text; empty when none.
std::string resolverHost(const std::string& host, bool ipv6);

}  // namespace quorvel
