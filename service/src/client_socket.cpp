#include "client_socket.h"

#include <openssl/err.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace quorvel::service {
namespace {

ClientSocket::Io socketError() {
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? ClientSocket::Io::Again
                                                                   : ClientSocket::Io::Failed;
}

}  // namespace

ClientSocket::ClientSocket(int fd, SSL* ssl) : fd_(fd), ssl_(ssl), waitsFor_(EPOLLIN) {}

ClientSocket::~ClientSocket() {
  if (ssl_) SSL_free(ssl_);
  ::close(fd_);
}

ClientSocket::Io ClientSocket::sslOutcome(int result) {
  int e = SSL_get_error(ssl_, result);
  switch (e) {
    case SSL_ERROR_WANT_READ:
      waitsFor_ = EPOLLIN;
      return Io::Again;
    case SSL_ERROR_WANT_WRITE:
      waitsFor_ = EPOLLOUT;
      return Io::Again;
    case SSL_ERROR_ZERO_RETURN:
      return Io::Closed;
    case SSL_ERROR_SYSCALL:
      return ERR_peek_error() == 0 && errno == 0 ? Io::Closed : Io::Failed;
    default:
      return Io::Failed;
  }
}

ClientSocket::Io ClientSocket::handshake() {
  if (!ssl_) return Io::Ok;
  ERR_clear_error();
  errno = 0;
  int r = SSL_do_handshake(ssl_);
  return r == 1 ? Io::Ok : sslOutcome(r);
}

ClientSocket::Io ClientSocket::read(char* buffer, size_t max, size_t& got) {
  got = 0;
  if (ssl_) {
    ERR_clear_error();
    errno = 0;
    int r = SSL_read(ssl_, buffer, static_cast<int>(std::min<size_t>(max, 1 << 20)));
    if (r <= 0) return sslOutcome(r);
    got = static_cast<size_t>(r);
    return Io::Ok;
  }
  ssize_t n = ::recv(fd_, buffer, max, 0);
  if (n == 0) return Io::Closed;
  if (n < 0) {
    waitsFor_ = EPOLLIN;
    return socketError();
  }
  got = static_cast<size_t>(n);
  return Io::Ok;
}

ClientSocket::Io ClientSocket::write(std::string_view data, size_t& wrote) {
  wrote = 0;
  if (ssl_) {
    ERR_clear_error();
    errno = 0;
    int r = SSL_write(ssl_, data.data(), static_cast<int>(std::min<size_t>(data.size(), 1 << 20)));
    if (r > 0) {
      wrote = static_cast<size_t>(r);
      return Io::Ok;
    }
    return sslOutcome(r);
  }
  ssize_t n = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
  if (n >= 0) {
    wrote = static_cast<size_t>(n);
    return Io::Ok;
  }
  waitsFor_ = EPOLLOUT;
  return socketError();
}

void ClientSocket::closeWrite() {
  if (ssl_) {
    ERR_clear_error();
    SSL_shutdown(ssl_);  // best effort: a close_notify the socket takes at once
  }
  ::shutdown(fd_, SHUT_WR);
}

ClientSocket::Io ClientSocket::discard(size_t max, size_t& dropped) {
  char sink[16384];
  dropped = 0;
  while (dropped < max) {
    ssize_t n = ::recv(fd_, sink, sizeof sink, 0);
    if (n == 0) return Io::Closed;
    if (n < 0) {
      waitsFor_ = EPOLLIN;
      return socketError();
    }
    dropped += static_cast<size_t>(n);
  }
  return Io::Ok;
}

}  // namespace quorvel::service
