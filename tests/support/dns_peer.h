#pragma once
// A real DNS server for tests: dnsmasq on a free loopback port, with no upstream, answering
//   good.test      MX mx.good.test (and any name given to `mxHosts`)
//   aonly.test     an A record only (no MX: NODATA)
//   nullmx.test    the null MX (RFC 7505)
//   alias.test     CNAME to good.test
//   *.test         anything else: NXDOMAIN
//   servfail.test  forwarded to a closed port: a server failure
// plus a silent UDP socket that never answers, for time-outs.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace quorvel::testing {

inline int freePort(int tipo) {
  int fd = ::socket(AF_INET, tipo, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  int porta = ntohs(a.sin_port);
  ::close(fd);
  return porta;
}

class DnsPeer {
 public:
  // `extras`: more dnsmasq options (--srv-host=..., --host-record=...).
  explicit DnsPeer(const std::vector<std::string>& mxHosts = {},
                   const std::vector<std::string>& extras = {}) {
    pasta_ = std::filesystem::temp_directory_path() /
             ("quorvel-dns-" + std::to_string(::getpid()) + "-" + std::to_string(++contador()));
    std::filesystem::create_directories(pasta_);
    // The silent server: bound, never read.
    silencioso_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(silencioso_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(silencioso_, reinterpret_cast<sockaddr*>(&a), &len);
    portaSilenciosa_ = ntohs(a.sin_port);

    for (int tentativa = 0; tentativa < 5 && pid_ <= 0; ++tentativa) iniciar(mxHosts, extras);
    if (pid_ <= 0) throw std::runtime_error("dnsmasq não iniciou");
  }
  ~DnsPeer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    ::close(silencioso_);
    std::error_code ec;
    std::filesystem::remove_all(pasta_, ec);
  }
  DnsPeer(const DnsPeer&) = delete;
  DnsPeer& operator=(const DnsPeer&) = delete;

  std::string server() const { return "127.0.0.1:" + std::to_string(porta_); }
  std::string silentServer() const { return "127.0.0.1:" + std::to_string(portaSilenciosa_); }

 private:
  static int& contador() {
    static int n = 0;
    return n;
  }

  void iniciar(const std::vector<std::string>& mxHosts, const std::vector<std::string>& extras) {
    porta_ = freePort(SOCK_DGRAM);
    std::vector<std::string> args = {"dnsmasq",
                                     "--keep-in-foreground",
                                     "--log-facility=-",
                                     "--conf-file=/dev/null",
                                     "--no-resolv",
                                     "--no-hosts",
                                     "--no-poll",
                                     "--listen-address=127.0.0.1",
                                     "--bind-interfaces",
                                     "--port=" + std::to_string(porta_),
                                     "--pid-file=" + (pasta_ / "dnsmasq.pid").string(),
                                     "--user=root",
                                     "--group=root",
                                     "--local=/test/",
                                     "--mx-host=good.test,mx.good.test,10",
                                     "--host-record=aonly.test,127.0.0.3",
                                     "--dns-rr=nullmx.test,15,000000",
                                     "--cname=alias.test,good.test",
                                     "--server=/servfail.test/127.0.0.1#9"};
    for (const auto& h : mxHosts) args.push_back("--mx-host=" + h + ",mx." + h + ",10");
    args.insert(args.end(), extras.begin(), extras.end());
    pid_t pid = ::fork();
    if (pid == 0) {
      std::string log = (pasta_ / "dnsmasq.log").string();
      FILE* f = std::freopen(log.c_str(), "w", stderr);
      (void)f;
      std::vector<char*> argv;
      for (auto& s : args) argv.push_back(s.data());
      argv.push_back(nullptr);
      ::execv(QUORVEL_DNSMASQ, argv.data());
      ::_exit(127);
    }
    // Ready when the pid file appears; a port taken meanwhile makes it exit: try another. A
    // loaded machine may take long to start it: the wait ends with what the peer does.
    const auto limite = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < limite) {
      int status;
      if (::waitpid(pid, &status, WNOHANG) == pid) return;
      if (std::filesystem::exists(pasta_ / "dnsmasq.pid")) {
        pid_ = pid;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }

  std::filesystem::path pasta_;
  pid_t pid_ = -1;
  int porta_ = 0;
  int silencioso_ = -1;
  int portaSilenciosa_ = 0;
};

}  // namespace quorvel::testing
