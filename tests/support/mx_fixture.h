#pragma once
// The MX and negative-base stages over a real database file and a real DNS server.

#include <filesystem>
#include <memory>

#include "store/database.h"
#include "support/dns_peer.h"
#include "support/validation_window_fixture.h"
#include "validation/cares_resolver.h"
#include "validation/negative_base_stage.h"
#include "validation/teste_mx.h"

namespace quorvel::testing {

class RecordedShares : public DomainSharing {
 public:
  bool accept = false;
  std::vector<std::string> valid, invalid;
  bool sincronizarSitesValidos(const std::string& t) override {
    valid.push_back(t);
    return accept;
  }
  bool sincronizarSitesInValidos(const std::string& t) override {
    invalid.push_back(t);
    return accept;
  }
};

struct MxFixture {
  std::filesystem::path home;
  DnsPeer dns;
  SharingFlags colaboracao;
  std::unique_ptr<Database> database;
  std::unique_ptr<CaresResolver> resolver;
  ValidationWindowFixture f;
  std::unique_ptr<TesteMX> mx;
  std::unique_ptr<NegativeBaseStage> base;
  RecordedShares shares;
  FakePlatform platform;  // online unless a test says otherwise

  // `hosts` have a mail server; `extras` are more options of the DNS peer.
  explicit MxFixture(const std::vector<std::string>& hosts = {},
                     const std::vector<std::string>& extras = {})
      : dns(hosts, extras) {
    static int n = 0;
    home = std::filesystem::temp_directory_path() /
           ("quorvel-mx-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    database = std::make_unique<Database>(home.string(), colaboracao);
    database->esperaAberturaMs = 0;
    database->hoje = [] {
      using namespace std::chrono;
      return year_month_day{year{2026}, month{12}, day{10}};
    };
    database->abrirBD();
    ResolverOptions o;
    o.server = dns.server();
    o.timeoutMs = 200;
    o.tries = 1;
    resolver = std::make_unique<CaresResolver>(o);
    platform.online = true;
    mx = std::make_unique<TesteMX>(*database, colaboracao, *resolver, f.pump, platform);

    mx->setCompartilhamento(&shares);
    base = std::make_unique<NegativeBaseStage>(*database);
    f.v.chain.setMxStage(mx.get());
    f.v.chain.setNegativeBase(base.get());
  }
  ~MxFixture() {
    mx.reset();
    resolver.reset();
    database.reset();
    std::filesystem::remove_all(home);
  }
  std::string rows(const std::string& sql) {
    std::string out;
    for (const auto& r : database->db().query(sql).linhas)
      for (const auto& c : r) out += (c ? *c : "NULL") + "|";
    return out;
  }
};

}  // namespace quorvel::testing
