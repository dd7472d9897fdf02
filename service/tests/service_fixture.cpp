#include "service_fixture.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace quorvel::testing {
namespace {

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int freePort() {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(s);
  return ntohs(addr.sin_port);
}

// Runs argv with stdout and stderr into files; returns the pid.
pid_t spawn(const std::vector<std::string>& argv, const fs::path& out, const fs::path& err) {
  pid_t pid = ::fork();
  if (pid == 0) {
    int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(o, 1);
    ::dup2(e, 2);
    int devnull = ::open("/dev/null", O_RDONLY);
    ::dup2(devnull, 0);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  if (pid < 0) throw std::runtime_error("fork falhou");
  return pid;
}

int waitExit(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + WTERMSIG(status);
}

int runQuiet(const std::vector<std::string>& argv, std::string* err = nullptr) {
  TempDir d;
  int rc = waitExit(spawn(argv, d.path() / "out", d.path() / "err"));
  if (err) *err = readFile(d.path() / "out") + readFile(d.path() / "err");
  return rc;
}

}  // namespace

TempDir::TempDir() {
  char pattern[] = "/tmp/quorvel-service-test-XXXXXX";
  if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp falhou");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

PgServer& PgServer::instance() {
  static PgServer server;
  return server;
}

PgServer::PgServer() {
  const std::string bin = QUORVEL_PG_BINDIR;
  if (!fs::exists(bin + "/initdb")) {
    throw std::runtime_error("PostgreSQL 15 não instalado (" + bin +
                             "): rode scripts/install-deps.sh");
  }
  if (::getpwnam("postgres") == nullptr) throw std::runtime_error("usuário postgres não existe");
  char pattern[] = "/tmp/quorvel-pg-XXXXXX";
  if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp falhou");
  dir_ = pattern;
  std::string err;
  if (runQuiet({"/usr/bin/chown", "postgres:postgres", dir_.string()}, &err) != 0) {
    throw std::runtime_error("chown falhou: " + err);
  }
  port_ = freePort();
  std::vector<std::string> asPostgres = {"/usr/sbin/runuser", "-u", "postgres", "--"};
  auto as = [&](std::vector<std::string> cmd) {
    cmd.insert(cmd.begin(), asPostgres.begin(), asPostgres.end());
    return cmd;
  };
  if (runQuiet(as({bin + "/initdb", "-D", (dir_ / "data").string(), "-A", "trust", "-U", "quorvel",
                   "--no-sync"}),
               &err) != 0) {
    throw std::runtime_error("initdb falhou: " + err);
  }
  start();
}

void PgServer::start() {
  std::string err;
  std::string serverOptions =
      "-p " + std::to_string(port_) + " -k " + dir_.string() + " -c listen_addresses=127.0.0.1";
  if (runQuiet({"/usr/sbin/runuser", "-u", "postgres", "--",
                std::string(QUORVEL_PG_BINDIR) + "/pg_ctl", "-D", (dir_ / "data").string(), "-o",
                serverOptions, "-l", (dir_ / "log").string(), "-w", "start"},
               &err) != 0) {
    throw std::runtime_error("pg_ctl start falhou: " + err + readFile(dir_ / "log"));
  }
}

void PgServer::stop() {
  std::string err;
  if (runQuiet(
          {"/usr/sbin/runuser", "-u", "postgres", "--", std::string(QUORVEL_PG_BINDIR) + "/pg_ctl",
           "-D", (dir_ / "data").string(), "-m", "fast", "-w", "stop"},
          &err) != 0) {
    throw std::runtime_error("pg_ctl stop falhou: " + err);
  }
}

PgServer::~PgServer() {
  runQuiet({"/usr/sbin/runuser", "-u", "postgres", "--", std::string(QUORVEL_PG_BINDIR) + "/pg_ctl",
            "-D", (dir_ / "data").string(), "-m", "immediate", "-w", "stop"});
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

std::string PgServer::newDatabase() {
  std::string name = "t" + std::to_string(++databases_);
  std::string err;
  std::string base = "postgresql://quorvel@127.0.0.1:" + std::to_string(port_);
  if (runQuiet({"/usr/bin/psql", base + "/postgres", "-q", "-c", "CREATE DATABASE " + name},
               &err) != 0) {
    throw std::runtime_error("CREATE DATABASE falhou: " + err);
  }
  return base + "/" + name;
}

CommandResult runService(const std::vector<std::string>& args) {
  TempDir d;
  std::vector<std::string> argv = {QUORVEL_SERVICE_BIN};
  argv.insert(argv.end(), args.begin(), args.end());
  int rc = waitExit(spawn(argv, d.path() / "out", d.path() / "err"));
  return {rc, readFile(d.path() / "out"), readFile(d.path() / "err")};
}

ServiceProcess::ServiceProcess(fs::path dataDir, std::vector<std::string> extra) {
  fs::create_directories(dataDir);
  logFile_ = dataDir.parent_path() / (dataDir.filename().string() + "-server.log");
  fs::path outFile = dataDir.parent_path() / (dataDir.filename().string() + "-server.out");
  std::vector<std::string> argv = {QUORVEL_SERVICE_BIN, "--data", dataDir.string(), "--listen",
                                   "127.0.0.1:0"};
  argv.insert(argv.end(), extra.begin(), extra.end());
  fs::remove(outFile);  // a previous server's port must not be read
  pid_ = spawn(argv, outFile, logFile_);
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < until) {
    std::string out = readFile(outFile);
    size_t at = out.find("://127.0.0.1:");
    if (at != std::string::npos && out.find(' ', at + 13) != std::string::npos) {
      port_ = std::stoi(out.substr(at + 13));
      return;
    }
    int status;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      throw std::runtime_error("o servidor terminou ao iniciar: " + readFile(logFile_));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  throw std::runtime_error("o servidor não começou a escutar: " + readFile(logFile_));
}

ServiceProcess::~ServiceProcess() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    waitExit(pid_);
  }
}

int ServiceProcess::stop() {
  ::kill(pid_, SIGTERM);
  int rc = waitExit(pid_);
  pid_ = -1;
  return rc;
}

void ServiceProcess::kill9() {
  ::kill(pid_, SIGKILL);
  waitExit(pid_);
  pid_ = -1;
}

std::string ServiceProcess::log() const {
  return readFile(logFile_);
}

std::vector<std::string> storageOptions(const std::string& storage) {
  if (storage == "postgresql") return {"--database", PgServer::instance().newDatabase()};
  return {};
}

Answer postSync(httplib::Client& client,
                const std::vector<std::pair<std::string, std::string>>& fields) {
  httplib::MultipartFormDataItems items;
  for (const auto& [name, value] : fields) items.push_back({name, value, "", ""});
  auto r = client.Post("/quorvel/bin/sync.php", items);
  if (!r) return {};
  return {r->status, r->body, r->headers};
}

std::string rawExchange(int port, const std::string& request, int timeoutSeconds) {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(s);
    return {};
  }
  for (size_t off = 0; off < request.size();) {
    ssize_t n = ::send(s, request.data() + off, request.size() - off, MSG_NOSIGNAL);
    if (n <= 0) break;
    off += static_cast<size_t>(n);
  }
  ::shutdown(s, SHUT_WR);
  std::string answer;
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  char buffer[65536];
  while (std::chrono::steady_clock::now() < until) {
    pollfd p{s, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    ssize_t n = ::recv(s, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    answer.append(buffer, static_cast<size_t>(n));
  }
  ::close(s);
  return answer;
}

RawSocket::RawSocket(int port, const std::string& from) {
  int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  inet_pton(AF_INET, from.c_str(), &local.sin_addr);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      ::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(s);
    return;
  }
  fd_ = s;
}

RawSocket::~RawSocket() {
  if (fd_ >= 0) ::close(fd_);
}

bool RawSocket::send(const std::string& bytes) {
  for (size_t off = 0; off < bytes.size();) {
    ssize_t n = ::send(fd_, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
    if (n <= 0) return false;
    off += static_cast<size_t>(n);
  }
  return true;
}

std::string RawSocket::readAnswer(int seconds) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  char buffer[65536];
  for (;;) {
    size_t end = pending_.find("\r\n\r\n");
    if (end != std::string::npos) {
      std::string length = headerOf(pending_.substr(0, end + 2), "Content-Length");
      size_t total = end + 4 + (length.empty() ? 0 : std::stoul(length));
      if (pending_.size() >= total) {
        std::string answer = pending_.substr(0, total);
        pending_.erase(0, total);
        return answer;
      }
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        until - std::chrono::steady_clock::now());
    pollfd p{fd_, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return {};
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) return {};
    pending_.append(buffer, static_cast<size_t>(n));
  }
}

std::string RawSocket::readUntilClosed(int seconds, bool* closed) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  std::string all;
  all.swap(pending_);
  char buffer[65536];
  if (closed) *closed = false;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        until - std::chrono::steady_clock::now());
    pollfd p{fd_, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return all;
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) {
      if (closed) *closed = true;
      return all;
    }
    all.append(buffer, static_cast<size_t>(n));
  }
}

bool RawSocket::stillOpen() {
  pollfd p{fd_, POLLIN | POLLRDHUP, 0};
  if (::poll(&p, 1, 0) == 0) return true;
  if (p.revents & (POLLHUP | POLLERR | POLLRDHUP)) return false;
  char c;
  return ::recv(fd_, &c, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
}

std::string multipartBody(const std::vector<std::pair<std::string, std::string>>& fields,
                          const std::string& boundary) {
  std::string body;
  for (const auto& [name, value] : fields) {
    body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" +
            value + "\r\n";
  }
  return body + "--" + boundary + "--\r\n";
}

std::string rawPost(const std::string& body, const std::string& contentType, bool keepAlive) {
  return std::string("POST /quorvel/bin/sync.php HTTP/1.1\r\nHost: x\r\n") +
         (keepAlive ? "" : "Connection: close\r\n") + "Content-Type: " + contentType +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

int statusOf(const std::string& answer) {
  return answer.size() > 12 && answer.rfind("HTTP/1.", 0) == 0 ? std::atoi(answer.c_str() + 9) : 0;
}

std::string bodyOf(const std::string& answer) {
  size_t at = answer.find("\r\n\r\n");
  return at == std::string::npos ? "" : answer.substr(at + 4);
}

std::string headerOf(const std::string& answer, const std::string& name) {
  std::string head = answer.substr(0, answer.find("\r\n\r\n"));
  std::istringstream in(head);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t colon = line.find(':');
    if (colon == std::string::npos || colon != name.size()) continue;
    bool same = std::equal(name.begin(), name.end(), line.begin(),
                           [](char a, char b) { return std::tolower(a) == std::tolower(b); });
    if (same) return line.substr(line.find_first_not_of(' ', colon + 1));
  }
  return {};
}

namespace {

long statusField(pid_t pid, const std::string& field) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + field.size());
  }
  return 0;
}

}  // namespace

long residentKb(pid_t pid) {
  return statusField(pid, "VmRSS:");
}

long peakResidentKb(pid_t pid) {
  return statusField(pid, "VmHWM:");
}

std::string addUser(const fs::path& dataDir, const std::vector<std::string>& storage,
                    const std::string& email) {
  std::vector<std::string> args = {"--data", dataDir.string()};
  args.insert(args.end(), storage.begin(), storage.end());
  args.insert(args.end(), {"user", "add", email});
  auto r = runService(args);
  if (r.exitCode != 0) throw std::runtime_error("user add falhou: " + r.err);
  return std::string(r.out.substr(0, r.out.find('\n')));
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) out.push_back(line);
  }
  return out;
}

std::vector<std::string> downloadAll(httplib::Client& client, const std::string& email,
                                     const std::string& key, int action, const std::string& date) {
  std::vector<std::string> all;
  for (int page = 0; page <= 10; ++page) {
    std::vector<std::pair<std::string, std::string>> fields = {
        {"email", email}, {"chave", key}, {"page", std::to_string(page)}};
    if (!date.empty()) fields.push_back({"date", date});
    fields.push_back({"action", std::to_string(action)});
    Answer a = postSync(client, fields);
    if (a.status != 200) throw std::runtime_error("download falhou: " + a.body);
    auto got = lines(a.body);
    all.insert(all.end(), got.begin(), got.end());
    if (got.empty()) break;
  }
  return all;
}

}  // namespace quorvel::testing
