#pragma once
// A real IMAP server for tests: Dovecot on loopback, in a temporary folder, on free ports, with
//   a plain listener that offers STARTTLS (none when started without TLS),
//   an implicit-TLS listener,
//   a self-signed certificate for localhost, 127.0.0.1 and *.exemplo.test (certificado()),
//   any user name logging in with the password kSenha (a mailbox is made on first use),
//   messages seeded into Maildir/new, so that they arrive unseen and their sequence numbers
//   follow the seeding order.
// Stopped by its PID and removed with everything in it when the object goes.

#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/dns_peer.h"

namespace quorvel::testing {

class DovecotPeer {
 public:
  // `tls` false: no TLS at all (the plain listener then offers no STARTTLS).
  explicit DovecotPeer(bool tls = true) : tls_(tls) {
    char modelo[] = "/tmp/quorvel-dovecot-XXXXXX";
    if (::mkdtemp(modelo) == nullptr) throw std::runtime_error("mkdtemp falhou");
    pasta_ = modelo;
    // The mail processes run as nobody and walk down to the mailboxes.
    ::chmod(pasta_.c_str(), 0755);
    for (const char* d : {"run", "state", "mail"}) std::filesystem::create_directories(pasta_ / d);
    if (tls_) gerarCertificado();
    for (int tentativa = 0; tentativa < 5 && pid_ <= 0; ++tentativa) iniciar();
    if (pid_ <= 0) {
      std::string log = ler(pasta_ / "dovecot.log");
      std::filesystem::remove_all(pasta_);
      throw std::runtime_error("dovecot não iniciou: " + log);
    }
  }
  ~DovecotPeer() {
    parar();
    std::error_code ec;
    std::filesystem::remove_all(pasta_, ec);
  }
  DovecotPeer(const DovecotPeer&) = delete;
  DovecotPeer& operator=(const DovecotPeer&) = delete;

  int portaPlana() const { return portaPlana_; }
  int portaTls() const { return portaTls_; }
  std::string certificado() const { return (pasta_ / "cert.pem").string(); }
  const std::filesystem::path& pasta() const { return pasta_; }

  static constexpr const char* kSenha = "segredo";

  // The user's mailbox, empty.
  void criarCaixa(const std::string& usuario) { maildir(usuario); }

  // Writes each message as a new file of the user's inbox, in this order.
  void semear(const std::string& usuario, const std::vector<std::string>& mensagens) {
    std::filesystem::path novo = maildir(usuario) / "new";
    for (const auto& m : mensagens) {
      char nome[64];
      std::snprintf(nome, sizeof nome, "%010ld.M%ldP1.quorvel", 1600000000L + sequencia_,
                    sequencia_);
      ++sequencia_;
      std::ofstream(novo / nome, std::ios::binary) << m;
      dono(novo / nome);
    }
  }

  // Messages of the user's inbox on disk (after an EXPUNGE, the ones left).
  size_t quantidade(const std::string& usuario) {
    size_t n = 0;
    for (const char* d : {"new", "cur"})
      for (auto& e : std::filesystem::directory_iterator(maildir(usuario) / d))
        n += e.is_regular_file();
    return n;
  }
  // Maildir flags of the messages in cur/ ("S" seen, "T" deleted), by file name.
  std::vector<std::string> marcas(const std::string& usuario) {
    std::vector<std::string> r;
    for (auto& e : std::filesystem::directory_iterator(maildir(usuario) / "cur")) {
      std::string n = e.path().filename().string();
      size_t p = n.find(":2,");
      r.push_back(p == std::string::npos ? "" : n.substr(p + 3));
    }
    return r;
  }

  // The server and every process it started go at once: asked to stop while it is still starting
  // its helpers, Dovecot waits five seconds for them before it exits.
  void parar() {
    if (pid_ > 0) {
      ::kill(-pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }

 private:
  static bool aceita(int porta) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(porta));
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
  }
  static std::string ler(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }
  static int executar(std::vector<std::string> args) {
    pid_t pid = ::fork();
    if (pid == 0) {
      std::FILE* f = std::freopen("/dev/null", "w", stderr);
      (void)f;
      std::vector<char*> argv;
      for (auto& s : args) argv.push_back(s.data());
      argv.push_back(nullptr);
      ::execvp(argv[0], argv.data());
      ::_exit(127);
    }
    int st = 0;
    ::waitpid(pid, &st, 0);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }

  void gerarCertificado() {
    std::string d = pasta_.string();
    if (executar({QUORVEL_OPENSSL, "req", "-x509", "-newkey", "ec", "-pkeyopt",
                  "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", d + "/key.pem", "-out",
                  d + "/cert.pem", "-days", "30", "-subj", "/CN=localhost", "-addext",
                  "subjectAltName=DNS:localhost,IP:127.0.0.1,DNS:*.exemplo.test"}) != 0)
      throw std::runtime_error("openssl não gerou o certificado");
  }

  void escreverConfiguracao() {
    std::string d = pasta_.string();
    std::ofstream c(pasta_ / "dovecot.conf");
    c << "base_dir = " << d << "/run\nstate_dir = " << d << "/state\nlog_path = " << d
      << "/dovecot.log\nprotocols = imap\nlisten = 127.0.0.1\n"
      << "default_internal_user = dovecot\ndefault_internal_group = dovecot\n"
      << "default_login_user = dovenull\n";
    if (tls_)
      c << "ssl = yes\nssl_cert = <" << d << "/cert.pem\nssl_key = <" << d
        << "/key.pem\nssl_min_protocol = TLSv1.2\n";
    else
      c << "ssl = no\n";
    c << "disable_plaintext_auth = no\nauth_mechanisms = plain login\nauth_failure_delay = 0\n"
      << "passdb {\n  driver = static\n  args = password=" << kSenha
      << "\n}\nuserdb {\n  driver = static\n  args = uid=nobody gid=nogroup home=" << d
      << "/mail/%u\n}\nfirst_valid_uid = 1\nmail_location = maildir:~/Maildir\n"
      << "mail_fsync = never\nservice imap-login {\n  inet_listener imap {\n"
      << "    address = 127.0.0.1\n    port = " << portaPlana_ << "\n  }\n"
      << "  inet_listener imaps {\n    address = 127.0.0.1\n    port = " << (tls_ ? portaTls_ : 0)
      << "\n"
      << (tls_ ? "    ssl = yes\n" : "") << "  }\n}\n";
  }

  void iniciar() {
    portaPlana_ = testing::freePort(SOCK_STREAM);
    portaTls_ = testing::freePort(SOCK_STREAM);
    if (portaTls_ == portaPlana_) return;
    escreverConfiguracao();
    pid_t pid = ::fork();
    if (pid == 0) {
      // A group of its own, which parar() stops whole.
      ::setpgid(0, 0);
      // A test process that dies without its destructor still takes the server down with it.
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      std::FILE* f = std::freopen((pasta_ / "stderr.log").c_str(), "w", stderr);
      (void)f;
      std::string conf = (pasta_ / "dovecot.conf").string();
      ::execl(QUORVEL_DOVECOT, "dovecot", "-c", conf.c_str(), "-F", nullptr);
      ::_exit(127);
    }
    ::setpgid(pid, pid);
    // Ready when both listeners answer; on a loaded machine that may take long.
    const auto limite = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < limite) {
      int status;
      if (::waitpid(pid, &status, WNOHANG) == pid) return;  // a port was taken: try others
      if (aceita(portaPlana_) && (!tls_ || aceita(portaTls_))) {
        pid_ = pid;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(-pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }

  std::filesystem::path maildir(const std::string& usuario) {
    std::filesystem::path casa = pasta_ / "mail" / usuario;
    std::filesystem::path m = casa / "Maildir";
    if (!std::filesystem::exists(m)) {
      for (const char* d : {"new", "cur", "tmp"}) std::filesystem::create_directories(m / d);
      for (const auto& p : {casa, m, m / "new", m / "cur", m / "tmp"}) dono(p);
    }
    return m;
  }
  static void dono(const std::filesystem::path& p) {
    static const uid_t uid = ::getpwnam("nobody")->pw_uid;
    static const gid_t gid = ::getgrnam("nogroup")->gr_gid;
    if (::chown(p.c_str(), uid, gid) != 0) throw std::runtime_error("chown falhou: " + p.string());
  }

  bool tls_;
  std::filesystem::path pasta_;
  pid_t pid_ = -1;
  int portaPlana_ = 0;
  int portaTls_ = 0;
  long sequencia_ = 0;
};

}  // namespace quorvel::testing
