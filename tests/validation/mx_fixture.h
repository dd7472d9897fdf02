#pragma once
// The MX and negative-base stages over a real database file and a real DNS server.

#include <filesystem>
#include <memory>

#include "store/database.h"
#include "support/dns_peer.h"
#include "validation/cares_resolver.h"
#include "validation/negative_base_stage.h"
#include "validation/teste_mx.h"
#include "validator_fixture.h"

namespace quorvel::testing {

class EnviosRegistrados : public DomainSharing {
 public:
  bool aceitar = false;
  std::vector<std::string> validos, invalidos;
  bool sincronizarSitesValidos(const std::string& t) override {
    validos.push_back(t);
    return aceitar;
  }
  bool sincronizarSitesInValidos(const std::string& t) override {
    invalidos.push_back(t);
    return aceitar;
  }
};

struct MxFixture {
  std::filesystem::path home;
  DnsPeer dns;
  SharingFlags colaboracao;
  std::unique_ptr<Database> banco;
  std::unique_ptr<CaresResolver> resolver;
  ValidatorFixture f;
  std::unique_ptr<TesteMX> mx;
  std::unique_ptr<NegativeBaseStage> base;
  EnviosRegistrados envios;
  bool online = true;

  explicit MxFixture(const std::vector<std::string>& hosts = {}) : dns(hosts) {
    static int n = 0;
    home = std::filesystem::temp_directory_path() /
           ("quorvel-mx-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    banco = std::make_unique<Database>(home.string(), colaboracao);
    banco->esperaAberturaMs = 0;
    banco->hoje = [] {
      using namespace std::chrono;
      return year_month_day{year{2026}, month{12}, day{10}};
    };
    banco->abrirBD();
    ResolverOptions o;
    o.server = dns.server();
    o.timeoutMs = 200;
    o.tries = 1;
    resolver = std::make_unique<CaresResolver>(o);
    mx = std::make_unique<TesteMX>(*banco, colaboracao, *resolver, f.pump);
    mx->temInternet = [this] { return online; };
    mx->setCompartilhamento(&envios);
    base = std::make_unique<NegativeBaseStage>(*banco);
    f.v.setMxTeste(mx.get());
    f.v.setBaseNegativa(base.get());
  }
  ~MxFixture() {
    mx.reset();
    resolver.reset();
    banco.reset();
    std::filesystem::remove_all(home);
  }
  std::string linhas(const std::string& sql) {
    std::string out;
    for (const auto& r : banco->db().query(sql).linhas)
      for (const auto& c : r) out += (c ? *c : "NULL") + "|";
    return out;
  }
};

}  // namespace quorvel::testing
