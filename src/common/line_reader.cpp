#include "common/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/system_error.h"
#include "common/text.h"

namespace quorvel {
namespace {

constexpr size_t kBlocoLeitura = size_t{1} << 20;
constexpr size_t npos = std::string::npos;

using Mark = LineReader::Mark;

size_t achar(const std::string& t, Mark& m, char c, size_t de) {
  if (m.pos != npos && m.pos >= de) return m.pos;
  size_t inicio = m.pos == npos ? std::max(de, m.ate) : de;
  const void* r =
      inicio < t.size() ? std::memchr(t.data() + inicio, c, t.size() - inicio) : nullptr;
  if (r) {
    m.pos = static_cast<size_t>(static_cast<const char*>(r) - t.data());
  } else {
    m.pos = npos;
    m.ate = t.size();
  }
  return m.pos;
}

void deslocar(Mark& m, size_t n) {
  if (m.pos != npos) m.pos -= n;
  m.ate = m.ate > n ? m.ate - n : 0;
}

}  // namespace

LineReader::~LineReader() {
  close();
}

void LineReader::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool LineReader::open(const std::string& caminho, std::string& erro) {
  close();
  codificacao_ = TextEncoding::Utf8;
  codificacaoDefinida_ = fimArquivo_ = pularLf_ = false;
  erroLeitura_.clear();
  bruto_.clear();
  texto_.clear();
  pos_ = 0;
  lf_ = cr_ = Mark{};
  fd_ = ::open(caminho.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    erro = describeSystemError(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
    erro = describeSystemError(S_ISDIR(st.st_mode) ? EISDIR : errno);
    close();
    return false;
  }
  return true;
}

size_t LineReader::decodificar(std::string_view b, bool fim) {
  switch (codificacao_) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom: {
      size_t cortada = fim ? 0 : utf8CutAtEnd(b);
      appendUtf8Repaired(texto_, b.substr(0, b.size() - cortada));
      return b.size() - cortada;
    }
    case TextEncoding::Windows1252:
      appendWindows1252(texto_, b);
      return b.size();
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
      const bool be = codificacao_ == TextEncoding::Utf16BE;
      size_t usar = fim ? b.size() : b.size() & ~size_t{1};
      // A high surrogate at the end waits for its pair.
      if (!fim && usar >= 2) {
        auto hi = static_cast<unsigned char>(be ? b[usar - 2] : b[usar - 1]);
        if (hi >= 0xD8 && hi <= 0xDB) usar -= 2;
      }
      appendUtf16(texto_, b.substr(0, usar), be);
      return usar;
    }
  }
  return b.size();
}

int64_t LineReader::bytesConsumed() const {
  const bool utf16 = codificacao_ == TextEncoding::Utf16LE || codificacao_ == TextEncoding::Utf16BE;
  const int64_t pendente =
      static_cast<int64_t>(bruto_.size()) +
      static_cast<int64_t>(texto_.size() - std::min(pos_, texto_.size())) * (utf16 ? 2 : 1);
  return std::clamp<int64_t>(bytesLidos_ - pendente, 0, bytesLidos_);
}

bool LineReader::carregarMais() {
  if (fd_ < 0 || fimArquivo_) return false;
  if (pos_ > 0) {
    texto_.erase(0, pos_);
    deslocar(lf_, pos_);
    deslocar(cr_, pos_);
    pos_ = 0;
  }
  const size_t antes = texto_.size();
  // The first block is read whole before the encoding is chosen.
  const size_t minimo = codificacaoDefinida_ ? 1 : kEncodingBlock;
  if (leitura_.size() != kBlocoLeitura) leitura_.resize(kBlocoLeitura);  // zeroed once
  size_t lidos = 0;
  do {
    ssize_t n = ::read(fd_, leitura_.data(), kBlocoLeitura);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) erroLeitura_ = describeSystemError(errno);
    if (n <= 0) {
      fimArquivo_ = true;
      break;
    }
    lidos = static_cast<size_t>(n);
    bytesLidos_ += static_cast<int64_t>(n);
    // Bytes kept from the previous block, or the first block still short of 4096 bytes.
    if (!bruto_.empty() || !codificacaoDefinida_) bruto_.append(leitura_.data(), lidos);
  } while (!codificacaoDefinida_ && bruto_.size() < minimo);
  std::string_view b = !bruto_.empty() || !codificacaoDefinida_
                           ? std::string_view(bruto_)
                           : std::string_view(leitura_.data(), lidos);
  if (!codificacaoDefinida_) {
    size_t bom = 0;
    codificacao_ = detectBlockEncoding(b.substr(0, kEncodingBlock), fimArquivo_, bom);
    codificacaoDefinida_ = true;
    b.remove_prefix(bom);
  }
  size_t usados = decodificar(b, fimArquivo_);
  std::string resto(b.substr(usados));  // at most a few bytes of a cut character
  bruto_ = std::move(resto);
  return texto_.size() > antes || !fimArquivo_;
}

bool LineReader::nextLine(std::string_view& linha) {
  for (;;) {
    if (pularLf_) {
      if (pos_ < texto_.size()) {
        if (texto_[pos_] == '\n') ++pos_;
        pularLf_ = false;
      } else if (!carregarMais()) {
        pularLf_ = false;
      }
      continue;
    }
    size_t lf = achar(texto_, lf_, '\n', pos_);
    size_t cr = achar(texto_, cr_, '\r', pos_);
    size_t fim = std::min(lf, cr);
    if (fim != npos) {
      linha = std::string_view(texto_).substr(pos_, fim - pos_);
      pos_ = fim + 1;
      if (texto_[fim] == '\r') {
        if (pos_ < texto_.size()) {
          if (texto_[pos_] == '\n') ++pos_;
        } else {
          pularLf_ = true;
        }
      }
      return true;
    }
    if (texto_.size() - pos_ > kMaiorLinha) {
      // Not a text of lines: stop here rather than hold a line of gigabytes.
      erroLeitura_ = "uma linha passa de 16 MB (o arquivo não parece ser uma lista)";
      fimArquivo_ = true;
      close();
      return false;
    }
    if (!carregarMais()) {
      if (pos_ >= texto_.size()) return false;
      linha = std::string_view(texto_).substr(pos_);
      pos_ = texto_.size();
      return true;
    }
  }
}

}  // namespace quorvel
