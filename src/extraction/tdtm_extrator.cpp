#include "extraction/tdtm_extrator.h"

#include <array>
#include <cstring>

#include "common/format.h"
#include "common/text.h"

namespace quorvel {
namespace {

constexpr int kAntesDoArroba = 100;  // characters of the window before its "@"
constexpr int kJanela = 200;         // characters of the window in all

// ";", ",", space, CR, LF, TAB, the double quote, "<" and ">". No address carries an unquoted
// comma, and every comma-separated text (a spreadsheet's export, "a@x.com,b@y.com") needs it.
constexpr std::array<bool, 256> tabelaSeparadores() {
  std::array<bool, 256> t{};
  for (unsigned char c : std::string_view(";, \r\n\t\"<>")) t[c] = true;
  return t;
}
constexpr std::array<bool, 256> kSeparador = tabelaSeparadores();

// Single characters that no address carries.
constexpr std::array<bool, 256> tabelaProibidos() {
  std::array<bool, 256> t{};
  for (unsigned char c : std::string_view("!*}{%)([]\\=|$/#")) t[c] = true;
  return t;
}
constexpr std::array<bool, 256> kProibido = tabelaProibidos();

inline bool continuacao(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
inline bool digito(char c) {
  return c >= '0' && c <= '9';
}
inline bool letraOuDigitoAscii(char c) {
  return digito(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Any forbidden character, a dot-digit-dot ("." digit "."), or "...".
bool temTrechoProibido(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (kProibido[static_cast<unsigned char>(c)]) return true;
    if (c == '.' && i + 2 < s.size() && s[i + 2] == '.' && (digito(s[i + 1]) || s[i + 1] == '.'))
      return true;
  }
  return false;
}

void apagarPrimeiroMailto(std::string& s) {
  static constexpr std::string_view kMailto = "mailto:";
  if (s.size() < kMailto.size()) return;
  for (size_t i = 0; i + kMailto.size() <= s.size(); ++i) {
    size_t k = 0;
    while (k < kMailto.size() &&
           (static_cast<unsigned char>(s[i + k]) | 0x20) == static_cast<unsigned char>(kMailto[k]))
      ++k;
    if (k == kMailto.size()) {
      s.erase(i, kMailto.size());
      return;
    }
  }
}

void aparar(std::string& s) {
  std::string_view t = trimView(s);
  if (t.size() == s.size()) return;
  size_t inicio = static_cast<size_t>(t.data() - s.data());
  s.assign(s, inicio, t.size());
}

// The second-to-last character is the "@" (a one-character domain).
bool dominioDeUmCaractere(std::string_view s) {
  if (s.size() < 2) return false;
  size_t ultimo = s.size() - 1;
  while (ultimo > 0 && continuacao(s[ultimo])) --ultimo;
  return ultimo > 0 && s[ultimo - 1] == '@';
}

// Repairs an ending cut off by the window or by a line break: ".co" → ".com", ".b" → ".br",
// ".ne" → ".net", ".c" → ".com". Any other ending, ".de" or ".io" for one, stays as it is.
void completarFinal(std::string& s) {
  size_t ponto = s.rfind('.');
  if (ponto == std::string::npos) return;
  std::string_view fim = std::string_view(s).substr(ponto + 1);
  if (fim == "co")
    s += 'm';
  else if (fim == "b")
    s += 'r';
  else if (fim == "ne")
    s += 't';
  else if (fim == "c")
    s += "om";
}

}  // namespace

void cleanCandidate(std::string& s) {
  apagarPrimeiroMailto(s);
  if (dominioDeUmCaractere(s) || temTrechoProibido(s)) {
    s.clear();
    return;
  }
  aparar(s);
  if (s.empty() || s.front() == '@' || !letraOuDigitoAscii(s.front()) || s.back() == '@') {
    s.clear();
    return;
  }
  while (!s.empty() && (s.back() == '.' || s.back() == ',' || s.back() == '\'' || s.back() == '"'))
    s.pop_back();
  completarFinal(s);
  if (size_t q = s.find('?'); q != std::string::npos) s.resize(q);
  if (size_t d = s.find(':'); d != std::string::npos) s.erase(0, d + 1);
  size_t arroba = s.find('@');
  if (arroba == std::string::npos || s.find('.', arroba) == std::string::npos) {
    s.clear();
    return;
  }
  aparar(s);
}

bool EmailScan::proximo(std::string& candidato) {
  candidato.clear();
  const char* base = texto_.data();
  const size_t n = texto_.size();
  if (resto_ >= n) return false;
  const void* achou = std::memchr(base + resto_, '@', n - resto_);
  // Without an "@" the candidate would begin with one and be dropped: nothing more to find.
  if (!achou) {
    resto_ = n;
    return false;
  }
  const size_t arroba = static_cast<size_t>(static_cast<const char*>(achou) - base);

  // Left part: back from the "@" to the last separator, at most 100 characters, never before
  // the remaining text.
  size_t esquerda = arroba;
  int antes = 0;  // characters between the left part's start and the "@"
  while (esquerda > resto_ && antes < kAntesDoArroba) {
    size_t p = esquerda - 1;
    while (p > resto_ && continuacao(base[p])) --p;
    if (kSeparador[static_cast<unsigned char>(base[p])]) break;
    esquerda = p;
    ++antes;
  }
  // Characters of the window before the "@": the window starts 100 characters before it, or
  // at the remaining text when that is nearer. Counted only when the right part is long enough
  // for it to matter.
  auto caracteresAntes = [&] {
    int k = 0;
    size_t p = arroba;
    while (p > resto_ && k < kAntesDoArroba) {
      --p;
      while (p > resto_ && continuacao(base[p])) --p;
      ++k;
    }
    return k;
  };

  // Right part: up to the first separator, within the 200-character window.
  size_t direita = arroba + 1;
  int depois = 0;
  int limite = kJanela - 1 - kAntesDoArroba;  // the least the window can leave
  bool limiteExato = false;
  while (direita < n && !kSeparador[static_cast<unsigned char>(base[direita])]) {
    if (depois == limite) {
      if (limiteExato) break;
      limite = kJanela - 1 - caracteresAntes();
      limiteExato = true;
      if (depois == limite) break;
    }
    ++direita;
    while (direita < n && continuacao(base[direita])) ++direita;
    ++depois;
  }

  candidato.assign(base + esquerda, direita - esquerda);
  resto_ = arroba + 1;
  cleanCandidate(candidato);
  return true;
}

bool firstEmail(std::string_view texto, std::string& email) {
  EmailScan v(texto);
  while (v.proximo(email))
    if (!email.empty()) return true;
  email.clear();
  return false;
}

std::string TdtmExtrator::getEmails(std::string_view source, bool pegarTodos, bool silent) {
  if (!silent && progress_) {
    progress_->setProgress(kOperacaoExtraindo, 1, std::string(kLegendaEncontrados) + "0");
    progress_->stepProgress();
  }
  std::string resultado, candidato;
  int64_t encontrados = 0;
  EmailScan v(source);
  bool seguir = true;
  while (seguir && v.proximo(candidato)) {
    if (!candidato.empty()) {
      resultado += candidato;
      resultado += "\r\n";
      ++encontrados;
      if (encontrados % 100 == 0) {
        if (progress_) progress_->setLegend(1, kLegendaEncontrados + formatNumber(encontrados));
        if (pump_) pump_->processEvents();
      }
      seguir = pegarTodos;
    }
    if (progress_ && progress_->cancelou()) {
      if (dialogs_) dialogs_->msgInformacao(kMsgExtracaoCancelada);
      break;
    }
  }
  return resultado;
}

}  // namespace quorvel
