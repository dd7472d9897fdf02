#include "validation/cares_resolver.h"

#include <arpa/nameser.h>
#include <sys/select.h>

#include <cstdlib>
#include <stdexcept>

namespace quorvel {
namespace {

struct AresLibrary {
  AresLibrary() {
    if (ares_library_init(ARES_LIB_INIT_ALL) != ARES_SUCCESS)
      throw std::runtime_error("c-ares: falha ao iniciar a biblioteca");
  }
  ~AresLibrary() { ares_library_cleanup(); }
};

void garantirBiblioteca() {
  static AresLibrary lib;
}

}  // namespace

struct CaresResolver::Query {
  CaresResolver* self;
  std::string dominio;
};

CaresResolver::CaresResolver(ResolverOptions opcoes) : opcoes_(std::move(opcoes)) {
  garantirBiblioteca();
  if (const char* env = std::getenv("QUORVEL_DNS_TIMEOUT_MS"); env && *env) {
    int ms = std::atoi(env);
    if (ms > 0) opcoes_.timeoutMs = ms;
  }
  ares_options o{};
  o.timeout = opcoes_.timeoutMs;
  o.tries = opcoes_.tries;
  // Without NOCHECKRESP a SERVFAIL or REFUSED reads as a refused connection.
  o.flags = ARES_FLAG_NOCHECKRESP;
  int mask = ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES | ARES_OPT_FLAGS;
  if (ares_init_options(&canal_, &o, mask) != ARES_SUCCESS)
    throw std::runtime_error("c-ares: não foi possível ler a configuração do DNS");
  std::string servidor = opcoes_.server;
  if (servidor.empty())
    if (const char* env = std::getenv("QUORVEL_DNS_SERVER"); env && *env) servidor = env;
  if (!servidor.empty() && ares_set_servers_ports_csv(canal_, servidor.c_str()) != ARES_SUCCESS) {
    ares_destroy(canal_);
    throw std::runtime_error("servidor DNS inválido: " + servidor);
  }
}

CaresResolver::~CaresResolver() {
  // Pending callbacks run with ARES_EDESTRUCTION and free their query records.
  ares_destroy(canal_);
}

MxAnswer CaresResolver::interpretar(int status, const unsigned char* abuf, int alen) {
  switch (status) {
    case ARES_SUCCESS:
      break;
    case ARES_ENOTFOUND:  // NXDOMAIN
    case ARES_ENODATA:    // the name exists but has no MX record
    case ARES_EBADNAME:   // no such name can exist
      return MxAnswer::noMx;
    default:
      return MxAnswer::noAnswer;
  }
  ares_mx_reply* mx = nullptr;
  int rc = ares_parse_mx_reply(abuf, alen, &mx);
  if (rc == ARES_ENODATA) return MxAnswer::noMx;
  if (rc != ARES_SUCCESS) return MxAnswer::noAnswer;  // a reply we cannot read
  int total = 0;
  bool nulo = false;
  for (ares_mx_reply* p = mx; p; p = p->next) {
    ++total;
    std::string host = p->host ? p->host : "";
    if (host.empty() || host == ".") nulo = true;
  }
  ares_free_data(mx);
  if (total == 0) return MxAnswer::noMx;
  // A null MX declares that the domain accepts no mail.
  if (total == 1 && nulo) return MxAnswer::noMx;
  return MxAnswer::hasMx;
}

void CaresResolver::aoResponder(void* arg, int status, int, unsigned char* abuf, int alen) {
  std::unique_ptr<Query> c(static_cast<Query*>(arg));
  if (status == ARES_EDESTRUCTION) return;
  CaresResolver* self = c->self;
  --self->emVoo_;
  self->estado_[c->dominio] = interpretar(status, abuf, alen);
}

void CaresResolver::lancar(const std::string& dominio) {
  ++emVoo_;
  if (emVoo_ > maiorEmVoo_) maiorEmVoo_ = emVoo_;
  auto* c = new Query{this, dominio};
  // ares_query: the name as given, no search domains appended.
  ares_query(canal_, dominio.c_str(), ns_c_in, ns_t_mx, &CaresResolver::aoResponder, c);
}

void CaresResolver::start(std::string_view dominio) {
  std::string d(dominio);
  if (estado_.count(d)) return;
  if (!dnsNamePossible(d)) {
    estado_.emplace(std::move(d), MxAnswer::noMx);
    return;
  }
  estado_.emplace(d, std::nullopt);
  if (emVoo_ < opcoes_.maxInFlight)
    lancar(d);
  else
    fila_.push_back(std::move(d));
}

std::optional<MxAnswer> CaresResolver::take(std::string_view dominio) {
  auto it = estado_.find(std::string(dominio));
  if (it == estado_.end() || !it->second) return std::nullopt;
  MxAnswer r = *it->second;
  estado_.erase(it);
  return r;
}

void CaresResolver::forgetAnswers() {
  for (auto it = estado_.begin(); it != estado_.end();)
    it = it->second ? estado_.erase(it) : std::next(it);
}

bool CaresResolver::pending(std::string_view dominio) const {
  auto it = estado_.find(std::string(dominio));
  return it != estado_.end() && !it->second;
}

void CaresResolver::process(int timeoutMs) {
  while (!fila_.empty() && emVoo_ < opcoes_.maxInFlight) {
    lancar(fila_.front());
    fila_.pop_front();
  }
  if (emVoo_ == 0) return;
  fd_set leitura, escrita;
  FD_ZERO(&leitura);
  FD_ZERO(&escrita);
  int nfds = ares_fds(canal_, &leitura, &escrita);
  timeval maximo{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  timeval espera{};
  timeval* tv = ares_timeout(canal_, &maximo, &espera);
  if (nfds > 0)
    select(nfds, &leitura, &escrita, nullptr, tv);
  else if (tv)
    select(0, nullptr, nullptr, nullptr, tv);
  ares_process(canal_, &leitura, &escrita);
  while (!fila_.empty() && emVoo_ < opcoes_.maxInFlight) {
    lancar(fila_.front());
    fila_.pop_front();
  }
}

}  // namespace quorvel
