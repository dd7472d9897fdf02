#include "common/text_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/text.h"

namespace quorvel {
namespace {

// Windows-1252 bytes 0x80..0x9F; the five undefined ones map to the C1 control of the same value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

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
  if (b.size() >= 3 && b.substr(0, 3) == "\xEF\xBB\xBF") {
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

std::string decodeText(std::string_view bytes) {
  size_t bom;
  const TextEncoding enc = detectEncoding(bytes, bom);
  switch (enc) {
    case TextEncoding::Utf8Bom:
    case TextEncoding::Utf8:
      return std::string(bytes.substr(bom));
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
      std::string out;
      appendUtf16(out, bytes.substr(bom), enc == TextEncoding::Utf16BE);
      return out;
    }
    case TextEncoding::Windows1252:
      return windows1252ToUtf8(bytes);
  }
  return std::string(bytes);
}

std::string_view utf8View(std::string_view bytes, std::string& decodificado) {
  size_t bom;
  TextEncoding enc = detectEncoding(bytes, bom);
  if (enc == TextEncoding::Utf8 || enc == TextEncoding::Utf8Bom) return bytes.substr(bom);
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

WriteResult writeFileAtomic(const std::string& path, std::string_view bytes) {
  std::string tmp = path + ".tmp-" + std::to_string(::getpid());
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return {false, std::strerror(errno)};
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      std::string err = std::strerror(errno);
      ::close(fd);
      ::unlink(tmp.c_str());
      return {false, err};
    }
    done += static_cast<size_t>(n);
  }
  bool synced = ::fsync(fd) == 0;
  std::string err = synced ? std::string() : std::strerror(errno);
  if (::close(fd) != 0 && synced) {
    synced = false;
    err = std::strerror(errno);
  }
  if (!synced) {
    ::unlink(tmp.c_str());
    return {false, err};
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::string reason = std::strerror(errno);
    ::unlink(tmp.c_str());
    return {false, reason};
  }
  return {true, {}};
}

WriteResult writeTextLines(const std::string& path, const std::vector<std::string>& lines) {
  std::string data = "\xEF\xBB\xBF";
  for (const auto& l : lines) {
    data += l;
    data += "\r\n";
  }
  return writeFileAtomic(path, data);
}

}  // namespace quorvel
