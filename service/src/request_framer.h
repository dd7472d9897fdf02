#pragma once

#include <httplib.h>

#include <cstddef>
#include <string>

namespace quorvel::service {

struct FramingLimits {
  size_t maxHeadBytes = 32 * 1024;  // request line and header fields (and chunked trailers)
  size_t maxTargetBytes = 8 * 1024;
  size_t maxBody = 2 * 1024 * 1024;
};

// The request line and header fields of one request, checked.
struct RequestHead {
  std::string method;
  std::string target;
  std::string version;  // "HTTP/1.1" or "HTTP/1.0"
  httplib::Headers headers;
  bool keepAlive = true;  // false for HTTP/1.0 and for "Connection: close"
  bool expectContinue = false;
  bool chunked = false;
  size_t contentLength = 0;
};

// Cuts one HTTP/1.1 request out of the bytes a connection received, strictly: whatever could
// be read two ways (repeated or conflicting lengths, a length beside chunked coding, bare CR or
// LF, folded lines, malformed chunk sizes) fails at once with the status to answer, so that no
// byte of a body is ever taken for the start of another request.
class RequestFramer {
 public:
  enum class State { Head, Body, Complete, Failed };

  explicit RequestFramer(FramingLimits limits);

  // Takes what it can from `in` and erases the bytes it used; bytes after a complete request
  // stay in `in` for the next one. Call again when more bytes arrive.
  State feed(std::string& in);

  State state() const { return state_; }
  // True once any byte of this request (other than empty lines before it) arrived.
  bool started() const { return started_; }
  const RequestHead& head() const { return head_; }
  std::string& body() { return body_; }

  // After Failed: the status to answer (400, 413, 414, 417, 431, 501, 505) and why.
  int failStatus() const { return failStatus_; }
  const std::string& failReason() const { return failReason_; }

  // Ready for the next request of the connection.
  void reset();

 private:
  State fail(int status, std::string reason);
  // One complete line of the head (without its CR LF); false after a failure.
  bool takeHeadLine(std::string_view line);
  bool takeRequestLine(std::string_view line);
  bool takeFieldLine(std::string_view line, bool trailer);
  State finishHead();
  State feedHead(std::string& in);
  State feedChunked(std::string& in);

  enum class ChunkStep { Size, Data, DataEnd, Trailer };

  FramingLimits limits_;
  State state_ = State::Head;
  bool started_ = false;
  bool requestLineSeen_ = false;
  size_t headBytes_ = 0;
  size_t scanned_ = 0;  // bytes of `in` already scanned for line ends
  RequestHead head_;
  std::string body_;
  ChunkStep chunkStep_ = ChunkStep::Size;
  size_t chunkLeft_ = 0;
  int failStatus_ = 0;
  std::string failReason_;
};

}  // namespace quorvel::service
