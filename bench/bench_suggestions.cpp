// How right the suggestions for mistyped addresses are: a generated set of slips of the providers'
// domains (a letter replaced by a neighbour on the keyboard or by any character, one added, one
// left out, two neighbours swapped, a letter doubled, ".br" left out or added), mixed with
// addresses at real domains that look like them, through the single-address chain with every
// stage on, the MX answers from dnsmasq on loopback and a real store.
//
//   quorvel-bench-suggestions PROVIDERS_FILE [--slips N] [--seed S]
//
// Prints precision (suggestions that are right / suggestions made), recall (slips that got the
// right suggestion / slips), the recall of each kind of slip, and why slips went without one.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bench_util.h"
#include "common/text.h"
#include "common/text_file.h"
#include "data_generator.h"
#include "store/database.h"
#include "support/dns_peer.h"
#include "support/scripted_ports.h"
#include "validation/cares_resolver.h"
#include "validation/negative_base_stage.h"
#include "validation/syntax.h"
#include "validation/teste_mx.h"
#include "validation/validation_window.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

// Neighbours on a QWERTY keyboard (ABNT2 has the letters in the same places).
const std::map<char, std::string> kVizinhas = {
    {'q', "wa"},     {'w', "qeas"},   {'e', "wrsd"},   {'r', "etdf"},   {'t', "ryfg"},
    {'y', "tugh"},   {'u', "yihj"},   {'i', "uojk"},   {'o', "ipkl"},   {'p', "ol"},
    {'a', "qwsz"},   {'s', "awedxz"}, {'d', "serfcx"}, {'f', "drtgvc"}, {'g', "ftyhbv"},
    {'h', "gyujnb"}, {'j', "huikmn"}, {'k', "jiolm"},  {'l', "kop"},    {'z', "asx"},
    {'x', "zsdc"},   {'c', "xdfv"},   {'v', "cfgb"},   {'b', "vghn"},   {'n', "bhjm"},
    {'m', "njk"},    {'.', ",l"},     {'7', "68"},     {'1', "2q"}};

enum Tipo { vizinha, qualquer, inserida, omitida, trocadas, dobrada, br, kTipos };
const char* kNomesTipos[] = {"neighbour_key", "any_character", "inserted", "left_out",
                             "swapped",       "doubled",       "br_ending"};

struct Gerador {
  std::mt19937_64 rng;

  size_t ate(size_t n) { return static_cast<size_t>(rng() % n); }
  char vizinhaDe(char c) {
    auto it = kVizinhas.find(c);
    if (it == kVizinhas.end()) return 'a' + static_cast<char>(ate(26));
    return it->second[ate(it->second.size())];
  }
  char qualquerCaractere() {
    static const std::string cs = "abcdefghijklmnopqrstuvwxyz0123456789.,-";
    return cs[ate(cs.size())];
  }
  // One slip of `d`.
  std::string estragar(const std::string& d, Tipo t) {
    std::string s = d;
    switch (t) {
      case vizinha: {
        size_t p = ate(s.size());
        s[p] = vizinhaDe(s[p]);
        break;
      }
      case qualquer:
        s[ate(s.size())] = qualquerCaractere();
        break;
      case inserida: {
        size_t p = ate(s.size() + 1);
        s.insert(p, 1, vizinhaDe(s[p == s.size() ? p - 1 : p]));
        break;
      }
      case omitida:
        s.erase(ate(s.size()), 1);
        break;
      case trocadas: {
        size_t p = ate(s.size() - 1);
        std::swap(s[p], s[p + 1]);
        break;
      }
      case dobrada: {
        size_t p = ate(s.size());
        s.insert(p, 1, s[p]);
        break;
      }
      default:
        s = s.ends_with(".br") ? s.substr(0, s.size() - 3) : s + ".br";
    }
    return s;
  }
};

struct Linha {
  std::string email, esperado;  // esperado empty: an address at a real look-alike
  Tipo tipo = kTipos;
};

// Look-alikes of the providers that exist and receive mail, besides the generated ones.
const char* kSosiasConhecidos[] = {"bol.com",  "terra.com",  "globo.com.br", "live.com.br",
                                   "gmai.com", "hotmai.com", "yahoo.co"};

int medir(const std::string& arquivoProvedores, size_t quantos, uint64_t semente) {
  std::vector<std::string> provedores;
  for (auto& l : splitLines(decodeText(readFileBytes(arquivoProvedores).value_or(""))))
    if (!isBlank(l)) provedores.push_back(toLower(trim(l)));
  if (provedores.empty()) {
    std::fprintf(stderr, "lista de provedores vazia: %s\n", arquivoProvedores.c_str());
    return 1;
  }
  const std::set<std::string> conjunto(provedores.begin(), provedores.end());

  // The slips; about one generated domain in ten exists and receives mail (a look-alike).
  Gerador g{std::mt19937_64(semente)};
  std::set<std::string> sosias(std::begin(kSosiasConhecidos), std::end(kSosiasConhecidos));
  std::vector<Linha> linhas;
  size_t erros = 0, reais = 0;
  auto local = [](size_t i) {
    static const char* nomes[] = {"ana", "joao", "maria", "pedro", "carla", "lucas", "bia", "rui"};
    static const char* sobrenomes[] = {"silva", "souza", "lima", "costa", "rocha", "alves"};
    return std::string(nomes[i % 8]) + "." + sobrenomes[(i / 8) % 6] + std::to_string(i / 48);
  };
  while (erros < quantos) {
    const std::string& p = provedores[g.ate(provedores.size())];
    const auto t = static_cast<Tipo>(g.ate(kTipos));
    std::string d = g.estragar(p, t);
    if (d == p || conjunto.count(d)) continue;  // a slip that gives a provider is no slip
    // Only a name that can be a domain can be a real one.
    const bool real = sosias.count(d) ||
                      (ValidateEmail("a@" + d) && std::hash<std::string>{}(d + "sosia") % 10 == 0);
    const std::string email = local(linhas.size()) + "@" + d;
    if (real) {
      sosias.insert(d);
      linhas.push_back({email, "", t});
      ++reais;
    } else {
      linhas.push_back({email, local(linhas.size()) + "@" + p, t});
      ++erros;
    }
  }
  for (const char* d : kSosiasConhecidos) linhas.push_back({local(linhas.size()) + "@" + d, ""});

  // The providers and the look-alikes receive mail; every other name does not exist.
  std::vector<std::string> comMx = provedores;
  comMx.insert(comMx.end(), sosias.begin(), sosias.end());
  testing::DnsPeer dns(comMx, {"--local=/#/"});
  fs::path home =
      fs::temp_directory_path() / ("quorvel-bench-sugestoes-" + std::to_string(getpid()));
  fs::remove_all(home);
  fs::create_directories(home / "dados" / "config");
  {
    SharingFlags colaboracao;
    Database banco(home.string(), colaboracao);
    banco.esperaAberturaMs = 0;
    banco.abrirBD();
    ResolverOptions o;
    o.server = dns.server();
    CaresResolver resolver(o);
    ScriptedDialogs dialogs;
    NoEventPump pump;
    FakePlatform platform;
    platform.online = true;
    TesteMX mx(banco, colaboracao, resolver, pump, platform);
    NegativeBaseStage base(banco);
    ValidationChain chain(dialogs);
    ValidationWindow v(chain, dialogs, pump);
    ValidationChain& c = v.chain;
    c.gRegras = filterListOf({});
    c.gTraps = filterListOf({});
    c.gNomesRaros = filterListOf({});
    c.gSitesIgnorados = filterListOf({});
    c.gFiltroPaises = filterListOf(bench::gerarPaises(250));
    c.gProvedores = filterListOf(provedores);
    c.setMxStage(&mx);
    c.setNegativeBase(&base);
    c.stagesRunStarts();

    size_t feitas = 0, certas = 0, acertosErros = 0, ambiguas = 0, semCandidato = 0;
    size_t porTipo[kTipos] = {}, certasPorTipo[kTipos] = {};
    std::vector<std::string> exemplosErrados;
    std::string erro;
    auto t0 = bench::Clock::now();
    for (const auto& l : linhas) {
      c.validarEmail(l.email, erro);
      const std::string& s = c.sugestao;
      if (!l.esperado.empty()) ++porTipo[l.tipo];
      if (s.empty()) {
        if (l.esperado.empty()) continue;
        const std::string dominio = l.email.substr(l.email.find('@') + 1);
        const CandidateIndex& ind = c.sugestoes().candidatos();
        if (!ind.algumProximo(dominio))
          ++semCandidato;
        else if (!ind.unico(dominio))
          ++ambiguas;
        continue;
      }
      ++feitas;
      if (s == l.esperado) {
        ++certas;
        ++acertosErros;
        ++certasPorTipo[l.tipo];
      } else if (exemplosErrados.size() < 10) {
        exemplosErrados.push_back(l.email + " -> " + s);
      }
    }
    const double segundos = bench::segundosDesde(t0);
    c.stagesRunEnds();

    std::printf("suggestions_candidates %zu domains\n", provedores.size());
    std::printf("suggestions_slips %zu addresses\n", erros);
    std::printf("suggestions_lookalike_addresses %zu addresses at %zu real look-alike domains\n",
                reais + std::size(kSosiasConhecidos), sosias.size());
    std::printf("suggestions_made %zu\n", feitas);
    std::printf("suggestions_right %zu\n", certas);
    std::printf("suggestions_precision %.2f %% (target >= 99.5)\n",
                feitas ? 100.0 * certas / feitas : 100.0);
    std::printf("suggestions_recall %.2f %% (target >= 90)\n", 100.0 * acertosErros / erros);
    for (int t = 0; t < kTipos; ++t)
      std::printf("suggestions_recall_%s %.1f %% of %zu\n", kNomesTipos[t],
                  porTipo[t] ? 100.0 * certasPorTipo[t] / porTipo[t] : 0.0, porTipo[t]);
    std::printf("suggestions_missed_two_candidates_close %zu\n", ambiguas);
    std::printf("suggestions_missed_no_candidate_close %zu\n", semCandidato);
    std::printf(
        "suggestions_missed_other %zu (the slip left the chain's other stages or the\n"
        "   MX test unable to reject it)\n",
        erros - acertosErros - ambiguas - semCandidato);
    for (const auto& e : exemplosErrados) std::printf("suggestions_wrong_example %s\n", e.c_str());
    std::printf(
        "suggestions_chain_addresses_per_s %.0f addr/s (MX lookups of every new domain on "
        "loopback included)\n",
        linhas.size() / segundos);
  }
  fs::remove_all(home);
  return 0;
}

}  // namespace
}  // namespace quorvel

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "uso: quorvel-bench-suggestions LISTA_DE_PROVEDORES [--slips N] "
                 "[--seed S]\n");
    return 2;
  }
  size_t quantos = 10000;
  uint64_t semente = 25;
  for (int i = 2; i + 1 < argc; i += 2) {
    std::string op = argv[i];
    if (op == "--slips") quantos = std::stoull(argv[i + 1]);
    if (op == "--seed") semente = std::stoull(argv[i + 1]);
  }
  return quorvel::medir(argv[1], quantos, semente);
}
