#include "data_generator.h"

#include <array>

namespace quorvel::bench {
namespace {

constexpr std::array kNomes = {"ana",     "joao",    "maria",    "jose",     "pedro",   "paulo",
                               "carlos",  "lucas",   "marcos",   "luiz",     "gabriel", "rafael",
                               "juliana", "camila",  "fernanda", "patricia", "aline",   "bruna",
                               "amanda",  "leticia", "beatriz",  "mariana",  "larissa", "vanessa",
                               "rodrigo", "thiago",  "felipe",   "bruno",    "eduardo", "gustavo"};
constexpr std::array kSobrenomes = {"silva",    "santos",  "oliveira",  "souza",    "rodrigues",
                                    "ferreira", "alves",   "pereira",   "lima",     "gomes",
                                    "costa",    "ribeiro", "martins",   "carvalho", "almeida",
                                    "lopes",    "soares",  "fernandes", "vieira",   "barbosa"};
constexpr std::array kProvedores = {"gmail.com",      "hotmail.com", "yahoo.com.br",  "outlook.com",
                                    "uol.com.br",     "bol.com.br",  "terra.com.br",  "ig.com.br",
                                    "globo.com",      "live.com",    "icloud.com",    "r7.com",
                                    "empresa.com.br", "loja.net",    "exemplo.org.br"};

std::string pick(std::mt19937_64& rng, const auto& arr) {
  return arr[std::uniform_int_distribution<size_t>(0, arr.size() - 1)(rng)];
}

std::string gerarUm(std::mt19937_64& rng) {
  std::uniform_int_distribution<int> d100(0, 99);
  std::string local = pick(rng, kNomes);
  int form = d100(rng);
  if (form < 40) {
    local += d100(rng) < 50 ? '.' : '_';
    local += pick(rng, kSobrenomes);
  } else if (form < 70) {
    local += pick(rng, kSobrenomes);
  }
  if (d100(rng) < 50) local += std::to_string(std::uniform_int_distribution<int>(1, 2024)(rng));
  return local + "@" + pick(rng, kProvedores);
}

std::string estragar(std::mt19937_64& rng, const std::string& s) {
  size_t at = s.find('@');
  std::string local = s.substr(0, at), domain = s.substr(at + 1);
  switch (std::uniform_int_distribution<int>(0, 4)(rng)) {
    case 0:
      return local + domain;  // no "@"
    case 1:
      return local + " @" + domain;  // blank inside
    case 2:
      return s + ".";  // final dot
    case 3:
      return std::string("jo\xC3\xA3o.") + s;  // accented letter
    default:
      return local + "@@" + domain;  // second "@"
  }
}

}  // namespace

std::vector<std::string> gerarEnderecos(size_t n, uint64_t seed, AddressMix mix) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(0, 1);
  std::vector<std::string> out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    double r = u(rng);
    if (r < mix.duplicates && !out.empty()) {
      out.push_back(out[std::uniform_int_distribution<size_t>(0, out.size() - 1)(rng)]);
    } else if (r < mix.duplicates + mix.badSyntax) {
      out.push_back(estragar(rng, gerarUm(rng)));
    } else {
      // A distinct-enough address: a running number keeps the list mostly distinct.
      std::string e = gerarUm(rng);
      if (u(rng) < 0.7) e.insert(e.find('@'), std::to_string(i % 9973));
      out.push_back(std::move(e));
    }
  }
  return out;
}

std::vector<std::string> gerarRegras(size_t n, uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::vector<std::string> out;
  for (size_t i = 0; i < n; ++i) {
    std::string word = "regra" + std::to_string(rng() % 100000);
    switch (i % 3) {
      case 0:
        out.push_back(std::string("*.").append(word));
        break;
      case 1:
        out.push_back(word + "*");
        break;
      default:
        out.push_back(word);
    }
  }
  return out;
}

std::vector<std::string> gerarArmadilhas(size_t n, uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::vector<std::string> out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    std::string dom = "armadilha" + std::to_string(rng() % 10000000) + ".com";
    switch (i % 3) {
      case 0:
        out.push_back(std::string("*@").append(dom));
        break;
      case 1:
        out.push_back("spam" + std::to_string(rng() % 10000000) + "@" + dom);
        break;
      default:
        out.push_back("trap" + std::to_string(rng() % 10000000) + "*");
    }
  }
  return out;
}

std::vector<std::string> gerarNomesRaros(size_t n, uint64_t seed) {
  std::mt19937_64 rng(seed);
  const char* silabas[] = {"ka", "zu", "xi", "vy", "qo", "wa", "ry", "th", "kh", "zh", "yo", "ju"};
  std::vector<std::string> out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    std::string nome;
    int k = 3 + static_cast<int>(rng() % 2);
    for (int j = 0; j < k; ++j) nome += silabas[rng() % 12];
    out.push_back(nome);
  }
  return out;
}

std::vector<std::string> gerarPaises(size_t n) {
  std::vector<std::string> out;
  for (char a = 'a'; a <= 'z' && out.size() < n; ++a)
    for (char b = 'a'; b <= 'z' && out.size() < n; ++b)
      if (!(a == 'b' && b == 'r')) out.push_back(std::string(".") + a + b);
  return out;
}

}  // namespace quorvel::bench

namespace quorvel::bench {

std::string gerarListaCsv(size_t linhas, uint64_t seed) {
  static const char* kCidades[] = {"São Paulo",    "Rio de Janeiro", "Belo Horizonte", "Recife",
                                   "Porto Alegre", "Salvador",       "Curitiba",       "Fortaleza",
                                   "Manaus",       "Goiânia"};
  static const char* kUfs[] = {"SP", "RJ", "MG", "PE", "RS", "BA", "PR", "CE", "AM", "GO"};
  std::mt19937_64 rng(seed);
  auto enderecos = gerarEnderecos(linhas, seed ^ 0x5eed, AddressMix{0.05, 0.0});
  std::string out = "nome,email,cidade,uf,telefone\r\n";
  out.reserve(linhas * 80);
  for (size_t i = 0; i < linhas; ++i) {
    const std::string& e = enderecos[i];
    std::string nome = e.substr(0, e.find('@'));
    for (char& c : nome)
      if (c == '.' || c == '_') c = ' ';
    size_t k = rng() % 10;
    out += nome;
    out += ',';
    out += e;
    out += ',';
    out += kCidades[k];
    out += ',';
    out += kUfs[k];
    out += ",(";
    out += std::to_string(11 + k * 7);
    out += ") 9";
    out += std::to_string(10000000 + rng() % 89999999);
    out += "\r\n";
  }
  return out;
}

}  // namespace quorvel::bench
