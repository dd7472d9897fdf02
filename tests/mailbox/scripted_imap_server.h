#pragma once
// An IMAP peer that says what a test tells it to, for what a real Dovecot will not do: refuse a
// log-in with an [ALERT], or stop answering in the middle of a session.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace quorvel::testing {

class ScriptedImapServer {
 public:
  // The lines to send for one command (its text after the tag): untagged lines first, the last
  // one is sent with the command's tag ("OK done", "NO [ALERT] ..."). Nothing: silence from then
  // on.
  using Responder = std::function<std::vector<std::string>(const std::string& comando)>;

  // Without `saudacao` the peer accepts connections and never says a word.
  explicit ScriptedImapServer(Responder r, bool saudacao = true)
      : responder_(std::move(r)), saudacao_(saudacao) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(fd_, 8);
    socklen_t len = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    porta_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { servir(); });
  }
  ~ScriptedImapServer() {
    parar_ = true;
    thread_.join();
    ::close(fd_);
  }
  int porta() const { return porta_; }

  // Answers most clients need before the interesting part.
  static std::vector<std::string> padrao(const std::string& comando) {
    if (comando.rfind("CAPABILITY", 0) == 0)
      return {"* CAPABILITY IMAP4rev1 AUTH=PLAIN", "OK CAPABILITY completed"};
    if (comando.rfind("SELECT", 0) == 0) return {"* 3 EXISTS", "OK [READ-WRITE] SELECT completed"};
    if (comando.rfind("LOGOUT", 0) == 0) return {"* BYE", "OK LOGOUT completed"};
    return {"OK completed"};
  }

 private:
  bool esperar(int fd) {
    pollfd p{fd, POLLIN, 0};
    while (!parar_)
      if (::poll(&p, 1, 50) > 0) return true;
    return false;
  }
  void servir() {
    while (esperar(fd_)) {
      int c = ::accept(fd_, nullptr, nullptr);
      if (c < 0) continue;
      if (saudacao_) enviar(c, "* OK IMAP pronto\r\n");
      std::string buf;
      bool calado = false;
      char b[4096];
      while (esperar(c)) {
        ssize_t n = ::recv(c, b, sizeof b, 0);
        if (n <= 0) break;
        buf.append(b, static_cast<size_t>(n));
        for (size_t p; (p = buf.find("\r\n")) != std::string::npos;) {
          std::string linha = buf.substr(0, p);
          buf.erase(0, p + 2);
          size_t sp = linha.find(' ');
          std::string tag = linha.substr(0, sp);
          std::string cmd = sp == std::string::npos ? "" : linha.substr(sp + 1);
          if (calado || !saudacao_) continue;
          std::vector<std::string> r = responder_(cmd);
          if (r.empty()) {
            calado = true;
            continue;
          }
          std::string resposta;
          for (size_t i = 0; i + 1 < r.size(); ++i) resposta += r[i] + "\r\n";
          enviar(c, resposta + tag + " " + r.back() + "\r\n");
        }
      }
      ::close(c);
    }
  }
  static void enviar(int c, const std::string& s) { ::send(c, s.data(), s.size(), MSG_NOSIGNAL); }

  Responder responder_;
  bool saudacao_;
  int fd_ = -1;
  int porta_ = 0;
  std::atomic<bool> parar_{false};
  std::thread thread_;
};

}  // namespace quorvel::testing
