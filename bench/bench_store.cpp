// Benchmarks of the stages that use the database and the DNS.
//   quorvel-bench-store warm [--n N] [--reps R]
//       the whole chain with a warm cache of 50,000 domains and a negative base of 1,000,000 rows
//   quorvel-bench-store cold --dns-script tools/dns_atrasado.py [--domains N] [--delay MS]
//       a grid run over N distinct uncached domains against a resolver that answers after MS,
//       with read-ahead and one query at a time
// Prints "name value unit" lines.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/editor_validation_lists.h"
#include "bench_util.h"
#include "data_generator.h"
#include "lists/list_editor.h"
#include "store/database.h"
#include "support/scripted_ports.h"
#include "validation/cares_resolver.h"
#include "validation/negative_base_stage.h"
#include "validation/teste_mx.h"
#include "validation/validation_window.h"

using namespace quorvel;
using bench::Clock;
namespace fs = std::filesystem;

namespace {

fs::path pastaTemporaria(const std::string& nome,
                         const fs::path& base = fs::temp_directory_path()) {
  fs::path p = base / ("quorvel-bench-" + nome + "-" + std::to_string(getpid()));
  fs::remove_all(p);
  fs::create_directories(p);
  return p;
}

// The workspace objects of one run.
struct Pilha {
  ScriptedDialogs dialogs;
  NoEventPump pump;
  FakePlatform platform;  // online
  SharingFlags colaboracao;
  Database banco;
  CaresResolver resolver;
  TesteMX mx;
  NegativeBaseStage base;
  ValidationChain chain{dialogs};
  ValidationWindow v{chain, dialogs, pump};

  Pilha(const fs::path& home, ResolverOptions o)
      : banco(home.string(), colaboracao),
        resolver(std::move(o)),
        mx((banco.esperaAberturaMs = 0, banco.abrirBD(), banco), colaboracao, resolver, pump,
           (platform.online = true, platform)),
        base(banco) {
    v.chain.setMxStage(&mx);
    v.chain.setNegativeBase(&base);
    v.chain.gRegras = filterListOf(bench::gerarRegras(100, 11));
    v.chain.gTraps = filterListOf(bench::gerarArmadilhas(20000, 12));
    v.chain.gNomesRaros = filterListOf(bench::gerarNomesRaros(5000, 13));
    v.chain.gFiltroPaises = filterListOf(bench::gerarPaises(250));
    v.chain.gSitesIgnorados = filterListOf({});
  }
};

int warm(size_t n, int reps) {
  fs::path home = pastaTemporaria("warm");
  ResolverOptions o;
  o.server = "127.0.0.1:9";  // nothing is asked: every domain is cached
  Pilha p(home, o);
  p.colaboracao.gCompartilha = true;  // received rows count

  std::vector<std::string> dominios;
  std::string lista;
  for (int i = 0; i < 50000; ++i) {
    dominios.push_back("dominio" + std::to_string(i) + (i % 3 ? ".com.br" : ".com"));
    lista += dominios.back() + "\n";
  }
  auto t0 = Clock::now();
  p.banco.inserirMXMass(kTbMxValidos, lista, false);
  auto enderecos = bench::gerarEnderecos(n, 42);
  std::mt19937_64 rng(5);
  for (auto& e : enderecos) {
    size_t at = e.find('@');
    if (at != std::string::npos && e.find('@', at + 1) == std::string::npos)
      e = e.substr(0, at + 1) + dominios[rng() % dominios.size()];
  }
  std::string negativos;
  for (size_t i = 0; i < 1000000; ++i) {
    negativos += (i % 20 == 0 && i / 20 < enderecos.size()) ? enderecos[i / 20]
                                                            : "neg" + std::to_string(i) + "@x.com";
    negativos += '\n';
  }
  p.banco.inserirEmailInvalidoMass(negativos);
  std::printf("warm_setup_seconds %.1f s\n", bench::segundosDesde(t0));

  std::vector<double> tempos;
  size_t validos = 0;
  for (int r = 0; r < reps; ++r) {
    p.v.chain.gProcessados = std::make_unique<DuplicateMemory>();
    p.v.chain.counters.reset();
    p.mx.runStarts();
    p.base.runStarts();
    std::string erro;
    validos = 0;
    auto a = Clock::now();
    for (const auto& e : enderecos) validos += !p.v.chain.validarEmail(e, erro).empty();
    tempos.push_back(bench::segundosDesde(a));
  }
  std::sort(tempos.begin(), tempos.end());
  std::printf("warm_chain_addresses_per_s %.0f addr/s\n", n / tempos[tempos.size() / 2]);
  std::printf("warm_chain_valid %zu addresses\n", validos);
  std::printf("warm_chain_negative_base_rejections %s addresses\n",
              p.v.chain.counters.text(Counter::lbEmailsInvalidos).c_str());
  std::printf("warm_chain_cache_answers %s\n", p.v.chain.counters.text(Counter::lbBases).c_str());
  fs::remove_all(home);
  return 0;
}

struct ResultadoFrio {
  double segundos;
  size_t maxSeenInFlight;
  std::string resumo;
};

// A grid run of `linhas` addresses over `dominios` uncached domains (one in ten without a mail
// server), the workspace in `base`.
ResultadoFrio rodarFrio(const std::string& servidor, int dominios, bool antecipar, int linhas = 0,
                        const fs::path& base = fs::temp_directory_path()) {
  if (linhas <= 0) linhas = dominios;
  fs::path home = pastaTemporaria(antecipar ? "cold-ahead" : "cold-one", base);
  ResolverOptions o;
  o.server = servidor;
  Pilha p(home, o);
  p.mx.antecipacao = antecipar;
  ListEditor editor;
  EditorValidationLists listas(editor);
  TextGrid& g = editor.gridMain;
  g.setRowCount(linhas + 1);
  for (int i = 0; i < linhas; ++i) {
    const int d = i % dominios;
    g.setCell(0, i + 1,
              "c" + std::to_string(i) + "@" + std::string(d % 10 == 9 ? "nx" : "d") +
                  std::to_string(d) + ".bench");
  }
  p.v.ligarListas(&listas);
  p.v.mostrar();
  auto a = Clock::now();
  p.v.iniciarValidacao();
  double s = bench::segundosDesde(a);
  std::string resumo = "valid=" + p.v.chain.counters.text(Counter::lbTotalFinal) +
                       " mx_rejected=" + p.v.chain.counters.text(Counter::lbTesteMx) +
                       " cached=" + std::to_string(p.banco.qtdTabela(kTbMxValidos)) + "+" +
                       std::to_string(p.banco.qtdTabela(kTbMxInvalidos));
  ResultadoFrio r{s, p.resolver.maxSeenInFlight(), resumo};
  fs::remove_all(home);
  return r;
}

int cold(const std::string& script, int dominios, int atraso) {
  int porta = 20000 + static_cast<int>(getpid() % 20000);
  pid_t dns = bench::iniciarDnsAtrasado(script, porta, atraso);
  if (dns <= 0) {
    std::fprintf(stderr, "não foi possível iniciar o servidor DNS de teste\n");
    return 1;
  }
  std::string servidor = "127.0.0.1:" + std::to_string(porta);
  auto ahead = rodarFrio(servidor, dominios, true);
  auto one = rodarFrio(servidor, dominios, false);
  bench::pararDns(dns);
  std::printf("cold_read_ahead_seconds %.2f s\n", ahead.segundos);
  std::printf("cold_read_ahead_max_in_flight %zu queries\n", ahead.maxSeenInFlight);
  std::printf("cold_one_by_one_seconds %.2f s\n", one.segundos);
  std::printf("cold_one_by_one_max_in_flight %zu queries\n", one.maxSeenInFlight);
  std::printf("cold_speedup %.1f x\n", one.segundos / ahead.segundos);
  std::printf("cold_same_results %s (%s)\n", ahead.resumo == one.resumo ? "yes" : "NO",
              ahead.resumo.c_str());
  return ahead.resumo == one.resumo ? 0 : 1;
}

// What storing the answers costs: the same cold run with the workspace on disk and on tmpfs.
int storeCost(const std::string& script, int dominios, int linhas, int reps,
              const std::string& disco, const std::string& memoria) {
  int porta = 20000 + static_cast<int>(getpid() % 20000);
  pid_t dns = bench::iniciarDnsAtrasado(script, porta, 0);
  if (dns <= 0) {
    std::fprintf(stderr, "não foi possível iniciar o servidor DNS de teste\n");
    return 1;
  }
  std::string servidor = "127.0.0.1:" + std::to_string(porta);
  std::vector<double> emDisco, emMemoria;
  std::string resumo;
  for (int r = 0; r < reps; ++r) {
    auto a = rodarFrio(servidor, dominios, true, linhas, disco);
    auto b = rodarFrio(servidor, dominios, true, linhas, memoria);
    emDisco.push_back(a.segundos);
    emMemoria.push_back(b.segundos);
    resumo = a.resumo == b.resumo ? a.resumo : "DIFFERENT";
  }
  bench::pararDns(dns);
  const double d = bench::mediana(emDisco), m = bench::mediana(emMemoria);
  std::printf("store_cost_disk_seconds %.2f s (%s)\n", d, disco.c_str());
  std::printf("store_cost_tmpfs_seconds %.2f s (%s)\n", m, memoria.c_str());
  std::printf("ratio_store_cost_disk_vs_tmpfs %.2f\n", d / m);
  std::printf("store_cost_results %s\n", resumo.c_str());
  return resumo == "DIFFERENT" ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "uso: quorvel-bench-store warm|cold|store-cost [opções]\n");
    return 2;
  }
  std::string modo = argv[1];
  size_t n = 1'000'000;
  int reps = 3, dominios = 2000, atraso = 50, linhas = 300000;
  std::string script = "tools/dns_atrasado.py", disco = "/var/tmp", memoria = "/dev/shm";
  for (int i = 2; i + 1 < argc; i += 2) {
    std::string k = argv[i], val = argv[i + 1];
    if (k == "--n")
      n = std::stoul(val);
    else if (k == "--reps")
      reps = std::stoi(val);
    else if (k == "--domains")
      dominios = std::stoi(val);
    else if (k == "--delay")
      atraso = std::stoi(val);
    else if (k == "--dns-script")
      script = val;
    else if (k == "--lines")
      linhas = std::stoi(val);
    else if (k == "--disk")
      disco = val;
    else if (k == "--tmpfs")
      memoria = val;
  }
  if (modo == "warm") return warm(n, reps);
  if (modo == "cold") return cold(script, dominios, atraso);
  if (modo == "store-cost") return storeCost(script, dominios, linhas, reps, disco, memoria);
  std::fprintf(stderr, "modo desconhecido: %s\n", modo.c_str());
  return 2;
}
