#pragma once

#include <openssl/ssl.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel::service {

// One accepted connection, plain or TLS, over a non-blocking socket. Every call does at most
// one read or write and never waits; Again says which readiness (EPOLLIN or EPOLLOUT) to wait
// for before calling again.
class ClientSocket {
 public:
  enum class Io { Ok, Again, Closed, Failed };

  // Takes ownership of fd and ssl (ssl may be null).
  ClientSocket(int fd, SSL* ssl);
  ~ClientSocket();
  ClientSocket(const ClientSocket&) = delete;
  ClientSocket& operator=(const ClientSocket&) = delete;

  bool tls() const { return ssl_ != nullptr; }
  int fd() const { return fd_; }
  uint32_t waitsFor() const { return waitsFor_; }

  Io handshake();
  // Reads up to max bytes into buffer; `got` says how many.
  Io read(char* buffer, size_t max, size_t& got);
  Io write(std::string_view data, size_t& wrote);
  // Ends our side of the stream (TLS close_notify first) while the client may still send.
  void closeWrite();
  // Reads and drops up to max bytes of what the client still sends (raw bytes, also on TLS).
  Io discard(size_t max, size_t& dropped);

 private:
  Io sslOutcome(int result);

  int fd_;
  SSL* ssl_;
  uint32_t waitsFor_;
};

}  // namespace quorvel::service
