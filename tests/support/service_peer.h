#pragma once
// The real web service for tests: quorvel-service on a free loopback port (plain HTTP, or HTTPS
// with a self-signed certificate for 127.0.0.1 and localhost), over a data folder of its own
// that starts from the build's seed. A domain or address is offered to downloads after one
// sender. Operator commands (user add, publish, build set) run the program as an operator does.
// Stopped by its PID and removed with its folder when the object goes.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace quorvel::testing {

class ServicePeer {
 public:
  // `extras`: more options of the server.
  explicit ServicePeer(bool tls = false, std::vector<std::string> extras = {})
      : tls_(tls), extras_(std::move(extras)) {
    char modelo[] = "/tmp/quorvel-servico-XXXXXX";
    if (::mkdtemp(modelo) == nullptr) throw std::runtime_error("mkdtemp falhou");
    pasta_ = modelo;
    std::filesystem::create_directories(dados());
    if (tls_) gerarCertificado();
    iniciar();
  }
  ~ServicePeer() {
    parar();
    std::error_code ec;
    std::filesystem::remove_all(pasta_, ec);
  }
  ServicePeer(const ServicePeer&) = delete;
  ServicePeer& operator=(const ServicePeer&) = delete;

  // "http://127.0.0.1:PORT" (https with TLS); the program's base address.
  std::string url() const {
    return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(porta_);
  }
  int porta() const { return porta_; }
  std::string certificado() const { return (pasta_ / "cert.pem").string(); }
  std::filesystem::path dados() const { return pasta_ / "dados"; }
  bool rodando() const { return pid_ > 0; }

  // `quorvel-service user add EMAIL`: the new key.
  std::string adicionarUsuario(const std::string& email) {
    std::string saida = operador({"user", "add", email});
    return saida.substr(0, saida.find('\n'));
  }
  // `quorvel-service publish NAME FILE` with these contents.
  void publicar(const std::string& nome, const std::string& conteudo) {
    std::filesystem::path f = pasta_ / ("publicar-" + nome);
    std::ofstream(f, std::ios::binary) << conteudo;
    operador({"publish", nome, f.string()});
  }
  // `quorvel-service build set ATUAL MINIMO`.
  void definirBuilds(long atual, long minimo) {
    operador({"build", "set", std::to_string(atual), std::to_string(minimo)});
  }
  // The definitions.txt the service publishes.
  std::string datasPublicadas() const { return ler(dados() / "download" / "definitions.txt"); }

  // SIGTERM, then waits until the process is gone (what it had committed stays).
  void parar() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int st = 0;
    ::waitpid(pid_, &st, 0);
    pid_ = -1;
  }
  // Starts again over the same folder (on a new port).
  void reiniciar() {
    parar();
    iniciar();
  }
  // What the server wrote on standard error.
  std::string log() const { return ler(pasta_ / "servidor.log"); }

 private:
  static std::string ler(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }

  // Runs argv with standard output and error into files; the exit status.
  static int executar(const std::vector<std::string>& args, const std::filesystem::path& saida,
                      const std::filesystem::path& erros, pid_t* filho = nullptr) {
    pid_t pid = ::fork();
    if (pid == 0) {
      // A test process that dies without its destructor still takes the server down with it.
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      int o = ::open(saida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      int e = ::open(erros.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      int n = ::open("/dev/null", O_RDONLY);
      ::dup2(o, 1);
      ::dup2(e, 2);
      ::dup2(n, 0);
      std::vector<char*> argv;
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    if (pid < 0) throw std::runtime_error("fork falhou");
    if (filho) {
      *filho = pid;
      return 0;
    }
    int st = 0;
    ::waitpid(pid, &st, 0);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }

  std::string operador(const std::vector<std::string>& comando) {
    std::vector<std::string> args = {QUORVEL_SERVICE_BIN, "--data", dados().string()};
    args.insert(args.end(), comando.begin(), comando.end());
    const auto out = pasta_ / "operador.out", err = pasta_ / "operador.err";
    if (executar(args, out, err) != 0)
      throw std::runtime_error("quorvel-service " + comando[0] + " falhou: " + ler(err));
    return ler(out);
  }

  void gerarCertificado() {
    const std::string d = pasta_.string();
    if (executar({QUORVEL_OPENSSL, "req", "-x509", "-newkey", "ec", "-pkeyopt",
                  "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", d + "/key.pem", "-out",
                  d + "/cert.pem", "-days", "30", "-subj", "/CN=localhost", "-addext",
                  "subjectAltName=DNS:localhost,IP:127.0.0.1"},
                 pasta_ / "openssl.out", pasta_ / "openssl.err") != 0)
      throw std::runtime_error("openssl não gerou o certificado: " + ler(pasta_ / "openssl.err"));
  }

  void iniciar() {
    std::vector<std::string> args = {
        QUORVEL_SERVICE_BIN, "--data", dados().string(), "--listen", "127.0.0.1:0", "--min-senders",
        "1",
        // The tests fill shared bases of a million values as one sender: no daily allowance.
        "--user-daily-values", "0"};
    if (tls_)
      args.insert(args.end(),
                  {"--tls-cert", certificado(), "--tls-key", (pasta_ / "key.pem").string()});
    args.insert(args.end(), extras_.begin(), extras_.end());
    const auto saida = pasta_ / "servidor.out";
    std::filesystem::remove(saida);
    executar(args, saida, pasta_ / "servidor.log", &pid_);
    // Ready when it says where it listens: "... escutando em http://127.0.0.1:PORT ...".
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < limite) {
      std::string out = ler(saida);
      size_t at = out.find("://127.0.0.1:");
      if (at != std::string::npos && out.find_first_of(" \n", at + 13) != std::string::npos) {
        porta_ = std::stoi(out.substr(at + 13));
        return;
      }
      int st;
      if (::waitpid(pid_, &st, WNOHANG) == pid_) {
        pid_ = -1;
        throw std::runtime_error("quorvel-service terminou ao iniciar: " + log());
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    throw std::runtime_error("quorvel-service não começou a escutar: " + log());
  }

  bool tls_;
  std::vector<std::string> extras_;
  std::filesystem::path pasta_;
  pid_t pid_ = -1;
  int porta_ = 0;
};

}  // namespace quorvel::testing
