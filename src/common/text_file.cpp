#include "common/text_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/pause_point.h"
#include "common/system_error.h"
#include "common/text.h"

namespace quorvel {
namespace {

// Windows-1252 bytes 0x80..0x9F; the five undefined ones map to the C1 control of the same value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// UTF-16 without a mark: NUL in three of four odd bytes (little-endian) or even bytes
// (big-endian), as text in Latin script has.
bool pareceUtf16(std::string_view b, bool& bigEndian) {
  size_t pares = b.size() / 2, nulImpar = 0, nulPar = 0;
  if (pares < 4) return false;
  for (size_t i = 0; i < pares; ++i) {
    bool parNulo = b[2 * i] == '\0', imparNulo = b[2 * i + 1] == '\0';
    if (imparNulo && !parNulo) ++nulImpar;
    if (parNulo && !imparNulo) ++nulPar;
  }
  if (nulImpar * 4 >= pares * 3 && nulPar * 10 <= pares) {
    bigEndian = false;
    return true;
  }
  if (nulPar * 4 >= pares * 3 && nulImpar * 10 <= pares) {
    bigEndian = true;
    return true;
  }
  return false;
}

}  // namespace

// Bytes at the end that start a UTF-8 sequence the block does not finish.
size_t utf8CutAtEnd(std::string_view b) {
  for (size_t k = 1; k <= 3 && k <= b.size(); ++k) {
    auto c = static_cast<unsigned char>(b[b.size() - k]);
    if ((c & 0xC0) == 0x80) continue;  // continuation: look further back
    size_t comprimento = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return comprimento > k ? k : 0;
  }
  return 0;
}

// Valid UTF-8 passes through; each byte that is not part of a valid sequence is read as
// Windows-1252.
void appendUtf8Repaired(std::string& out, std::string_view b) {
  size_t inicio = 0, i = 0;
  while ((i += asciiPrefixLength(b.substr(i))) < b.size()) {
    size_t antes = i;
    if (nextCodePoint(b, i) >= 0) continue;
    out.append(b.data() + inicio, antes - inicio);
    appendWindows1252(out, b.substr(antes, 1));
    i = inicio = antes + 1;
  }
  out.append(b.data() + inicio, b.size() - inicio);
}

void appendUtf16(std::string& out, std::string_view bytes, bool bigEndian) {
  out.reserve(out.size() + bytes.size());
  size_t n = bytes.size() / 2;
  auto unit = [&](size_t i) -> char16_t {
    auto b0 = static_cast<unsigned char>(bytes[2 * i]);
    auto b1 = static_cast<unsigned char>(bytes[2 * i + 1]);
    return bigEndian ? static_cast<char16_t>(b0 << 8 | b1) : static_cast<char16_t>(b1 << 8 | b0);
  };
  for (size_t i = 0; i < n; ++i) {
    char32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n) {
      char32_t lo = unit(i + 1);
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
        ++i;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;  // lone surrogate
    appendUtf8(out, u);
  }
  if (bytes.size() % 2) appendUtf8(out, 0xFFFD);  // odd trailing byte
}

TextEncoding detectEncoding(std::string_view b, size_t& bomLength) {
  bomLength = 0;
  if (b.substr(0, 3) == kUtf8Bom) {
    bomLength = 3;
    return TextEncoding::Utf8Bom;
  }
  if (b.size() >= 2 && b.substr(0, 2) == "\xFF\xFE") {
    bomLength = 2;
    return TextEncoding::Utf16LE;
  }
  if (b.size() >= 2 && b.substr(0, 2) == "\xFE\xFF") {
    bomLength = 2;
    return TextEncoding::Utf16BE;
  }
  return isValidUtf8(b) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

TextEncoding detectBlockEncoding(std::string_view bloco, bool blocoFinal, size_t& bomLength) {
  TextEncoding porMarca = detectEncoding(bloco.substr(0, 3), bomLength);
  if (bomLength > 0) return porMarca;
  bool bigEndian = false;
  if (pareceUtf16(bloco, bigEndian))
    return bigEndian ? TextEncoding::Utf16BE : TextEncoding::Utf16LE;
  // A character cut by the end of the block does not make the block invalid.
  if (!blocoFinal) bloco.remove_suffix(utf8CutAtEnd(bloco));
  return isValidUtf8(bloco) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

void appendWindows1252(std::string& out, std::string_view bytes) {
  out.reserve(out.size() + bytes.size() + bytes.size() / 8);
  size_t i = 0;
  while (i < bytes.size()) {
    size_t ascii = i + asciiPrefixLength(bytes.substr(i));
    out.append(bytes.data() + i, ascii - i);
    if (ascii == bytes.size()) break;
    auto c = static_cast<unsigned char>(bytes[ascii]);
    appendUtf8(out, c < 0xA0 ? kCp1252High[c - 0x80] : c);
    i = ascii + 1;
  }
}

std::string windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  appendWindows1252(out, bytes);
  return out;
}

TextEncoding detectTextEncoding(std::string_view bytes, size_t& bom) {
  // The same choice as the line reader makes for files of any size: from the first block.
  return detectBlockEncoding(bytes.substr(0, kEncodingBlock), bytes.size() <= kEncodingBlock, bom);
}

std::string decodeText(std::string_view bytes) {
  size_t bom;
  const TextEncoding enc = detectTextEncoding(bytes, bom);
  std::string out;
  switch (enc) {
    case TextEncoding::Utf8Bom:
    case TextEncoding::Utf8:
      if (isValidUtf8(bytes.substr(bom))) return std::string(bytes.substr(bom));
      appendUtf8Repaired(out, bytes.substr(bom));
      return out;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
      appendUtf16(out, bytes.substr(bom), enc == TextEncoding::Utf16BE);
      return out;
    case TextEncoding::Windows1252:
      return windows1252ToUtf8(bytes);
  }
  return out;
}

std::string_view utf8View(std::string_view bytes, std::string& decodificado) {
  size_t bom;
  TextEncoding enc = detectTextEncoding(bytes, bom);
  if ((enc == TextEncoding::Utf8 || enc == TextEncoding::Utf8Bom) && isValidUtf8(bytes.substr(bom)))
    return bytes.substr(bom);
  decodificado = decodeText(bytes);
  return decodificado;
}

MappedFile::~MappedFile() {
  if (dados_) ::munmap(dados_, tamanho_);
}

bool MappedFile::open(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok && st.st_size > 0) {
    void* m = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ok = m != MAP_FAILED;
    if (ok) {
      dados_ = m;
      tamanho_ = static_cast<size_t>(st.st_size);
      ::madvise(m, tamanho_, MADV_SEQUENTIAL);
    }
  }
  ::close(fd);
  return ok;
}

std::optional<std::string> readFileBytes(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::string data;
  bool ok = readAll(fd, data, S_ISREG(st.st_mode) ? static_cast<size_t>(st.st_size) : 0);
  ::close(fd);
  if (!ok) return std::nullopt;
  return std::optional<std::string>(std::move(data));
}

bool readAll(int fd, std::string& data, size_t tamanhoPrevisto) {
  data.resize(tamanhoPrevisto);
  size_t lido = 0;
  char extra[1 << 16];
  for (;;) {
    // Once the expected size is in, further bytes (a file that grew, a pipe) come in blocks.
    const bool cheio = lido == data.size();
    ssize_t n = cheio ? ::read(fd, extra, sizeof extra)
                      : ::read(fd, data.data() + lido, data.size() - lido);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (cheio) data.append(extra, static_cast<size_t>(n));
    lido += static_cast<size_t>(n);
  }
  data.resize(lido);
  return true;
}

std::optional<std::vector<std::string>> readTextLines(const std::string& path) {
  auto bytes = readFileBytes(path);
  if (!bytes) return std::nullopt;
  return splitLines(decodeText(*bytes));
}

namespace {

// Temporary files of earlier runs that were killed before renaming theirs ("FILE.tmp-PID" whose
// process is gone) are taken away.
void removerTemporariosOrfaos(const std::string& path) {
  const size_t barra = path.rfind('/');
  const std::string pasta = barra == std::string::npos ? "." : path.substr(0, barra + 1);
  const std::string prefixo =
      (barra == std::string::npos ? path : path.substr(barra + 1)) + ".tmp-";
  DIR* d = ::opendir(pasta.c_str());
  if (!d) return;
  while (const dirent* e = ::readdir(d)) {
    const std::string nome = e->d_name;
    if (nome.rfind(prefixo, 0) != 0) continue;
    const std::string numero = nome.substr(prefixo.size());
    if (numero.empty() || numero.find_first_not_of("0123456789") != std::string::npos) continue;
    const long pid = std::strtol(numero.c_str(), nullptr, 10);
    if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
      ::unlink((pasta + nome).c_str());
  }
  ::closedir(d);
}

WriteResult falhou(int erro, int fd, const std::string& tmp) {
  if (fd >= 0) ::close(fd);
  if (!tmp.empty()) ::unlink(tmp.c_str());
  return {false, describeSystemError(erro)};
}

// Writes the pieces `proximo` gives (it returns false with the last one) to a temporary file
// beside `path` and renames it over `path`.
WriteResult escreverAtomico(const std::string& path,
                            const std::function<bool(std::string_view&)>& proximo,
                            const WriteOptions& opcoes) {
  // The new contents are written into a file without a name (it vanishes with the process if
  // the program is killed), which gets a temporary name only to be renamed over the old file.
  const size_t barra = path.rfind('/');
  const std::string pasta = barra == std::string::npos ? "." : path.substr(0, barra + 1);
  const std::string tmp = path + ".tmp-" + std::to_string(::getpid());
  removerTemporariosOrfaos(path);
  const auto modo = static_cast<mode_t>(opcoes.modo);
  int fd = ::open(pasta.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, modo);
  const bool anonimo = fd >= 0;
  if (!anonimo) fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, modo);
  if (fd < 0) return falhou(errno, -1, {});
  const std::string nomeTmp = anonimo ? std::string() : tmp;
  for (bool mais = true; mais;) {
    std::string_view pedaco;
    mais = proximo(pedaco);
    size_t done = 0;
    while (done < pedaco.size()) {
      ssize_t n = ::write(fd, pedaco.data() + done, pedaco.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return falhou(n < 0 ? errno : EIO, fd, nomeTmp);
      done += static_cast<size_t>(n);
    }
    if (mais && opcoes.desistir && opcoes.desistir()) {
      ::close(fd);
      if (!anonimo) ::unlink(tmp.c_str());
      return {false, "cancelado", true};
    }
  }
  if (::fsync(fd) != 0) return falhou(errno, fd, nomeTmp);
  if (anonimo) {
    const std::string proprio = "/proc/self/fd/" + std::to_string(fd);
    ::unlink(tmp.c_str());
    if (::linkat(AT_FDCWD, proprio.c_str(), AT_FDCWD, tmp.c_str(), AT_SYMLINK_FOLLOW) != 0)
      return falhou(errno, fd, {});
  }
  if (::close(fd) != 0) return falhou(errno, -1, tmp);
  pausePoint("file-rename", path.substr(barra == std::string::npos ? 0 : barra + 1));
  if (opcoes.desistir && opcoes.desistir()) {
    ::unlink(tmp.c_str());
    return {false, "cancelado", true};
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) return falhou(errno, -1, tmp);
  return {true, {}};
}

}  // namespace

WriteResult writeFileAtomic(const std::string& path, std::string_view bytes,
                            const WriteOptions& opcoes) {
  return escreverAtomico(
      path,
      [bytes](std::string_view& pedaco) {
        pedaco = bytes;
        return false;
      },
      opcoes);
}

WriteResult writeFileAtomic(const std::string& path,
                            const std::function<bool(std::string&)>& proximo,
                            const WriteOptions& opcoes) {
  std::string buffer;
  return escreverAtomico(
      path,
      [&](std::string_view& pedaco) {
        buffer.clear();
        const bool mais = proximo(buffer);
        pedaco = buffer;
        return mais;
      },
      opcoes);
}

WriteResult writeTextLines(const std::string& path, const std::vector<std::string>& lines) {
  std::string data(kUtf8Bom);
  for (const auto& l : lines) {
    data += l;
    data += "\r\n";
  }
  return writeFileAtomic(path, data);
}

}  // namespace quorvel
