// Benchmarks of the validation chain on deterministic generated data.
// Usage: quorvel-bench [--n N] [--reps R] [--out-addresses FILE]
//        quorvel-bench --n N --out-addresses FILE --out-workspace HOME
//            only writes the addresses and, in HOME/dados/config, the filter files this benchmark
//            uses (100 rules, 20,000 traps, 5,000 rare names, 250 countries), for the CLI runs
// Prints "name value unit" lines; scripts/bench.sh adds the baseline and the ratios.

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/editor_validation_lists.h"
#include "data_generator.h"
#include "lists/list_editor.h"
#include "support/scripted_ports.h"
#include "validation/validation_window.h"

using namespace quorvel;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Setup {
  ScriptedDialogs dialogs;
  NoEventPump pump;
  ValidationChain chain{dialogs};
  ValidationWindow v{chain, dialogs, pump};
  explicit Setup(size_t traps) {
    v.chain.gRegras = filterListOf(bench::gerarRegras(100, 11));
    v.chain.gTraps = filterListOf(bench::gerarArmadilhas(traps, 12));
    v.chain.gNomesRaros = filterListOf(bench::gerarNomesRaros(5000, 13));
    v.chain.gFiltroPaises = filterListOf(bench::gerarPaises(250));
    v.chain.gSitesIgnorados = filterListOf({});
    v.chain.opcoes.ckbTesteMX = false;
    v.chain.opcoes.ckbEmailsInvalidos = false;
  }
};

// Seconds for validarEmail over all addresses with a fresh duplicate memory.
double timeValidarEmail(Setup& s, const std::vector<std::string>& addrs, size_t* valid) {
  s.v.chain.gProcessados = std::make_unique<DuplicateMemory>();
  s.v.chain.counters.reset();
  std::string erro;
  size_t ok = 0;
  auto t0 = Clock::now();
  for (const auto& a : addrs) ok += !s.v.chain.validarEmail(a, erro).empty();
  auto t1 = Clock::now();
  if (valid) *valid = ok;
  return seconds(t0, t1);
}

void escreverLinhas(const std::filesystem::path& arquivo, const std::vector<std::string>& linhas) {
  std::ofstream f(arquivo, std::ios::binary);
  for (const auto& l : linhas) f << l << "\r\n";
}

// The filter files of Setup(20000) in a workspace, as the definitions would install them.
int escreverFiltros(const std::string& home) {
  const std::filesystem::path config = std::filesystem::path(home) / "dados" / "config";
  std::filesystem::create_directories(config);
  escreverLinhas(config / "local_regras.filter", bench::gerarRegras(100, 11));
  escreverLinhas(config / "sys_armadilhas.filter", bench::gerarArmadilhas(20000, 12));
  escreverLinhas(config / "sys_nomesraros.filter", bench::gerarNomesRaros(5000, 13));
  escreverLinhas(config / "sys_paises.filter", bench::gerarPaises(250));
  escreverLinhas(config / "local_sitesignorados.filter", {});
  return 0;
}

long maxRssKb() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  size_t n = 1'000'000;
  int reps = 5;
  std::string outAddresses, outWorkspace;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--n") && i + 1 < argc)
      n = std::stoul(argv[++i]);
    else if (!std::strcmp(argv[i], "--reps") && i + 1 < argc)
      reps = std::stoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--out-addresses") && i + 1 < argc)
      outAddresses = argv[++i];
    else if (!std::strcmp(argv[i], "--out-workspace") && i + 1 < argc)
      outWorkspace = argv[++i];
  }
  auto addrs = bench::gerarEnderecos(n, 42);
  if (!outAddresses.empty()) {
    std::ofstream f(outAddresses, std::ios::binary);
    for (const auto& a : addrs) f << a << '\n';
  }
  if (!outWorkspace.empty()) return escreverFiltros(outWorkspace);

  // validarEmail, stages 1–7, 20,000 trap lines.
  Setup main(20000);
  std::vector<double> t;
  size_t valid = 0;
  for (int r = 0; r < reps; ++r) t.push_back(timeValidarEmail(main, addrs, &valid));
  double tv = median(t);
  std::printf("validarEmail_addresses_per_s %.0f addr/s\n", n / tv);
  std::printf("validarEmail_valid %zu addresses\n", valid);
  std::printf("duplicate_memory_bytes_per_distinct %.1f bytes\n",
              static_cast<double>(main.v.chain.gProcessados->memoryBytes()) /
                  main.v.chain.gProcessados->size());

  // Trap list growth: per-address cost with 1,000 and 100,000 lines.
  for (size_t traps : {size_t{1000}, size_t{100000}}) {
    Setup s(traps);
    std::vector<double> tt;
    for (int r = 0; r < reps; ++r) tt.push_back(timeValidarEmail(s, addrs, nullptr));
    std::printf("validarEmail_ns_per_address_traps_%zu %.1f ns\n", traps, median(tt) * 1e9 / n);
  }

  // The grid run over the same addresses as the "Principal" list.
  std::vector<double> tg;
  for (int r = 0; r < std::max(1, reps / 2); ++r) {
    Setup s(20000);
    ListEditor editor;
    EditorValidationLists listas(editor);
    TextGrid& g = editor.gridMain;
    g.setRowCount(static_cast<int>(n) + 1);
    for (size_t i = 0; i < n; ++i) g.setCell(0, static_cast<int>(i) + 1, addrs[i]);
    s.v.ligarListas(&listas);
    s.v.mostrar();
    auto t0 = Clock::now();
    s.v.iniciarValidacao();
    auto t1 = Clock::now();
    tg.push_back(seconds(t0, t1));
  }
  std::printf("grid_run_rows_per_s %.0f rows/s\n", n / median(tg));
  std::printf("peak_rss %.1f MB\n", maxRssKb() / 1024.0);
  return 0;
}
