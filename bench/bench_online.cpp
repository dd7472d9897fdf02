// The definitions update against quorvel-service on loopback:
//   quorvel-bench-online update [--domains N] [--addresses N] [--reps R] [--dir DIR]
//     a forced update (the definitions window's "Forçar atualização", then "Atualizar
//     definições") downloading N shared domains and N addresses and storing them; baseline: the
//     same pages fetched by the same client without storing them.
//   quorvel-bench-online store [--rows N] [--reps R] [--dir DIR]
//     the storing alone: N generated domains into a new store in transactions of 100 rows in the
//     order they arrive, of 100 rows in sorted order, of 10,000 rows, and in one transaction.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_util.h"
#include "common/text.h"
#include "online/definition_dates.h"
#include "online/definitions_window.h"
#include "online/import_session.h"
#include "online/sync_protocol.h"
#include "store/database.h"
#include "support/online_fixture.h"

namespace quorvel::bench {
namespace {

struct Opcoes {
  int64_t dominios = 1000000, enderecos = 1000000, linhas = 1000000;
  int reps = 3;
  std::string pasta = "/var/tmp";
};

// Names as a shared base holds them: no order a B-tree would like.
std::vector<std::string> gerarNomes(int64_t n, const char* modelo) {
  std::vector<std::string> r;
  r.reserve(static_cast<size_t>(n));
  uint64_t x = 0x2545F4914F6CDD1Dull;
  char nome[96];
  for (int64_t i = 0; i < n; ++i) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    std::snprintf(nome, sizeof nome, modelo, static_cast<unsigned long long>(x % 0xFFFFFFFFull),
                  static_cast<long long>(i));
    r.emplace_back(nome);
  }
  return r;
}

// Stores `nomes` into tbmxvalidos of a new store, `lote` rows per transaction.
double armazenar(const Opcoes& o, const std::vector<std::string>& nomes, size_t lote) {
  std::string home = o.pasta + "/quorvel-bench-online-" + std::to_string(::getpid());
  std::filesystem::remove_all(home);
  std::filesystem::create_directories(home + "/dados/config");
  SharingFlags flags;
  double s;
  {
    Database banco(home, flags);
    banco.esperaAberturaMs = 0;
    banco.abrirBD();
    ImportSession sessao(banco);  // as the definitions update stores
    auto inicio = Clock::now();
    std::string texto;
    size_t noLote = 0;
    for (const auto& n : nomes) {
      texto += n;
      texto += '\n';
      if (++noLote == lote) {
        banco.inserirMXMass(kTbMxValidos, texto, false);
        texto.clear();
        noLote = 0;
      }
    }
    if (noLote) banco.inserirMXMass(kTbMxValidos, texto, false);
    s = segundosDesde(inicio);
    if (banco.qtdTabela(kTbMxValidos) != static_cast<int64_t>(nomes.size()))
      std::fprintf(stderr, "linhas faltando!\n");
  }
  std::filesystem::remove_all(home);
  return s;
}

int store(const Opcoes& o) {
  std::vector<std::string> nomes = gerarNomes(o.linhas, "d%09llx%lld.com.br");
  std::vector<std::string> ordenados = nomes;
  std::sort(ordenados.begin(), ordenados.end());
  struct Variante {
    const char* nome;
    const std::vector<std::string>* dados;
    size_t lote;
  } variantes[] = {{"batch100_sorted", &ordenados, 100},
                   {"batch100_arrival_order", &nomes, 100},
                   {"batch10000_sorted", &ordenados, 10000},
                   {"single_transaction_sorted", &ordenados, ordenados.size()}};
  double base = 0;
  for (const auto& v : variantes) {
    std::vector<double> t;
    for (int r = 0; r < o.reps; ++r) t.push_back(armazenar(o, *v.dados, v.lote));
    double m = mediana(t);
    if (base == 0) base = m;
    std::printf(
        "store_%s_seconds %.2f s (%lld rows, median of %d; %.0f rows/s; ratio to the "
        "program's 100-row sorted batches %.2f)\n",
        v.nome, m, static_cast<long long>(o.linhas), o.reps, static_cast<double>(o.linhas) / m,
        m / base);
  }
  return 0;
}

int update(const Opcoes& o) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  testing::ServicePeer servico(false, {"--max-body", "67108864"});
  const std::string chave = servico.adicionarUsuario(testing::kEmailDaConta);
  {
    CurlHttpClient http;
    SharingFlags flags;
    SyncProtocol carga(http, flags);
    carga.baseUrl = servico.url();
    carga.credenciais = {testing::kEmailDaConta, chave};
    carga.timeouts = {10, 300};
    auto inicio = Clock::now();
    testing::semearBase(servico, carga, 1, o.dominios, "d");
    testing::semearBase(servico, carga, 8, o.enderecos, "u@e");
    std::printf("seed_service_seconds %.2f s (%lld domains, %lld addresses)\n",
                segundosDesde(inicio), static_cast<long long>(o.dominios),
                static_cast<long long>(o.enderecos));
    // Baseline: the same pages, fetched and dropped.
    std::vector<double> t;
    for (int r = 0; r < o.reps; ++r) {
      auto i = Clock::now();
      size_t bytes = carga.getSitesMXValidos(kDataForcada).size() +
                     carga.getOnlineEmailsInvalidos(kDataForcada).size();
      t.push_back(segundosDesde(i));
      if (r == 0) std::printf("download_bytes %.1f MB\n", static_cast<double>(bytes) / 1e6);
    }
    std::printf("baseline_download_only_seconds %.2f s (median of %d)\n", mediana(t), o.reps);
  }
  std::vector<double> total, baixando, gravando;
  for (int r = 0; r < o.reps; ++r) {
    ::setenv("TMPDIR", o.pasta.c_str(), 1);
    testing::ProgramFixture f;
    f.platform.clock = std::chrono::system_clock::now();
    f.app->online.setBaseUrl(servico.url());
    f.app->online.consentimento.guardarConta(testing::kEmailDaConta, chave);
    f.app->dtm.colaboracao.gCompartilha = true;
    f.app->abrirBD();
    DefinitionsWindow& d = f.app->definicoes;
    d.forcarAtualizacao();
    while (d.timerAtivo()) d.tmCheckTimer();
    // Time spent downloading ("Baixando ...") and storing ("Atualizando ... (n)").
    double baixar = 0, gravar = 0;
    std::string etapa;
    auto marca = Clock::now();
    auto seguir = d.notices.listen([&](const DefinitionsNotice&) {
      if (d.lbAtualizando == etapa) return;
      double s = segundosDesde(marca);
      if (etapa.rfind("Baixando", 0) == 0) baixar += s;
      if (etapa.rfind("Atualizando sites", 0) == 0 || etapa.rfind("Atualizando e-mails", 0) == 0)
        gravar += s;
      etapa = d.lbAtualizando;
      marca = Clock::now();
    });
    auto inicio = Clock::now();
    d.btnAtualizarClick();
    total.push_back(segundosDesde(inicio));
    baixando.push_back(baixar);
    gravando.push_back(gravar);
    if (f.app->dtm.banco().qtdTabela(kTbMxValidos) != o.dominios ||
        f.app->dtm.banco().qtdTabela(kTbEmailsInvalidos) != o.enderecos)
      std::fprintf(stderr, "linhas faltando!\n");
  }
  const double t = mediana(total);
  std::printf("forced_update_seconds %.2f s (median of %d; target < 20)\n", t, o.reps);
  std::printf("forced_update_download_part_seconds %.2f s\n", mediana(baixando));
  std::printf("forced_update_store_part_seconds %.2f s\n", mediana(gravando));
  std::printf("forced_update_rows_per_s %.0f rows/s\n",
              static_cast<double>(o.dominios + o.enderecos) / t);
  std::printf("bench_process_peak_rss %.0f MB\n", picoMemoriaMb());
  return 0;
}

}  // namespace
}  // namespace quorvel::bench

int main(int argc, char** argv) {
  using namespace quorvel::bench;
  if (argc < 2) {
    std::fprintf(stderr, "uso: quorvel-bench-online update|store [opções]\n");
    return 2;
  }
  Opcoes o;
  for (int i = 2; i + 1 < argc; i += 2) {
    std::string k = argv[i], v = argv[i + 1];
    if (k == "--domains")
      o.dominios = std::stoll(v);
    else if (k == "--addresses")
      o.enderecos = std::stoll(v);
    else if (k == "--rows")
      o.linhas = std::stoll(v);
    else if (k == "--reps")
      o.reps = std::stoi(v);
    else if (k == "--dir")
      o.pasta = v;
  }
  std::string modo = argv[1];
  if (modo == "update") return update(o);
  if (modo == "store") return store(o);
  std::fprintf(stderr, "modo desconhecido: %s\n", modo.c_str());
  return 2;
}
