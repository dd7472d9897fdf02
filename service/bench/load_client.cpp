#include "load_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace quorvel::bench {

LoadClient::LoadClient(int port) : port_(port) {}

LoadClient::~LoadClient() {
  if (sock_ >= 0) ::close(sock_);
}

bool LoadClient::connectNow() {
  if (sock_ >= 0) ::close(sock_);
  buffer_.clear();
  sock_ = ::socket(AF_INET, SOCK_STREAM, 0);
  int one = 1;
  setsockopt(sock_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  timeval tv{30, 0};
  setsockopt(sock_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port_));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(sock_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(sock_);
    sock_ = -1;
    return false;
  }
  return true;
}

LoadClient::Answer LoadClient::exchange(const std::string& request) {
  for (size_t off = 0; off < request.size();) {
    ssize_t n = ::send(sock_, request.data() + off, request.size() - off, MSG_NOSIGNAL);
    if (n <= 0) return {};
    off += static_cast<size_t>(n);
  }
  char chunk[65536];
  size_t headerEnd;
  while ((headerEnd = buffer_.find("\r\n\r\n")) == std::string::npos) {
    ssize_t n = ::recv(sock_, chunk, sizeof chunk, 0);
    if (n <= 0) return {};
    buffer_.append(chunk, static_cast<size_t>(n));
  }
  std::string head = buffer_.substr(0, headerEnd);
  Answer a;
  a.status = std::atoi(head.c_str() + 9);
  size_t lengthAt = head.find("Content-Length: ");
  size_t length =
      lengthAt == std::string::npos ? 0 : std::strtoul(head.c_str() + lengthAt + 16, nullptr, 10);
  while (buffer_.size() < headerEnd + 4 + length) {
    ssize_t n = ::recv(sock_, chunk, sizeof chunk, 0);
    if (n <= 0) return {};
    buffer_.append(chunk, static_cast<size_t>(n));
  }
  a.body = buffer_.substr(headerEnd + 4, length);
  buffer_.erase(0, headerEnd + 4 + length);
  if (head.find("Connection: close") != std::string::npos) {
    ::close(sock_);
    sock_ = -1;
  }
  return a;
}

LoadClient::Answer LoadClient::sync(
    const std::vector<std::pair<std::string, std::string>>& fields) {
  static const std::string boundary = "----quorvelbench7MA4YWxk";
  std::string body;
  for (const auto& [name, value] : fields) {
    body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n";
    body += value;
    body += "\r\n";
  }
  body += "--" + boundary + "--\r\n";
  std::string request =
      "POST /quorvel/bin/sync.php HTTP/1.1\r\nHost: 127.0.0.1\r\n"
      "Content-Type: multipart/form-data; boundary=" +
      boundary + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (sock_ < 0 && !connectNow()) continue;
    Answer a = exchange(request);
    if (a.status != 0) return a;
    ::close(sock_);
    sock_ = -1;
  }
  return {};
}

}  // namespace quorvel::bench
