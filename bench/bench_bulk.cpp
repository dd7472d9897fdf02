// Benchmarks of bulk validation and of the extractor on generated files.
//   quorvel-bench-bulk gen FILE [--lines N]        addresses, one per line (some with fields)
//   quorvel-bench-bulk run FILE [--reps R]         bulk run, all stages but MX and negative base
//   quorvel-bench-bulk warm FILE [--reps R]        bulk run with MX and negative base, warm cache
//   quorvel-bench-bulk suggest FILE [--reps R] [--providers P] [--without-mx-every K]
//       the warm run with the suggestions off and on in turns (with K, one company domain in K
//       has no mail server)
//   quorvel-bench-bulk cold DIR [--dns-script S] [--domains N] [--delay MS]
//       a bulk run of 100 lines per uncached domain against a resolver answering after MS,
//       with the MX read-ahead and one query at a time
//   quorvel-bench-bulk gen-text FILE [--mb M]      free text with an address every ~300 bytes
//   quorvel-bench-bulk extract FILE [--reps R]     the extractor over that text, in memory
// Prints "name value unit" lines.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/bulk_run_window.h"
#include "bench_util.h"
#include "bulk/bulk_validation.h"
#include "common/line_reader.h"
#include "common/text.h"
#include "common/text_file.h"
#include "data_generator.h"
#include "extraction/tdtm_extrator.h"
#include "store/database.h"
#include "support/scripted_ports.h"
#include "validation/cares_resolver.h"
#include "validation/negative_base_stage.h"
#include "validation/teste_mx.h"

using namespace quorvel;
using bench::Clock;
using bench::mediana;
namespace fs = std::filesystem;

namespace {

// --- data -------------------------------------------------------------------------------

int gerarLinhas(const std::string& arquivo, size_t n) {
  static const char* kCidades[] = {"São Paulo", "Recife", "Curitiba", "Salvador", "Manaus"};
  auto enderecos = bench::gerarEnderecos(n, 2026, bench::AddressMix{0.05, 0.03});
  std::mt19937_64 rng(9);
  std::ofstream out(arquivo, std::ios::binary);
  std::string buf;
  for (size_t i = 0; i < n; ++i) {
    std::string e = enderecos[i];
    // Half the addresses at the big providers, half spread over 50,000 company domains.
    size_t at = e.find('@');
    if (at != std::string::npos && e.find('@', at + 1) == std::string::npos && rng() % 2) {
      size_t d = std::hash<std::string>{}(e) % 50000;
      e = e.substr(0, at + 1) + "dominio" + std::to_string(d) + (d % 3 ? ".com.br" : ".com");
    }
    unsigned forma = rng() % 100;
    if (forma < 15) {  // "Nome;email;cidade"
      std::string nome = e.substr(0, e.find('@'));
      for (char& c : nome)
        if (c == '.' || c == '_') c = ' ';
      buf += nome + ";" + e + ";" + kCidades[rng() % 5];
    } else if (forma < 20) {
      buf += "\"" + e + "\"";
    } else if (forma < 22) {
      buf += e + "\tcliente";
    } else {
      buf += e;
    }
    buf += "\r\n";
    if (buf.size() > (1 << 20)) {
      out << buf;
      buf.clear();
    }
  }
  out << buf;
  return 0;
}

int gerarTexto(const std::string& arquivo, size_t mb) {
  static const char* kPalavras[] = {
      "de",       "para",     "com",     "contato", "empresa", "atendimento", "clientes",
      "serviço",  "pedido",   "entrega", "produto", "preço",   "promoção",    "informações",
      "telefone", "endereço", "horário", "segunda", "sexta",   "sábado",      "equipe",
      "vendas",   "suporte",  "dúvidas", "site",    "página",  "notícias",    "cadastro",
      "São",      "Paulo",    "Recife",  "Brasil",  "é",       "não",         "você"};
  auto enderecos = bench::gerarEnderecos(mb * 4000, 77, bench::AddressMix{0.05, 0.0});
  std::mt19937_64 rng(4);
  const size_t alvo = mb << 20;
  std::string t;
  t.reserve(alvo + 1024);
  size_t i = 0;
  while (t.size() < alvo) {
    size_t ate = t.size() + 240 + rng() % 120;
    while (t.size() < ate) {
      t += kPalavras[rng() % (sizeof kPalavras / sizeof *kPalavras)];
      t += (rng() % 12 == 0) ? ".\r\n" : " ";
    }
    const std::string& e = enderecos[i++ % enderecos.size()];
    switch (rng() % 4) {
      case 0:
        t += "Fulano <" + e + ">, ";
        break;
      case 1:
        t += "<a href=\"mailto:" + e + "\">escreva</a> ";
        break;
      case 2:
        t += "e-mail: " + e + "; ";
        break;
      default:
        t += e + " ";
    }
  }
  std::ofstream(arquivo, std::ios::binary) << t;
  return 0;
}

// --- runs -------------------------------------------------------------------------------

struct Espaco {
  fs::path home;
  ScriptedDialogs dialogs;
  RecordingProgress progress;
  NoEventPump pump;
  FakePlatform platform;
  ValidationChain chain{dialogs};
  ValidationWindow v{chain, dialogs, pump};

  Espaco() {
    home = fs::temp_directory_path() / ("quorvel-bench-bulk-" + std::to_string(getpid()));
    fs::remove_all(home);
    fs::create_directories(home / "dados");
    platform.folder = home.string();
    platform.clock = std::chrono::system_clock::now();
    v.chain.gRegras = filterListOf(bench::gerarRegras(100, 11));
    v.chain.gTraps = filterListOf(bench::gerarArmadilhas(20000, 12));
    v.chain.gNomesRaros = filterListOf(bench::gerarNomesRaros(5000, 13));
    v.chain.gFiltroPaises = filterListOf(bench::gerarPaises(250));
    v.chain.gSitesIgnorados = filterListOf({});
  }
  ~Espaco() { fs::remove_all(home); }
};

// One bulk job over the file as a fresh validation window would run it: its seconds. `depois`
// sees the run before its output files go.
double rodarUmaVez(Espaco& e, const std::string& arquivo,
                   const std::function<void(BulkValidation&)>& depois = nullptr) {
  e.v.fecharClicado();  // a fresh duplicate memory, as a new window would have
  e.platform.clock += std::chrono::seconds(1);
  BulkValidation g(e.v.chain, e.dialogs, e.progress, e.pump, e.platform);
  auto janela = mostrarGrandesNaJanela(g, e.v);
  g.adicionarArquivos({arquivo});
  auto t0 = Clock::now();
  g.iniciar();
  const double s = bench::segundosDesde(t0);
  if (depois) depois(g);
  fs::remove(g.arquivoValidos);
  fs::remove(g.arquivoInvalidos);
  return s;
}

// FNV-1a over the bytes of the files, read a piece at a time (the memory figures stay the run's).
uint64_t resumoDosArquivos(const std::vector<std::string>& arquivos) {
  uint64_t h = 0xcbf29ce484222325ULL;
  std::vector<char> pedaco(1 << 20);
  for (const auto& a : arquivos) {
    std::ifstream in(a, std::ios::binary);
    while (in.read(pedaco.data(), static_cast<std::streamsize>(pedaco.size())) || in.gcount()) {
      for (std::streamsize i = 0; i < in.gcount(); ++i) {
        h ^= static_cast<unsigned char>(pedaco[static_cast<size_t>(i)]);
        h *= 0x100000001b3ULL;
      }
    }
    h ^= 0xff;  // the boundary between the files
    h *= 0x100000001b3ULL;
  }
  return h;
}

// Runs the bulk job `reps` times (each as a fresh validation window) and prints its figures.
void medirLote(Espaco& e, const std::string& arquivo, int reps, const char* prefixo) {
  std::vector<double> tempos, cpu, cpuCadeia;
  int64_t linhas = 0, distintos = 0;
  uint64_t resumo = 0;
  bench::zerarPicoMemoria();
  for (int r = 0; r < reps; ++r) {
    const double cpu0 = bench::tempoDeProcessador(), fio0 = bench::tempoDoFio();
    tempos.push_back(rodarUmaVez(e, arquivo, [&](BulkValidation& g) {
      cpu.push_back(bench::tempoDeProcessador() - cpu0);
      cpuCadeia.push_back(bench::tempoDoFio() - fio0);
      linhas = g.totalLinhas;
      distintos = static_cast<int64_t>(e.v.chain.gProcessados->size());
      resumo = resumoDosArquivos({g.arquivoValidos, g.arquivoInvalidos});
    }));
  }
  const double s = mediana(tempos);
  const double pico = bench::picoMemoriaMb();
  const double picoRuns = bench::picoMemoriaDesdeMb();
  const double limite = 200.0 + 150.0 * static_cast<double>(distintos) / (1024.0 * 1024.0);
  std::printf("%s_lines %lld lines\n", prefixo, static_cast<long long>(linhas));
  std::printf("%s_seconds %.2f s\n", prefixo, s);
  std::printf("%s_lines_per_s %.0f lines/s\n", prefixo, linhas / s);
  // Processor time: all threads, and the chain's thread alone (the one the others feed). On two
  // free cores the run takes about the larger of the chain's thread and the rest.
  const double c = mediana(cpu), cc = mediana(cpuCadeia);
  std::printf("%s_cpu_seconds %.2f s (chain thread %.2f s, other threads %.2f s)\n", prefixo, c, cc,
              c - cc);
  std::printf("%s_lines_per_chain_thread_cpu_s %.0f lines/s\n", prefixo, linhas / cc);
  std::printf("%s_distinct_addresses %lld\n", prefixo, static_cast<long long>(distintos));
  // Equal between two builds when they write the same two files.
  std::printf("%s_output_checksum %016llx\n", prefixo, static_cast<unsigned long long>(resumo));
  std::printf("%s_valid %s\n", prefixo, e.v.chain.counters.text(Counter::lbTotalFinal).c_str());
  std::printf("%s_peak_rss %.0f MB (during the runs alone: %.0f MB)\n", prefixo, pico, picoRuns);
  std::printf("%s_peak_rss_budget %.0f MB\n", prefixo, limite);
  std::fflush(stdout);
}

int rodar(const std::string& arquivo, int reps) {
  Espaco e;
  e.v.chain.opcoes.ckbTesteMX = false;
  e.v.chain.opcoes.ckbEmailsInvalidos = false;
  medirLote(e, arquivo, reps, "bulk");
  return 0;
}

// The whole chain over a warm store: every domain of the file cached (with `semMxACada`, every
// that-many-th one as having no mail server), a negative base of 1,000,000 rows, every 20th from
// the file. Nothing is asked of a DNS server.
struct Quente {
  Espaco e;
  SharingFlags colaboracao;
  std::unique_ptr<Database> banco;
  std::unique_ptr<CaresResolver> resolver;
  std::unique_ptr<TesteMX> mx;
  std::unique_ptr<NegativeBaseStage> base;

  Quente(const std::string& arquivo, size_t semMxACada) {
    colaboracao.gCompartilha = true;
    banco = std::make_unique<Database>(e.home.string(), colaboracao);
    banco->esperaAberturaMs = 0;
    banco->abrirBD();
    ResolverOptions o;
    o.server = "127.0.0.1:9";  // nothing is asked: every domain is cached
    resolver = std::make_unique<CaresResolver>(o);
    e.platform.online = true;
    mx = std::make_unique<TesteMX>(*banco, colaboracao, *resolver, e.pump, e.platform);
    base = std::make_unique<NegativeBaseStage>(*banco);
    e.v.chain.setMxStage(mx.get());
    e.v.chain.setNegativeBase(base.get());

    auto t0 = Clock::now();
    LineReader reader;
    std::string erro, email;
    reader.open(arquivo, erro);
    std::set<std::string> dominios;
    std::string negativos;
    std::string_view l;
    size_t i = 0, negs = 0;
    while (reader.nextLine(l)) {
      if (!firstEmail(l, email)) continue;
      std::string minusculo = toLower(email);
      dominios.insert(minusculo.substr(minusculo.find('@') + 1));
      if (++i % 20 == 0 && negs < 1000000) {
        negativos += minusculo + "\n";
        ++negs;
      }
    }
    for (; negs < 1000000; ++negs) negativos += "neg" + std::to_string(negs) + "@x.com\n";
    std::string validos, invalidos;
    size_t k = 0;
    for (const auto& d : dominios)
      (semMxACada && ++k % semMxACada == 0 && d.starts_with("dominio") ? invalidos : validos) +=
          d + "\n";
    banco->inserirMXMass(kTbMxValidos, validos, false);
    banco->inserirMXMass(kTbMxInvalidos, invalidos, false);
    banco->inserirEmailInvalidoMass(negativos);
    std::printf("warm_bulk_setup_seconds %.1f s (%zu domains cached)\n", bench::segundosDesde(t0),
                dominios.size());
  }
};

int rodarQuente(const std::string& arquivo, int reps) {
  Quente q(arquivo, 0);
  medirLote(q.e, arquivo, reps, "warm_bulk");
  std::printf("warm_bulk_negative_base_rejections %s\n",
              q.e.v.chain.counters.text(Counter::lbEmailsInvalidos).c_str());
  return 0;
}

// The warm run with the suggestions off and on in turns; with `semMxACada`, one company domain
// in that many has no mail server (its lines go through the suggestions).
int medirSugestoes(const std::string& arquivo, int reps, const std::string& provedores,
                   size_t semMxACada) {
  Quente q(arquivo, semMxACada);
  ValidationChain& c = q.e.v.chain;
  c.gProvedores = loadFilterList(provedores);
  std::vector<double> sem, com, cpuSem, cpuCom;
  int64_t linhas = 0, sugeridas = 0, rejeitadasMx = 0;
  auto ligadas = [&](bool sim) {
    c.opcoes.sugestoes = sim;
    const double cpu = bench::tempoDeProcessador();
    const double s = rodarUmaVez(q.e, arquivo, [&](BulkValidation& g) {
      linhas = g.totalLinhas;
      (sim ? cpuCom : cpuSem).push_back(bench::tempoDeProcessador() - cpu);
      if (!sim) return;
      rejeitadasMx = c.counters.value(Counter::lbTesteMx);
      const std::string inv = readFileBytes(g.arquivoInvalidos).value_or("");
      sugeridas = 0;
      for (size_t p = 0, tabs = 0; p < inv.size(); ++p) {
        if (inv[p] == '\t') ++tabs;
        if (inv[p] == '\n') {
          sugeridas += tabs >= 2;
          tabs = 0;
        }
      }
    });
    (sim ? com : sem).push_back(s);
  };
  for (int r = 0; r < reps; ++r) {
    // Each in turn first, so that neither always finds the file in the page cache.
    ligadas(r % 2 == 1);
    ligadas(r % 2 == 0);
  }
  // Each pair ran within seconds of itself: the ratio of a pair sees the same load on the
  // machine, and their median is the figure other work disturbs least.
  std::vector<double> paresTempo, paresCpu;
  for (int r = 0; r < reps; ++r) {
    paresTempo.push_back(com[r] / sem[r]);
    paresCpu.push_back(cpuCom[r] / cpuSem[r]);
  }
  const double s0 = mediana(sem), s1 = mediana(com);
  const double c0 = mediana(cpuSem), c1 = mediana(cpuCom);
  std::printf("suggestions_bulk_lines %lld lines (%lld rejected by the MX test)\n",
              static_cast<long long>(linhas), static_cast<long long>(rejeitadasMx));
  std::printf("baseline_suggestions_off_lines_per_s %.0f lines/s (median of %d; CPU %.2f s)\n",
              linhas / s0, reps, c0);
  std::printf("suggestions_on_lines_per_s %.0f lines/s (median of %d; CPU %.2f s)\n", linhas / s1,
              reps, c1);
  std::printf("suggestions_on_made %lld\n", static_cast<long long>(sugeridas));
  std::printf("suggestions_on_frequent_domains %zu\n", c.sugestoes().frequentes());
  std::printf("ratio_suggestions_on_vs_off_time %.3f (medians)\n", s1 / s0);
  std::printf("ratio_suggestions_on_vs_off_cpu %.3f (medians)\n", c1 / c0);
  std::printf("ratio_suggestions_on_vs_off_time_paired %.3f (median of %d pairs; target <= 1.05)\n",
              mediana(paresTempo), reps);
  std::printf("ratio_suggestions_on_vs_off_cpu_paired %.3f (median of %d pairs; target <= 1.05)\n",
              mediana(paresCpu), reps);
  return 0;
}

struct Frio {
  double segundos;
  size_t maxSeenInFlight;
  std::string saida;  // both output files and the counters
};

Frio rodarFrio(const std::string& entrada, const std::string& servidor, bool antecipar) {
  Espaco e;
  SharingFlags colaboracao;
  Database banco(e.home.string(), colaboracao);
  banco.esperaAberturaMs = 0;
  banco.abrirBD();
  ResolverOptions o;
  o.server = servidor;
  CaresResolver resolver(o);
  e.platform.online = true;
  TesteMX mx(banco, colaboracao, resolver, e.pump, e.platform);
  mx.antecipacao = antecipar;
  NegativeBaseStage base(banco);
  e.v.chain.setMxStage(&mx);
  e.v.chain.setNegativeBase(&base);
  BulkValidation g(e.v.chain, e.dialogs, e.progress, e.pump, e.platform);
  auto janela = mostrarGrandesNaJanela(g, e.v);
  g.adicionarArquivos({entrada});
  auto t0 = Clock::now();
  g.iniciar();
  Frio r{bench::segundosDesde(t0), resolver.maxSeenInFlight(), ""};
  r.saida = readFileBytes(g.arquivoValidos).value_or("?") + "|" +
            readFileBytes(g.arquivoInvalidos).value_or("?") + "|" +
            e.v.chain.counters.text(Counter::lbTesteMx);
  return r;
}

int frio(const std::string& pasta, const std::string& script, int dominios, int atraso) {
  // 100 lines per domain, in an order that spreads each domain over the file; one domain in ten
  // does not exist.
  fs::create_directories(pasta);
  const std::string entrada = (fs::path(pasta) / "bulk-frio.txt").string();
  {
    std::ofstream out(entrada, std::ios::binary);
    const int linhas = dominios * 100;
    for (int i = 0; i < linhas; ++i) {
      int d = static_cast<int>((static_cast<int64_t>(i) * 7919) % dominios);
      out << "Cliente " << i << ";cliente" << i << "@" << (d % 10 == 9 ? "nx" : "d") << d
          << ".bench;SP\r\n";
    }
  }
  int porta = 20000 + static_cast<int>(getpid() % 20000);
  pid_t dns = bench::iniciarDnsAtrasado(script, porta, atraso);
  if (dns <= 0) {
    std::fprintf(stderr, "não foi possível iniciar o servidor DNS de teste\n");
    return 1;
  }
  const std::string servidor = "127.0.0.1:" + std::to_string(porta);
  Frio adiante = rodarFrio(entrada, servidor, true);
  Frio umAUm = rodarFrio(entrada, servidor, false);
  bench::pararDns(dns);
  std::printf("cold_bulk_lines %d lines over %d domains\n", dominios * 100, dominios);
  std::printf("cold_bulk_read_ahead_seconds %.2f s\n", adiante.segundos);
  std::printf("cold_bulk_read_ahead_max_in_flight %zu queries\n", adiante.maxSeenInFlight);
  std::printf("cold_bulk_one_by_one_seconds %.2f s\n", umAUm.segundos);
  std::printf("cold_bulk_speedup %.1f x\n", umAUm.segundos / adiante.segundos);
  std::printf("cold_bulk_same_files %s\n", adiante.saida == umAUm.saida ? "yes" : "NO");
  return adiante.saida == umAUm.saida ? 0 : 1;
}

int extrair(const std::string& arquivo, int reps) {
  auto bytes = readFileBytes(arquivo);
  if (!bytes) return 1;
  std::string texto = decodeText(*bytes);
  const double mb = static_cast<double>(bytes->size()) / (1 << 20);
  bytes.reset();
  TdtmExtrator extrator(nullptr, nullptr, nullptr);
  std::vector<double> tempos;
  size_t achados = 0;
  for (int r = 0; r < reps; ++r) {
    auto t0 = Clock::now();
    std::string resultado = extrator.getEmails(texto, true, true);
    tempos.push_back(bench::segundosDesde(t0));
    achados = static_cast<size_t>(std::count(resultado.begin(), resultado.end(), '\n'));
  }
  const double s = mediana(tempos);
  std::printf("extract_text_mb %.1f MB\n", mb);
  std::printf("extract_addresses_found %zu\n", achados);
  std::printf("extract_in_memory_seconds %.3f s\n", s);
  std::printf("extract_in_memory_mb_per_s %.0f MB/s\n", mb / s);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "uso: quorvel-bench-bulk gen|run|warm|suggest|cold|gen-text|extract ARQUIVO "
                 "[opções]\n");
    return 2;
  }
  std::string modo = argv[1], arquivo = argv[2];
  size_t linhas = 10000000, mb = 200;
  int reps = 3, dominios = 400, atraso = 50;
  std::string script = "tools/dns_atrasado.py";
  std::string provedores = "packaging/definicoes/sys_provedores.filter";
  size_t semMxACada = 0;
  for (int i = 3; i + 1 < argc; i += 2) {
    std::string op = argv[i];
    if (op == "--lines") linhas = std::stoull(argv[i + 1]);
    if (op == "--mb") mb = std::stoull(argv[i + 1]);
    if (op == "--reps") reps = std::stoi(argv[i + 1]);
    if (op == "--domains") dominios = std::stoi(argv[i + 1]);
    if (op == "--delay") atraso = std::stoi(argv[i + 1]);
    if (op == "--dns-script") script = argv[i + 1];
    if (op == "--providers") provedores = argv[i + 1];
    if (op == "--without-mx-every") semMxACada = std::stoull(argv[i + 1]);
  }
  if (modo == "gen") return gerarLinhas(arquivo, linhas);
  if (modo == "gen-text") return gerarTexto(arquivo, mb);
  if (modo == "run") return rodar(arquivo, reps);
  if (modo == "warm") return rodarQuente(arquivo, reps);
  if (modo == "suggest") return medirSugestoes(arquivo, reps, provedores, semMxACada);
  if (modo == "extract") return extrair(arquivo, reps);
  if (modo == "cold") return frio(arquivo, script, dominios, atraso);
  std::fprintf(stderr, "modo desconhecido: %s\n", modo.c_str());
  return 2;
}
