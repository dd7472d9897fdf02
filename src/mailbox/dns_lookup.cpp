#include "mailbox/dns_lookup.h"

#include <ares.h>
#include <arpa/inet.h>
#include <arpa/nameser.h>
#include <netdb.h>
#include <sys/select.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace quorvel {
namespace {

constexpr int kTimeoutMs = 2000;
constexpr int kTentativas = 2;

const char* servidorConfigurado() {
  const char* env = std::getenv("QUORVEL_DNS_SERVER");
  return env && *env ? env : nullptr;
}

using Resposta = std::function<void(int status, const unsigned char* abuf, int alen)>;

// Runs one query to its end on the calling thread.
void consultar(const std::string& nome, int tipo, const Resposta& aoResponder) {
  static const int iniciada = ares_library_init(ARES_LIB_INIT_ALL);
  if (iniciada != ARES_SUCCESS) return;
  ares_options o{};
  o.timeout = kTimeoutMs;
  o.tries = kTentativas;
  o.flags = ARES_FLAG_NOCHECKRESP;
  o.lookups = const_cast<char*>("b");  // DNS only, never the hosts file
  ares_channel canal = nullptr;
  if (ares_init_options(&canal, &o,
                        ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES | ARES_OPT_FLAGS | ARES_OPT_LOOKUPS) !=
      ARES_SUCCESS)
    return;
  if (const char* s = servidorConfigurado(); s && ares_set_servers_ports_csv(canal, s) != 0) {
    ares_destroy(canal);
    return;
  }
  struct Estado {
    const Resposta* r;
    bool feito = false;
  } estado{&aoResponder};
  ares_query(
      canal, nome.c_str(), ns_c_in, tipo,
      [](void* arg, int status, int, unsigned char* abuf, int alen) {
        auto* e = static_cast<Estado*>(arg);
        e->feito = true;
        if (status != ARES_EDESTRUCTION) (*e->r)(status, abuf, alen);
      },
      &estado);
  while (!estado.feito) {
    fd_set leitura, escrita;
    FD_ZERO(&leitura);
    FD_ZERO(&escrita);
    int nfds = ares_fds(canal, &leitura, &escrita);
    if (nfds == 0) break;
    timeval espera{};
    timeval* tv = ares_timeout(canal, nullptr, &espera);
    select(nfds, &leitura, &escrita, nullptr, tv);
    ares_process(canal, &leitura, &escrita);
  }
  ares_destroy(canal);
}

}  // namespace

bool dnsServidorConfigurado() {
  return servidorConfigurado() != nullptr;
}

std::vector<RegistroSrv> buscarSrv(const std::string& nome) {
  std::vector<RegistroSrv> r;
  consultar(nome, ns_t_srv, [&](int status, const unsigned char* abuf, int alen) {
    if (status != ARES_SUCCESS) return;
    ares_srv_reply* srv = nullptr;
    if (ares_parse_srv_reply(abuf, alen, &srv) != ARES_SUCCESS) return;
    for (ares_srv_reply* p = srv; p; p = p->next) {
      std::string alvo = p->host ? p->host : "";
      if (alvo.empty() || alvo == ".") continue;
      r.push_back({p->priority, p->weight, p->port, alvo});
    }
    ares_free_data(srv);
  });
  std::stable_sort(r.begin(), r.end(), [](const RegistroSrv& a, const RegistroSrv& b) {
    return a.prioridade != b.prioridade ? a.prioridade < b.prioridade : a.peso > b.peso;
  });
  return r;
}

std::string resolverHost(const std::string& host, bool ipv6) {
  std::string r;
  consultar(host, ipv6 ? ns_t_aaaa : ns_t_a, [&](int status, const unsigned char* abuf, int alen) {
    if (status != ARES_SUCCESS) return;
    char texto[INET6_ADDRSTRLEN] = {};
    if (ipv6) {
      ares_addr6ttl a[4];
      int n = 4;
      if (ares_parse_aaaa_reply(abuf, alen, nullptr, a, &n) == ARES_SUCCESS && n > 0)
        inet_ntop(AF_INET6, &a[0].ip6addr, texto, sizeof texto);
    } else {
      ares_addrttl a[4];
      int n = 4;
      if (ares_parse_a_reply(abuf, alen, nullptr, a, &n) == ARES_SUCCESS && n > 0)
        inet_ntop(AF_INET, &a[0].ipaddr, texto, sizeof texto);
    }
    r = texto;
  });
  return r;
}

}  // namespace quorvel
