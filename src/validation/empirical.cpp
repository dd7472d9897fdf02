#include "validation/empirical.h"

#include <algorithm>

#include "common/text.h"
#include "validation/pcre_pattern.h"

namespace quorvel {
namespace {

inline bool isDigit(int c) {
  return c >= '0' && c <= '9';
}
inline bool isVowel(int c) {
  return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
}
inline bool isConsonant(int c) {
  return c >= 'a' && c <= 'z' && !isVowel(c);
}
inline bool isLetterAnyCase(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool isConsonantAnyCase(int c) {
  return isLetterAnyCase(c) && !isVowel(c >= 'A' && c <= 'Z' ? c + 32 : c);
}
inline bool isSymbol(int c) {
  return c == '.' || c == '_' || c == '-';
}

// Longest run of characters for which `in` holds; at least 1 for a non-empty text.
template <class Pred>
int longestRun(std::string_view s, Pred in) {
  int best = 0, run = 0;
  for (size_t i = 0; i < s.size();) {
    int c = nextCodePoint(s, i);
    run = in(c) ? run + 1 : 0;
    if (run > best) best = run;
  }
  return (best == 0 && !s.empty()) ? 1 : best;
}

int longestEqualRun(std::string_view s) {
  int best = 0, run = 0, prev = 0x7FFFFFFF;
  for (size_t i = 0; i < s.size();) {
    int c = nextCodePoint(s, i);
    run = (c == prev) ? run + 1 : 1;
    prev = c;
    if (run > best) best = run;
  }
  return best;
}

void writeMeasure(std::string& gErro, int n, const char* text) {
  gErro = std::to_string(n);
  gErro += text;
}

bool startsWith(std::string_view s, std::string_view p) {
  return s.substr(0, p.size()) == p;
}

PcrePattern& letrasNumeros() {
  thread_local PcrePattern p("(\\d+[a-zA-Z]+)|([a-zA-Z]+\\d+)");  // its match data: one per thread
  return p;
}

// Every stage-1 measure in one pass over the address.
struct Measures {
  int underlines = 0, pontos = 0, numeros = 0, consoantes = 0, vogais = 0, iguais = 0;
};

Measures medir(std::string_view s) {
  Measures m;
  int num = 0, con = 0, vog = 0, igu = 0, prev = 0x7FFFFFFF;
  for (size_t i = 0; i < s.size();) {
    int c = nextCodePoint(s, i);
    m.underlines += c == '_';
    m.pontos += c == '.';
    num = isDigit(c) ? num + 1 : 0;
    con = isConsonant(c) ? con + 1 : 0;
    vog = isVowel(c) ? vog + 1 : 0;
    igu = c == prev ? igu + 1 : 1;
    prev = c;
    m.numeros = std::max(m.numeros, num);
    m.consoantes = std::max(m.consoantes, con);
    m.vogais = std::max(m.vogais, vog);
    m.iguais = std::max(m.iguais, igu);
  }
  if (!s.empty()) {
    // A run length is at least 1 for any non-empty text.
    m.numeros = std::max(m.numeros, 1);
    m.consoantes = std::max(m.consoantes, 1);
    m.vogais = std::max(m.vogais, 1);
  }
  return m;
}

void textoContagem(std::string& gErro, int n, char c) {
  gErro = std::to_string(n);
  gErro += "ocorrências do caractere \"";
  gErro += c;
  gErro += '"';
}

}  // namespace

// Successive non-overlapping matches from left to right; empty matches are not counted.
int contarLetrasNumerosPcre(std::string_view s) {
  int count = 0;
  size_t start = 0;
  while (start <= s.size()) {
    if (letrasNumeros().match(s, start) <= 0) break;
    size_t b = letrasNumeros().matchStart(), e = letrasNumeros().matchEnd();
    if (e == b) {
      start = e + 1;
      continue;
    }
    ++count;
    start = e;
  }
  return count;
}

// The same count in one pass: a match is always a whole run of digits followed by a whole run of
// letters, or a whole run of letters followed by a whole run of digits, and the next search
// starts right after it.
int contarLetrasNumeros(std::string_view s) {
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  int count = 0;
  size_t i = 0, n = s.size();
  while (i < n) {
    bool d = digit(s[i]);
    if (!d && !letter(s[i])) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < n && (d ? digit(s[j]) : letter(s[j]))) ++j;
    size_t k = j;
    while (k < n && (d ? letter(s[k]) : digit(s[k]))) ++k;
    if (k > j) {
      ++count;
      i = k;
    } else {
      i = j;  // no match can start inside this run
    }
  }
  return count;
}

int contarCaractere(std::string_view email, char c, std::string& gErro) {
  int n = 0;
  for (char x : email)
    if (x == c) ++n;
  textoContagem(gErro, n, c);
  return n;
}

int maxSequenciaNumeros(std::string_view email, std::string& gErro) {
  int n = longestRun(email, isDigit);
  writeMeasure(gErro, n, " números seguidos");
  return n;
}

int maxSequenciaConsoantes(std::string_view email, std::string& gErro) {
  int n = longestRun(email, isConsonant);
  writeMeasure(gErro, n, " consoantes seguidas");
  return n;
}

int maxSequenciaVogais(std::string_view email, std::string& gErro) {
  int n = longestRun(email, isVowel);
  writeMeasure(gErro, n, " vogais seguidas");
  return n;
}

int maxSequenciaIguais(std::string_view email, std::string& gErro) {
  int n = longestEqualRun(email);
  writeMeasure(gErro, n, " caracteres iguais seguidos");
  return n;
}

bool filtroEmpiricoEtapa1(std::string_view email, std::string& gErro) {
  // The measures are computed together; gErro ends with the text of the last one the row of
  // limits reached, exactly as if they had been computed one after the other.
  const Measures m = medir(email);
  if (m.underlines >= 4) {
    textoContagem(gErro, m.underlines, '_');
    return true;
  }
  if (m.pontos >= 6) {
    textoContagem(gErro, m.pontos, '.');
    return true;
  }
  if (m.numeros >= 9) {
    writeMeasure(gErro, m.numeros, " números seguidos");
    return true;
  }
  if (m.consoantes >= 7) {
    writeMeasure(gErro, m.consoantes, " consoantes seguidas");
    return true;
  }
  if (m.vogais >= 5) {
    writeMeasure(gErro, m.vogais, " vogais seguidas");
    return true;
  }
  writeMeasure(gErro, m.iguais, " caracteres iguais seguidos");
  if (m.iguais >= 6) return true;
  // The two prefix rules ("__*", "_-_*") leave "caiu na regra " + the rule without its "*".
  if (startsWith(email, "__")) {
    gErro = "caiu na regra __";
    return true;
  }
  if (startsWith(email, "_-_")) {
    gErro = "caiu na regra _-_";
    return true;
  }
  return false;
}

std::string EhInvalidoFiltroEmpirico(std::string_view email) {
  if (contarLetrasNumeros(email) >= 3) return "Sequências atípicas de números e letras";
  size_t at = email.find('@');
  if (at != std::string_view::npos) {
    std::string_view local = email.substr(0, at);
    auto edge = [](char c) { return c == '.' || c == '-' || c == '_'; };
    if (edge(email[0]) || (at > 0 && edge(email[at - 1])))
      return "Termina ou começa com caracteres atípicos";
    int hifens = 0, underlines = 0;
    for (char c : local) {
      hifens += c == '-';
      underlines += c == '_';
    }
    if (hifens >= 3 || underlines >= 3) return "Tem muitos hífens ou underlines";
    int digits = 0, consonants = 0, same = 0, prev = 0x7FFFFFFF;
    bool manyDigits = false, manyConsonants = false, manySame = false;
    for (size_t i = 0; i < local.size();) {
      int c = nextCodePoint(local, i);
      digits = isDigit(c) ? digits + 1 : 0;
      consonants = isConsonantAnyCase(c) ? consonants + 1 : 0;
      same = c == prev ? same + 1 : 1;
      prev = c;
      manyDigits |= digits >= 10;
      manyConsonants |= consonants >= 6;
      manySame |= same >= 4;
    }
    if (manyDigits) return "Quantidade atípica de números";
    if (manyConsonants) return "Sequência atípica de consoantes";
    if (manySame) return "Muitos caracteres iguais seguidos";
  }
  int dots = 0;
  for (char c : email) dots += c == '.';
  if (dots >= 5) return "Tem muitos pontos";
  for (size_t i = 1; i < email.size(); ++i)
    if (isSymbol(email[i - 1]) && isSymbol(email[i])) return "Uso atípio de hífens e underlines";
  std::string_view local = at == std::string_view::npos ? std::string_view() : email.substr(0, at);
  bool onlySymbols = true;
  for (char c : local)
    if (!isDigit(c) && !isSymbol(c)) {
      onlySymbols = false;
      break;
    }
  if (onlySymbols) return "Só números e símbolos no prefixo";
  return "não";
}

bool filtroEmpirico(std::string_view email, bool etapa2, std::string& gErro) {
  gErro.clear();
  if (filtroEmpiricoEtapa1(email, gErro)) return true;
  if (!etapa2) return false;
  std::string r = EhInvalidoFiltroEmpirico(email);
  if (r == "não") {
    gErro.clear();
    return false;
  }
  gErro = std::move(r);
  return true;
}

}  // namespace quorvel
