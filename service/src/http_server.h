#pragma once

#include <httplib.h>
#include <openssl/ssl.h>

#include <chrono>

namespace quorvel::service {

struct ConnectionLimits {
  // The whole request (line, headers and body) must arrive within this time, however slowly
  // its bytes trickle in; otherwise the client gets 408 and the connection is closed.
  std::chrono::milliseconds requestTimeout{20000};
  std::chrono::milliseconds keepAliveTimeout{5000};
  std::chrono::milliseconds writeTimeout{10000};
  // Request line, headers and body together; beyond it the client gets 413, also for bodies
  // without a Content-Length.
  size_t maxRequestBytes = 2 * 1024 * 1024 + 64 * 1024;
  size_t keepAliveMaxCount = 1000;
};

// cpp-httplib's server with its connection handling replaced: a deadline per request and a cap
// on its size, so a slow or endless client holds one worker for a bounded time and never
// starves the others; TLS through OpenSSL when a context is given.
class GuardedServer : public httplib::Server {
 public:
  // Takes ownership of tls (may be null for plain HTTP).
  GuardedServer(ConnectionLimits limits, SSL_CTX* tls);
  ~GuardedServer() override;

  // The library listens with a backlog of 5: a burst of new clients would see their SYNs
  // dropped and retried a second later. Call after binding.
  void widenBacklog(int backlog);

  // For the error handler, about the request being answered on this thread.
  static bool currentRequestTimedOut();
  static bool currentRequestTooLarge();

 private:
  bool process_and_close_socket(socket_t sock) override;

  ConnectionLimits limits_;
  SSL_CTX* tls_;
};

// A server context from PEM files; throws std::runtime_error with the reason.
SSL_CTX* makeTlsContext(const std::string& certFile, const std::string& keyFile);

}  // namespace quorvel::service
