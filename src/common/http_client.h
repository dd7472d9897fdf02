#pragma once
// The HTTP client port: GET and multipart POST with time-outs, progress and cancel. The program
// talks to its web service through it; the real one uses libcurl.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

struct HttpTimeouts {
  int connectSeconds = 5;
  // The longest silence allowed while the answer is awaited or arrives.
  int readSeconds = 5;
};

struct HttpRequest {
  std::string url;
  HttpTimeouts timeouts;
  bool followRedirects = false;
  std::vector<std::string> headers;  // "Name: value"
  // Bytes of the body received so far and the announced length (-1 when none was announced);
  // called as the body arrives, starting with 0 once the answer's headers are in.
  std::function<void(int64_t recebidos, int64_t anunciado)> progresso;
  // Called while the transfer waits or runs (about once a second at least); false cancels it.
  std::function<bool()> continuar;
};

struct FormField {
  std::string name;
  std::string value;
};

// A failed request, with a Portuguese text fit for the user.
class HttpError : public std::runtime_error {
 public:
  enum class Kind {
    connection,  // no connection could be made (refused, unknown host, connect time-out)
    timeout,     // the server went silent
    tls,         // the server's certificate could not be verified, or TLS failed
    status,      // an HTTP error status (4xx, 5xx)
    truncated,   // the body ended before its announced length, or the connection broke
    cancelled,   // `continuar` said stop
    other,
  };
  HttpError(Kind k, const std::string& texto, long status = 0)
      : std::runtime_error(texto), kind(k), httpStatus(status) {}
  Kind kind;
  long httpStatus;
};

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // GET: the body is handed to `corpo` chunk by chunk; when get returns, all of it arrived.
  // The body of an error status is never handed over. Throws HttpError.
  virtual void get(const HttpRequest& pedido,
                   const std::function<void(std::string_view)>& corpo) = 0;
  // POST of a multipart/form-data body, one text part per field in the order given; the
  // answer's body. Throws HttpError.
  virtual std::string postForm(const HttpRequest& pedido, const std::vector<FormField>& campos) = 0;

  // The whole body of a GET as text.
  std::string getText(const HttpRequest& pedido) {
    std::string r;
    get(pedido, [&r](std::string_view b) { r.append(b); });
    return r;
  }
};

}  // namespace quorvel
