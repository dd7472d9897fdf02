#include "http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace quorvel::service {
namespace {

using Clock = std::chrono::steady_clock;

int pollFor(int sock, short events, std::chrono::milliseconds wait) {
  pollfd p{sock, events, 0};
  int ms = static_cast<int>(std::max<int64_t>(0, wait.count()));
  int rc;
  do {
    rc = ::poll(&p, 1, ms);
  } while (rc < 0 && errno == EINTR);
  return rc;
}

void addressOf(int sock, bool peer, std::string& ip, int& port) {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  int rc = peer ? getpeername(sock, reinterpret_cast<sockaddr*>(&addr), &len)
                : getsockname(sock, reinterpret_cast<sockaddr*>(&addr), &len);
  if (rc != 0) return;
  char text[INET6_ADDRSTRLEN] = "";
  if (addr.ss_family == AF_INET) {
    auto* a = reinterpret_cast<sockaddr_in*>(&addr);
    inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
    port = ntohs(a->sin_port);
  } else if (addr.ss_family == AF_INET6) {
    auto* a = reinterpret_cast<sockaddr_in6*>(&addr);
    inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
    port = ntohs(a->sin6_port);
  }
  ip = text;
}

// One client connection, plain or TLS, over a non-blocking socket; every wait is bounded by
// the current request's deadline.
class ConnStream final : public httplib::Stream {
 public:
  ConnStream(int sock, SSL* ssl, const ConnectionLimits& limits)
      : sock_(sock), ssl_(ssl), limits_(limits) {}

  void beginRequest() {
    deadline_ = Clock::now() + limits_.requestTimeout;
    bytesThisRequest_ = 0;
    wroteThisRequest_ = false;
  }
  bool timedOut() const { return timedOut_; }
  bool tooLarge() const { return tooLarge_; }
  bool wroteThisRequest() const { return wroteThisRequest_; }
  size_t bytesThisRequest() const { return bytesThisRequest_ + (len_ - pos_); }

  bool hasBuffered() const { return pos_ < len_ || (ssl_ && SSL_pending(ssl_) > 0); }

  // Waits for the next request of a kept-alive connection; false when none comes in time or
  // the server is stopping.
  template <typename Stopping>
  bool waitNextRequest(Stopping stopping) {
    auto until = Clock::now() + limits_.keepAliveTimeout;
    while (!hasBuffered()) {
      if (stopping()) return false;
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
      if (left.count() <= 0) return false;
      int rc = pollFor(sock_, POLLIN, std::min(left, std::chrono::milliseconds(200)));
      if (rc < 0) return false;
      if (rc > 0) return true;
    }
    return true;
  }

  bool is_readable() const override {
    return hasBuffered() || pollFor(sock_, POLLIN, remaining()) > 0;
  }
  bool is_writable() const override { return pollFor(sock_, POLLOUT, limits_.writeTimeout) > 0; }

  ssize_t read(char* ptr, size_t size) override {
    if (pos_ == len_) {
      if (timedOut_ || tooLarge_) return -1;
      if (bytesThisRequest_ >= limits_.maxRequestBytes) {
        tooLarge_ = true;
        return -1;
      }
      ssize_t n = rawRead(buffer_, sizeof buffer_);
      if (n <= 0) return -1;
      pos_ = 0;
      len_ = static_cast<size_t>(n);
      bytesThisRequest_ += len_;
    }
    size_t n = std::min(size, len_ - pos_);
    std::memcpy(ptr, buffer_ + pos_, n);
    pos_ += n;
    return static_cast<ssize_t>(n);
  }

  ssize_t write(const char* ptr, size_t size) override {
    wroteThisRequest_ = true;
    auto until = Clock::now() + limits_.writeTimeout;
    for (;;) {
      ssize_t n;
      short waitFor = POLLOUT;
      if (ssl_) {
        ERR_clear_error();
        int r = SSL_write(ssl_, ptr, static_cast<int>(std::min<size_t>(size, 1 << 30)));
        if (r > 0) return r;
        int e = SSL_get_error(ssl_, r);
        if (e == SSL_ERROR_WANT_READ)
          waitFor = POLLIN;
        else if (e != SSL_ERROR_WANT_WRITE)
          return -1;
        n = -1;
      } else {
        n = ::send(sock_, ptr, size, MSG_NOSIGNAL);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
      if (left.count() <= 0 || pollFor(sock_, waitFor, left) <= 0) return -1;
    }
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    addressOf(sock_, true, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    addressOf(sock_, false, ip, port);
  }
  socket_t socket() const override { return sock_; }

  void sendTimeoutAnswer() {
    static const std::string body = "Tempo esgotado: a requisição não chegou completa a tempo.\n";
    std::string answer =
        "HTTP/1.1 408 Request Timeout\r\nContent-Type: text/plain; charset=utf-8\r\n"
        "Connection: close\r\nContent-Length: " +
        std::to_string(body.size()) + "\r\n\r\n" + body;
    size_t off = 0;
    while (off < answer.size()) {
      ssize_t n = write(answer.data() + off, answer.size() - off);
      if (n <= 0) return;
      off += static_cast<size_t>(n);
    }
  }

 private:
  std::chrono::milliseconds remaining() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
  }

  ssize_t rawRead(char* ptr, size_t size) {
    for (;;) {
      short waitFor = POLLIN;
      if (ssl_) {
        ERR_clear_error();
        int r = SSL_read(ssl_, ptr, static_cast<int>(size));
        if (r > 0) return r;
        int e = SSL_get_error(ssl_, r);
        if (e == SSL_ERROR_ZERO_RETURN) return 0;
        if (e == SSL_ERROR_WANT_WRITE)
          waitFor = POLLOUT;
        else if (e != SSL_ERROR_WANT_READ)
          return -1;
      } else {
        ssize_t n = ::recv(sock_, ptr, size, 0);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
      }
      auto left = remaining();
      if (left.count() <= 0) {
        timedOut_ = true;
        return -1;
      }
      int rc = pollFor(sock_, waitFor, left);
      if (rc == 0) {
        timedOut_ = true;
        return -1;
      }
      if (rc < 0) return -1;
    }
  }

  int sock_;
  SSL* ssl_;
  const ConnectionLimits& limits_;
  Clock::time_point deadline_ = Clock::now();
  size_t bytesThisRequest_ = 0;
  bool wroteThisRequest_ = false;
  bool timedOut_ = false;
  bool tooLarge_ = false;
  char buffer_[16384];
  size_t pos_ = 0;
  size_t len_ = 0;
};

thread_local ConnStream* tlCurrent = nullptr;

bool tlsHandshake(int sock, SSL* ssl, std::chrono::milliseconds timeout) {
  auto until = Clock::now() + timeout;
  for (;;) {
    ERR_clear_error();
    int r = SSL_accept(ssl);
    if (r == 1) return true;
    int e = SSL_get_error(ssl, r);
    short waitFor;
    if (e == SSL_ERROR_WANT_READ)
      waitFor = POLLIN;
    else if (e == SSL_ERROR_WANT_WRITE)
      waitFor = POLLOUT;
    else
      return false;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    if (left.count() <= 0 || pollFor(sock, waitFor, left) <= 0) return false;
  }
}

// Reads and drops what the client still sends for a short while, so that closing with unread
// bytes does not reset the connection before the client has read our answer.
void lingeringClose(int sock, bool drain) {
  if (drain) {
    ::shutdown(sock, SHUT_WR);
    auto until = Clock::now() + std::chrono::milliseconds(1000);
    char sink[16384];
    size_t total = 0;
    while (total < 16 * 1024 * 1024) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
      if (left.count() <= 0 || pollFor(sock, POLLIN, left) <= 0) break;
      ssize_t n = ::recv(sock, sink, sizeof sink, 0);
      if (n <= 0) break;
      total += static_cast<size_t>(n);
    }
  }
  ::shutdown(sock, SHUT_RDWR);
  ::close(sock);
}

}  // namespace

GuardedServer::GuardedServer(ConnectionLimits limits, SSL_CTX* tls) : limits_(limits), tls_(tls) {}

GuardedServer::~GuardedServer() {
  if (tls_) SSL_CTX_free(tls_);
}

void GuardedServer::widenBacklog(int backlog) {
  ::listen(svr_sock_, backlog);
}

bool GuardedServer::currentRequestTimedOut() {
  return tlCurrent && tlCurrent->timedOut();
}
bool GuardedServer::currentRequestTooLarge() {
  return tlCurrent && tlCurrent->tooLarge();
}

bool GuardedServer::process_and_close_socket(socket_t sock) {
  int flags = fcntl(sock, F_GETFL, 0);
  fcntl(sock, F_SETFL, flags | O_NONBLOCK);
  int one = 1;
  setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);

  SSL* ssl = nullptr;
  if (tls_) {
    ssl = SSL_new(tls_);
    if (!ssl || SSL_set_fd(ssl, sock) != 1 || !tlsHandshake(sock, ssl, limits_.requestTimeout)) {
      if (ssl) SSL_free(ssl);
      lingeringClose(sock, false);
      return false;
    }
  }

  bool ret = false;
  bool clean = true;
  {
    ConnStream strm(sock, ssl, limits_);
    tlCurrent = &strm;
    auto stopping = [this] { return svr_sock_ == INVALID_SOCKET; };
    for (size_t count = limits_.keepAliveMaxCount; count > 0; --count) {
      if (!strm.waitNextRequest(stopping)) break;
      strm.beginRequest();
      bool connectionClosed = false;
      ret = process_request(strm, count == 1, connectionClosed, nullptr);
      if (strm.timedOut() && !strm.wroteThisRequest() && strm.bytesThisRequest() > 0) {
        strm.sendTimeoutAnswer();
      }
      if (strm.timedOut() || strm.tooLarge()) {
        clean = false;
        break;
      }
      if (!ret || connectionClosed) break;
    }
    tlCurrent = nullptr;
  }
  if (ssl) {
    if (clean) SSL_shutdown(ssl);
    SSL_free(ssl);
  }
  lingeringClose(sock, !clean);
  return ret;
}

SSL_CTX* makeTlsContext(const std::string& certFile, const std::string& keyFile) {
  SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
  if (!ctx) throw std::runtime_error("OpenSSL: não foi possível criar o contexto TLS");
  SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
  SSL_CTX_set_mode(ctx, SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  if (SSL_CTX_use_certificate_chain_file(ctx, certFile.c_str()) != 1) {
    SSL_CTX_free(ctx);
    throw std::runtime_error("certificado TLS ilegível: " + certFile);
  }
  if (SSL_CTX_use_PrivateKey_file(ctx, keyFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
      SSL_CTX_check_private_key(ctx) != 1) {
    SSL_CTX_free(ctx);
    throw std::runtime_error("chave TLS ilegível ou não corresponde ao certificado: " + keyFile);
  }
  return ctx;
}

}  // namespace quorvel::service
