#pragma once
// An IMAP peer that says what a test tells it to, for what a real Dovecot will not do on demand:
// refuse a log-in with an [ALERT], stop answering in the middle of a session, announce a literal
// of a gigabyte, trickle its reply two bytes at a time, or send untagged lines without end.
// It remembers every command it received, so a test can act at the moment the client reached a
// given command instead of after a guessed delay.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quorvel::testing {

// What the peer sends for one command.
struct Resposta {
  // Untagged lines first; the last one goes out with the command's tag ("OK done",
  // "NO [ALERT] ..."). None: silence from then on.
  std::vector<std::string> linhas;
  // A literal of this many filler bytes follows the first line (which announces it with
  // "{N}"); the other lines come after it.
  uint64_t literal = 0;
  // Above 0: every byte of the reply (of the literal, when there is one) goes out two at a
  // time, one pair every `gotejarMs`.
  int gotejarMs = 0;
  // The first line is sent again and again, and the tagged line never comes (the peer gives up
  // after 512 MB, so that a client without a bound still ends).
  bool semFim = false;

  Resposta() = default;
  // A plain reply: its lines.
  Resposta(std::vector<std::string> l) : linhas(std::move(l)) {}  // NOLINT
  Resposta(std::initializer_list<std::string> l) : linhas(l) {}
};

class HostileImapServer {
 public:
  using Responder = std::function<Resposta(const std::string& comando)>;

  // Without `saudacao` the peer accepts connections and never says a word.
  explicit HostileImapServer(Responder r, bool saudacao = true)
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
  ~HostileImapServer() {
    parar_ = true;
    thread_.join();
    ::close(fd_);
  }
  int porta() const { return porta_; }

  // Every command received so far (the text after the tag), in order.
  std::vector<std::string> comandos() const {
    std::lock_guard<std::mutex> l(m_);
    return comandos_;
  }
  // Waits until a command starting with `prefixo` has arrived; false after `limite`.
  bool esperarComando(const std::string& prefixo,
                      std::chrono::seconds limite = std::chrono::seconds(120)) const {
    std::unique_lock<std::mutex> l(m_);
    return chegou_.wait_for(l, limite, [&] {
      return std::any_of(comandos_.begin(), comandos_.end(),
                         [&](const std::string& c) { return c.rfind(prefixo, 0) == 0; });
    });
  }
  bool recebeu(const std::string& prefixo) const {
    return esperarComando(prefixo, std::chrono::seconds(0));
  }

  // Answers most clients need before the interesting part.
  static Resposta padrao(const std::string& comando) {
    if (comando.rfind("CAPABILITY", 0) == 0)
      return {"* CAPABILITY IMAP4rev1 AUTH=PLAIN", "OK CAPABILITY completed"};
    if (comando.rfind("SELECT", 0) == 0) return {"* 3 EXISTS", "OK [READ-WRITE] SELECT completed"};
    if (comando.rfind("LOGOUT", 0) == 0) return {"* BYE", "OK LOGOUT completed"};
    return {"OK completed"};
  }

 private:
  bool esperarLeitura(int fd) {
    pollfd p{fd, POLLIN, 0};
    while (!parar_)
      if (::poll(&p, 1, 50) > 0) return true;
    return false;
  }
  // Sends everything unless the client goes away or the peer is stopped; never blocks for
  // longer than a poll, so a client that stops reading cannot hold the test's end.
  bool enviar(int c, const char* p, size_t n) {
    while (n > 0) {
      if (parar_) return false;
      pollfd w{c, POLLOUT, 0};
      if (::poll(&w, 1, 50) <= 0) continue;
      ssize_t k = ::send(c, p, n, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (k < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (k <= 0) return false;
      p += k;
      n -= static_cast<size_t>(k);
    }
    return true;
  }
  bool enviar(int c, const std::string& s, int gotejarMs = 0) {
    if (gotejarMs <= 0) return enviar(c, s.data(), s.size());
    for (size_t i = 0; i < s.size(); i += 2) {
      if (!enviar(c, s.data() + i, std::min<size_t>(2, s.size() - i))) return false;
      for (int t = 0; t < gotejarMs && !parar_; t += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !parar_;
  }
  bool responder(int c, const std::string& tag, const Resposta& r) {
    if (r.semFim) {
      std::string bloco;
      while (bloco.size() < (1 << 16)) bloco += r.linhas.front() + "\r\n";
      for (uint64_t enviado = 0; enviado < (uint64_t{512} << 20); enviado += bloco.size())
        if (!enviar(c, bloco, r.gotejarMs)) break;
      return false;
    }
    std::string texto;
    for (size_t i = 0; i + 1 < r.linhas.size(); ++i) {
      texto += r.linhas[i] + "\r\n";
      if (i == 0 && r.literal > 0) {
        if (!enviar(c, texto)) return false;
        texto.clear();
        static const std::string enchimento(1 << 20, 'x');
        for (uint64_t falta = r.literal; falta > 0;) {
          size_t n = static_cast<size_t>(std::min<uint64_t>(falta, enchimento.size()));
          if (!enviar(c, enchimento.substr(0, n), r.gotejarMs)) return false;
          falta -= n;
        }
      }
    }
    return enviar(c, texto + tag + " " + r.linhas.back() + "\r\n", r.literal > 0 ? 0 : r.gotejarMs);
  }
  void servir() {
    while (esperarLeitura(fd_)) {
      int c = ::accept(fd_, nullptr, nullptr);
      if (c < 0) continue;
      if (saudacao_) enviar(c, std::string("* OK IMAP pronto\r\n"));
      std::string buf;
      bool calado = !saudacao_;
      char b[4096];
      while (esperarLeitura(c)) {
        ssize_t n = ::recv(c, b, sizeof b, 0);
        if (n <= 0) break;
        buf.append(b, static_cast<size_t>(n));
        bool fim = false;
        for (size_t p; !fim && (p = buf.find("\r\n")) != std::string::npos;) {
          std::string linha = buf.substr(0, p);
          buf.erase(0, p + 2);
          size_t sp = linha.find(' ');
          std::string tag = linha.substr(0, sp);
          std::string cmd = sp == std::string::npos ? "" : linha.substr(sp + 1);
          {
            std::lock_guard<std::mutex> l(m_);
            comandos_.push_back(cmd);
          }
          chegou_.notify_all();
          if (calado) continue;
          Resposta r = responder_(cmd);
          if (r.linhas.empty()) {
            calado = true;
            continue;
          }
          fim = !responder(c, tag, r);
        }
        if (fim) break;
      }
      ::close(c);
    }
  }

  Responder responder_;
  bool saudacao_;
  int fd_ = -1;
  int porta_ = 0;
  std::atomic<bool> parar_{false};
  mutable std::mutex m_;
  mutable std::condition_variable chegou_;
  std::vector<std::string> comandos_;
  std::thread thread_;
};

}  // namespace quorvel::testing
