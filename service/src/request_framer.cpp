#include "request_framer.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "text_checks.h"

namespace quorvel::service {
namespace {

bool isTokenChar(unsigned char c) {
  if (c >= 'a' && c <= 'z') return true;
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= '0' && c <= '9') return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

bool isToken(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return isTokenChar(c); });
}

// Visible ASCII, obs-text, space and tab: what a field value may hold.
bool isFieldValueChar(unsigned char c) {
  return c == '\t' || c == ' ' || (c >= 0x21 && c != 0x7F);
}

// Calls element(text) for every comma-separated element of the values of field `name`;
// empty elements are passed too.
template <typename Fn>
void forEachListElement(const httplib::Headers& headers, const std::string& name, Fn element) {
  auto [from, to] = headers.equal_range(name);
  for (auto it = from; it != to; ++it) {
    std::string_view value = it->second;
    size_t start = 0;
    for (;;) {
      size_t comma = value.find(',', start);
      element(trimBlanks(value.substr(
          start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
      if (comma == std::string_view::npos) break;
      start = comma + 1;
    }
  }
}

enum class LineScan { Line, Incomplete, BareCr, BareLf };

// Looks for the CR LF ending the line that starts at `start`, scanning from `from`; on Line,
// `line` is its text and `next` the start of the following one. On Incomplete, `from` is where
// to resume once more bytes are there.
LineScan scanLine(const std::string& in, size_t start, size_t& from, std::string_view& line,
                  size_t& next) {
  size_t j = in.find_first_of("\r\n", from);
  if (j == std::string::npos) {
    from = in.size();
    return LineScan::Incomplete;
  }
  if (in[j] == '\n') return LineScan::BareLf;
  if (j + 1 == in.size()) {
    from = j;
    return LineScan::Incomplete;
  }
  if (in[j + 1] != '\n') return LineScan::BareCr;
  line = std::string_view(in).substr(start, j - start);
  next = j + 2;
  return LineScan::Line;
}

const char* lineFault(LineScan scan) {
  return scan == LineScan::BareCr ? "CR sem LF" : "LF sem CR";
}

}  // namespace

RequestFramer::RequestFramer(FramingLimits limits) : limits_(limits) {}

void RequestFramer::reset() {
  state_ = State::Head;
  started_ = false;
  requestLineSeen_ = false;
  headBytes_ = 0;
  scanned_ = 0;
  head_ = RequestHead{};
  body_.clear();
  chunkStep_ = ChunkStep::Size;
  chunkLeft_ = 0;
  failStatus_ = 0;
  failReason_.clear();
}

RequestFramer::State RequestFramer::fail(int status, std::string reason) {
  failStatus_ = status;
  failReason_ = std::move(reason);
  return state_ = State::Failed;
}

RequestFramer::State RequestFramer::feed(std::string& in) {
  if (state_ == State::Head) state_ = feedHead(in);
  if (state_ == State::Body) {
    if (head_.chunked) {
      state_ = feedChunked(in);
    } else if (in.size() >= head_.contentLength) {
      body_.assign(in, 0, head_.contentLength);
      in.erase(0, head_.contentLength);
      state_ = State::Complete;
    }
  }
  return state_;
}

RequestFramer::State RequestFramer::feedHead(std::string& in) {
  size_t start = 0;
  size_t from = scanned_;
  for (;;) {
    std::string_view line;
    size_t next = 0;
    LineScan scan = scanLine(in, start, from, line, next);
    if (scan == LineScan::BareCr || scan == LineScan::BareLf) {
      return fail(400, lineFault(scan));
    }
    if (scan == LineScan::Incomplete) {
      size_t partial = in.size() - start;
      if (partial > 0 && !(partial == 1 && in[start] == '\r')) started_ = true;
      if (!requestLineSeen_ && partial > limits_.maxTargetBytes + 64) {
        return fail(414, "linha de requisição longa demais");
      }
      if (headBytes_ + partial > limits_.maxHeadBytes) {
        return fail(431, "cabeçalhos grandes demais");
      }
      in.erase(0, start);
      scanned_ = from - start;
      return State::Head;
    }
    headBytes_ += next - start;
    if (headBytes_ > limits_.maxHeadBytes) {
      return fail(requestLineSeen_ ? 431 : 414, "cabeçalhos grandes demais");
    }
    start = from = next;
    if (line.empty()) {
      if (!requestLineSeen_) continue;  // empty lines before a request are ignored
      in.erase(0, start);
      scanned_ = 0;
      return finishHead();
    }
    started_ = true;
    if (!takeHeadLine(line)) return State::Failed;
  }
}

bool RequestFramer::takeHeadLine(std::string_view line) {
  if (!requestLineSeen_) {
    requestLineSeen_ = true;
    return takeRequestLine(line);
  }
  return takeFieldLine(line, false);
}

bool RequestFramer::takeRequestLine(std::string_view line) {
  size_t sp1 = line.find(' ');
  size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
  if (sp2 == std::string_view::npos || line.find(' ', sp2 + 1) != std::string_view::npos) {
    fail(400, "linha de requisição malformada");
    return false;
  }
  std::string_view method = line.substr(0, sp1);
  std::string_view target = line.substr(sp1 + 1, sp2 - sp1 - 1);
  std::string_view version = line.substr(sp2 + 1);
  if (!isToken(method)) {
    fail(400, "método malformado");
    return false;
  }
  if (target.size() > limits_.maxTargetBytes) {
    fail(414, "endereço longo demais");
    return false;
  }
  bool visible = std::all_of(target.begin(), target.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return u > 0x20 && u < 0x7F;
  });
  if (target.empty() || !visible) {
    fail(400, "endereço malformado");
    return false;
  }
  bool versionForm = version.size() == 8 && version.substr(0, 5) == "HTTP/" && version[6] == '.' &&
                     version[5] >= '0' && version[5] <= '9' && version[7] >= '0' &&
                     version[7] <= '9';
  if (!versionForm) {
    fail(400, "versão de HTTP malformada");
    return false;
  }
  if (version[5] != '1') {
    fail(505, "versão de HTTP não suportada");
    return false;
  }
  head_.method = method;
  head_.target = target;
  head_.version = version[7] == '0' ? "HTTP/1.0" : "HTTP/1.1";
  head_.keepAlive = version[7] != '0';
  return true;
}

bool RequestFramer::takeFieldLine(std::string_view line, bool trailer) {
  if (line.front() == ' ' || line.front() == '\t') {
    fail(400, "linha de cabeçalho dobrada");
    return false;
  }
  size_t colon = line.find(':');
  if (colon == std::string_view::npos || !isToken(line.substr(0, colon))) {
    fail(400, "linha de cabeçalho malformada");
    return false;
  }
  std::string_view value = trimBlanks(line.substr(colon + 1));
  for (char c : value) {
    if (!isFieldValueChar(static_cast<unsigned char>(c))) {
      fail(400, "caractere de controle em um cabeçalho");
      return false;
    }
  }
  if (trailer) return true;  // trailer fields are checked, never used
  if (head_.headers.size() >= 100) {
    fail(431, "cabeçalhos demais");
    return false;
  }
  head_.headers.emplace(std::string(line.substr(0, colon)), std::string(value));
  return true;
}

RequestFramer::State RequestFramer::finishHead() {
  const auto& h = head_.headers;
  bool http11 = head_.version == "HTTP/1.1";
  size_t hosts = h.count("Host");
  if (hosts > 1 || (http11 && hosts == 0)) return fail(400, "Host ausente ou repetido");

  forEachListElement(h, "Connection", [&](std::string_view token) {
    if (asciiLower(token) == "close") head_.keepAlive = false;
  });

  size_t lengths = h.count("Content-Length");
  bool hasEncoding = h.count("Transfer-Encoding") > 0;
  if (lengths > 0 && hasEncoding) return fail(400, "Content-Length junto de Transfer-Encoding");
  if (lengths > 1) return fail(400, "Content-Length repetido");
  if (lengths == 1) {
    const std::string& text = h.find("Content-Length")->second;
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
      return fail(400, "Content-Length inválido");
    }
    size_t digits = text.size() - std::min(text.find_first_not_of('0'), text.size());
    if (digits > 18 || std::stoull(text) > limits_.maxBody) {
      return fail(413, "corpo maior que o limite");
    }
    head_.contentLength = static_cast<size_t>(std::stoull(text));
  }

  if (hasEncoding) {
    if (!http11) return fail(400, "Transfer-Encoding em HTTP/1.0");
    std::vector<std::string> codings;
    forEachListElement(h, "Transfer-Encoding",
                       [&](std::string_view coding) { codings.push_back(asciiLower(coding)); });
    if (std::any_of(codings.begin(), codings.end(), [](auto& c) { return c.empty(); })) {
      return fail(400, "Transfer-Encoding malformado");
    }
    if (codings.back() != "chunked" || std::count(codings.begin(), codings.end(), "chunked") > 1) {
      return fail(400, "Transfer-Encoding sem chunked no fim");
    }
    if (codings.size() > 1) return fail(501, "codificação de transferência não suportada");
    head_.chunked = true;
  }

  auto expect = h.find("Expect");
  if (expect != h.end()) {
    if (h.count("Expect") > 1 || asciiLower(expect->second) != "100-continue") {
      return fail(417, "Expect não suportado");
    }
    head_.expectContinue = head_.chunked || head_.contentLength > 0;
  }
  if (!head_.chunked && head_.contentLength == 0) return State::Complete;
  return State::Body;
}

RequestFramer::State RequestFramer::feedChunked(std::string& in) {
  size_t pos = 0;
  State result = State::Body;
  while (result == State::Body) {
    if (chunkStep_ == ChunkStep::Data) {
      size_t take = std::min(chunkLeft_, in.size() - pos);
      if (take == 0) break;
      body_.append(in, pos, take);
      pos += take;
      chunkLeft_ -= take;
      if (chunkLeft_ == 0) chunkStep_ = ChunkStep::DataEnd;
      continue;
    }
    if (chunkStep_ == ChunkStep::DataEnd) {
      if (in.size() - pos < 2) break;
      if (in.compare(pos, 2, "\r\n") != 0) {
        result = fail(400, "bloco chunked sem CR LF no fim");
        break;
      }
      pos += 2;
      chunkStep_ = ChunkStep::Size;
      continue;
    }
    // A size line or a trailer line.
    size_t from = pos + scanned_;
    std::string_view line;
    size_t next = 0;
    LineScan scan = scanLine(in, pos, from, line, next);
    if (scan == LineScan::BareCr || scan == LineScan::BareLf) {
      result = fail(400, lineFault(scan));
      break;
    }
    if (scan == LineScan::Incomplete) {
      scanned_ = from - pos;
      size_t partial = in.size() - pos;
      if (chunkStep_ == ChunkStep::Size && partial > 1024) {
        result = fail(400, "linha de tamanho de bloco longa demais");
      } else if (chunkStep_ == ChunkStep::Trailer && headBytes_ + partial > limits_.maxHeadBytes) {
        result = fail(431, "trailers grandes demais");
      }
      break;
    }
    scanned_ = 0;
    pos = next;
    if (chunkStep_ == ChunkStep::Trailer) {
      headBytes_ += line.size() + 2;
      if (headBytes_ > limits_.maxHeadBytes) {
        result = fail(431, "trailers grandes demais");
      } else if (line.empty()) {
        result = State::Complete;
      } else if (!takeFieldLine(line, true)) {
        result = State::Failed;
      }
      continue;
    }
    size_t digits = 0;
    while (digits < line.size() && std::isxdigit(static_cast<unsigned char>(line[digits]))) {
      ++digits;
    }
    std::string_view extension = line.substr(digits);
    bool extensionOk =
        extension.empty() || trimBlanks(extension).empty() || trimBlanks(extension)[0] == ';';
    extensionOk = extensionOk && std::all_of(extension.begin(), extension.end(), [](char c) {
                    return isFieldValueChar(static_cast<unsigned char>(c));
                  });
    if (digits == 0 || !extensionOk) {
      result = fail(400, "tamanho de bloco chunked inválido");
      continue;
    }
    std::string_view hex = line.substr(0, digits);
    hex.remove_prefix(std::min(hex.find_first_not_of('0'), hex.size()));
    if (hex.size() > 15) {
      result = fail(413, "corpo maior que o limite");
      continue;
    }
    size_t size = hex.empty() ? 0 : std::stoull(std::string(hex), nullptr, 16);
    if (size > limits_.maxBody - body_.size()) {
      result = fail(413, "corpo maior que o limite");
      continue;
    }
    if (size == 0) {
      chunkStep_ = ChunkStep::Trailer;
      headBytes_ = 0;
    } else {
      chunkLeft_ = size;
      chunkStep_ = ChunkStep::Data;
    }
  }
  if (result != State::Failed) in.erase(0, pos);
  return result;
}

}  // namespace quorvel::service
