#pragma once
// A purpose-written HTTP server on loopback for what the real service will not do on demand: a
// body cut before its announced length, an answer that never comes, a body without a length, a
// chosen text to a POST. Each path answers as scripted (404 otherwise); every request is kept.
// One connection at a time, closed after its answer.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace quorvel::testing {

class ScriptedHttpServer {
 public:
  struct Resposta {
    int status = 200;
    std::string corpo;
    bool semTamanho = false;  // no Content-Length: the body ends when the connection does
    size_t cortarEm = std::string::npos;  // the connection closes after these many body bytes
    bool silencio = false;                // the request is read and never answered
  };
  struct Pedido {
    std::string metodo, caminho, corpo;
    // The fields of a multipart/form-data body, in order (name, value).
    std::vector<std::pair<std::string, std::string>> campos() const {
      std::vector<std::pair<std::string, std::string>> r;
      const std::string marca = "name=\"";
      for (size_t at = corpo.find(marca); at != std::string::npos; at = corpo.find(marca, at)) {
        at += marca.size();
        std::string nome = corpo.substr(at, corpo.find('"', at) - at);
        size_t ini = corpo.find("\r\n\r\n", at) + 4;
        size_t fim = corpo.find("\r\n--", ini);
        r.emplace_back(nome, corpo.substr(ini, fim - ini));
      }
      return r;
    }
    std::string campo(const std::string& nome) const {
      for (auto& [n, v] : campos())
        if (n == nome) return v;
      return {};
    }
  };

  ScriptedHttpServer() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    int um = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &um, sizeof um);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 16) != 0)
      throw std::runtime_error("o servidor de teste não abriu a porta");
    socklen_t len = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    porta_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { servir(); });
  }
  ~ScriptedHttpServer() {
    parar_ = true;
    thread_.join();
    ::close(fd_);
  }
  ScriptedHttpServer(const ScriptedHttpServer&) = delete;
  ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

  std::string url() const { return "http://127.0.0.1:" + std::to_string(porta_); }

  void responder(const std::string& caminho, Resposta r) {
    responderCom(caminho, [r](const Pedido&) { return r; });
  }
  // The answer made for each request (called on the server's thread).
  void responderCom(const std::string& caminho, std::function<Resposta(const Pedido&)> f) {
    std::lock_guard g(m_);
    rotas_[caminho] = std::move(f);
  }
  std::vector<Pedido> pedidos() const {
    std::lock_guard g(m_);
    return pedidos_;
  }

 private:
  // Waits for data on `fd` while the server runs; false when it is stopping.
  bool esperar(int fd) {
    while (!parar_) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 50) > 0) return true;
    }
    return false;
  }

  void servir() {
    while (esperar(fd_)) {
      int c = ::accept(fd_, nullptr, nullptr);
      if (c < 0) continue;
      atender(c);
      ::close(c);
    }
  }

  void atender(int c) {
    std::string dados;
    char buf[65536];
    size_t fimCabecalho;
    while ((fimCabecalho = dados.find("\r\n\r\n")) == std::string::npos) {
      if (!esperar(c)) return;
      ssize_t n = ::recv(c, buf, sizeof buf, 0);
      if (n <= 0) return;
      dados.append(buf, static_cast<size_t>(n));
    }
    Pedido p;
    p.metodo = dados.substr(0, dados.find(' '));
    size_t ini = dados.find(' ') + 1;
    p.caminho = dados.substr(ini, dados.find(' ', ini) - ini);
    size_t tamanho = 0;
    for (const char* nome : {"Content-Length: ", "content-length: "})
      if (size_t at = dados.find(nome); at != std::string::npos && at < fimCabecalho)
        tamanho = std::stoul(dados.substr(at + 16));
    while (dados.size() < fimCabecalho + 4 + tamanho) {
      if (!esperar(c)) return;
      ssize_t n = ::recv(c, buf, sizeof buf, 0);
      if (n <= 0) return;
      dados.append(buf, static_cast<size_t>(n));
    }
    p.corpo = dados.substr(fimCabecalho + 4, tamanho);
    Resposta r;
    {
      std::lock_guard g(m_);
      pedidos_.push_back(p);
      auto it = rotas_.find(p.caminho);
      if (it == rotas_.end())
        r = {404, "Não encontrado."};
      else
        r = it->second(p);
    }
    if (r.silencio) {
      // Held open until the client gives up (or the server stops).
      while (esperar(c))
        if (::recv(c, buf, sizeof buf, 0) <= 0) break;
      return;
    }
    std::string resposta = "HTTP/1.1 " + std::to_string(r.status) + " X\r\nConnection: close\r\n";
    if (!r.semTamanho) resposta += "Content-Length: " + std::to_string(r.corpo.size()) + "\r\n";
    resposta += "Content-Type: text/plain; charset=utf-8\r\n\r\n";
    resposta += r.corpo.substr(0, r.cortarEm);
    for (size_t off = 0; off < resposta.size();) {
      ssize_t n = ::send(c, resposta.data() + off, resposta.size() - off, MSG_NOSIGNAL);
      if (n <= 0) break;
      off += static_cast<size_t>(n);
    }
  }

  int fd_ = -1;
  int porta_ = 0;
  std::atomic<bool> parar_{false};
  std::thread thread_;
  mutable std::mutex m_;
  std::map<std::string, std::function<Resposta(const Pedido&)>> rotas_;
  std::vector<Pedido> pedidos_;
};

}  // namespace quorvel::testing
