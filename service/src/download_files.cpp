#include "download_files.h"

#include <fcntl.h>
#include <openssl/rand.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sync_handler.h"
#include "text_checks.h"

namespace quorvel::service {
namespace {

constexpr size_t kMaxRanges = 16;

std::string contentTypeOf(const std::string& name) {
  auto ends = [&](std::string_view suffix) {
    return name.size() >= suffix.size() &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
  };
  if (ends(".txt") || ends(".filter")) return "text/plain; charset=utf-8";
  if (ends(".htm") || ends(".html")) return "text/html; charset=utf-8";
  return "application/octet-stream";
}

// Digits only, at most 18 of them; false otherwise.
bool readNumber(std::string_view text, uint64_t& value) {
  if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != text.npos) {
    return false;
  }
  value = std::stoull(std::string(text));
  return true;
}

std::string contentRange(uint64_t first, uint64_t last, uint64_t size) {
  return "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(size);
}

std::string newBoundary() {
  unsigned char bytes[12];
  if (RAND_bytes(bytes, sizeof bytes) != 1) return "quorvel-partes-000000000000";
  static const char* digits = "0123456789abcdef";
  std::string out = "quorvel-partes-";
  for (unsigned char b : bytes) {
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 15]);
  }
  return out;
}

}  // namespace

ByteRanges parseByteRanges(std::string_view header, uint64_t size) {
  ByteRanges result;
  header = trimBlanks(header);
  if (header.substr(0, 6) != "bytes=") return result;
  header.remove_prefix(6);
  std::vector<std::pair<uint64_t, uint64_t>> satisfiable;
  size_t specs = 0;
  for (size_t start = 0; start <= header.size();) {
    size_t comma = header.find(',', start);
    if (comma == std::string_view::npos) comma = header.size();
    std::string_view spec = trimBlanks(header.substr(start, comma - start));
    start = comma + 1;
    if (spec.empty()) continue;  // "a, , b": empty elements are allowed
    if (++specs > kMaxRanges) return result;
    size_t dash = spec.find('-');
    if (dash == std::string_view::npos) return result;
    std::string_view first = spec.substr(0, dash), last = spec.substr(dash + 1);
    uint64_t a = 0, b = 0;
    if (first.empty()) {  // a suffix: the last b bytes
      if (!readNumber(last, b)) return result;
      if (b > 0 && size > 0) satisfiable.emplace_back(size - std::min(b, size), size - 1);
      continue;
    }
    if (!readNumber(first, a) || (!last.empty() && !readNumber(last, b))) return result;
    if (last.empty()) b = UINT64_MAX;
    if (b < a) return result;
    if (a < size) satisfiable.emplace_back(a, std::min(b, size - 1));
  }
  if (specs == 0) return result;
  result.outcome =
      satisfiable.empty() ? ByteRanges::Outcome::Unsatisfiable : ByteRanges::Outcome::Partial;
  result.ranges = std::move(satisfiable);
  return result;
}

void serveDownload(const std::filesystem::path& dir, const std::string& name,
                   std::string_view rangeHeader, bool isGet, Reply& reply) {
  httplib::Response& res = reply.res;
  if (!isPublicFileName(name)) {
    answerText(res, 404, "Arquivo não encontrado.");
    return;
  }
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  int fd = ::open((dir / name).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) ::close(fd);
    answerText(res, 404, "Arquivo não encontrado.");
    return;
  }
  auto file = std::make_unique<FileBody>(fd);
  auto size = static_cast<uint64_t>(st.st_size);
  std::string type = contentTypeOf(name);
  res.set_header("Accept-Ranges", "bytes");
  ByteRanges ranges;
  if (isGet && !rangeHeader.empty()) ranges = parseByteRanges(rangeHeader, size);
  switch (ranges.outcome) {
    case ByteRanges::Outcome::Unsatisfiable:
      res.set_header("Content-Range", "bytes */" + std::to_string(size));
      answerText(res, 416, "Intervalo fora do arquivo.");
      return;
    case ByteRanges::Outcome::Whole:
      res.status = 200;
      res.set_header("Content-Type", type);
      file->pieces.push_back({"", 0, size});
      break;
    case ByteRanges::Outcome::Partial:
      res.status = 206;
      if (ranges.ranges.size() == 1) {
        auto [first, last] = ranges.ranges.front();
        res.set_header("Content-Type", type);
        res.set_header("Content-Range", contentRange(first, last, size));
        file->pieces.push_back({"", first, last - first + 1});
      } else {
        std::string boundary = newBoundary();
        res.set_header("Content-Type", "multipart/byteranges; boundary=" + boundary);
        for (auto [first, last] : ranges.ranges) {
          file->pieces.push_back(
              {(file->pieces.empty() ? "--" : "\r\n--") + boundary + "\r\nContent-Type: " + type +
                   "\r\nContent-Range: " + contentRange(first, last, size) + "\r\n\r\n",
               first, last - first + 1});
        }
        file->pieces.push_back({"\r\n--" + boundary + "--\r\n", 0, 0});
      }
      break;
  }
  reply.file = std::move(file);
}

}  // namespace quorvel::service
