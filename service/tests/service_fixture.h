#pragma once

#include <httplib.h>
#include <sys/types.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quorvel::testing {

// A folder under /tmp removed with its contents at the end of the scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A throwaway PostgreSQL 15 server in a temporary folder, run as the postgres system user
// (the server refuses root); one per test process, started on first use. Each call of
// newDatabase() gives a fresh empty database. Start-up failures throw: a test that needs the
// server fails rather than skips.
class PgServer {
 public:
  static PgServer& instance();
  std::string newDatabase();
  // Stops and starts the server (fast shutdown: clients are disconnected).
  void stop();
  void start();
  ~PgServer();

 private:
  PgServer();
  std::filesystem::path dir_;
  int port_ = 0;
  int databases_ = 0;
};

struct CommandResult {
  int exitCode;
  std::string out;
  std::string err;
};

// Runs quorvel-service with the arguments and waits for it.
CommandResult runService(const std::vector<std::string>& args);

// A quorvel-service server process on a free loopback port.
class ServiceProcess {
 public:
  // extra: options after --data and --listen.
  ServiceProcess(std::filesystem::path dataDir, std::vector<std::string> extra);
  ~ServiceProcess();
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  int port() const { return port_; }
  pid_t pid() const { return pid_; }
  // SIGTERM and wait; returns the exit code.
  int stop();
  // SIGKILL, no chance to clean up.
  void kill9();
  // What the server wrote on standard error so far.
  std::string log() const;

 private:
  std::filesystem::path logFile_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// The options naming the storage under test: "sqlite" (nothing) or "postgresql" (--database).
std::vector<std::string> storageOptions(const std::string& storage);

struct Answer {
  int status = 0;  // 0: no answer
  std::string body;
  httplib::Headers headers;
};

// POSTs the fields, in order, as multipart/form-data to sync.php.
Answer postSync(httplib::Client& client,
                const std::vector<std::pair<std::string, std::string>>& fields);

// Writes raw bytes to the port and reads the answer until the server closes (at most
// timeoutSeconds); returns the whole answer text.
std::string rawExchange(int port, const std::string& request, int timeoutSeconds = 10);

// A raw TCP connection to the server on loopback, from `from` (any 127.x.y.z, so that tests
// can play many clients).
class RawSocket {
 public:
  explicit RawSocket(int port, const std::string& from = "127.0.0.1");
  ~RawSocket();
  RawSocket(const RawSocket&) = delete;
  RawSocket& operator=(const RawSocket&) = delete;

  bool connected() const { return fd_ >= 0; }
  bool send(const std::string& bytes);
  // One whole answer (head and Content-Length body), waiting at most `seconds` for it; empty
  // when none came. Bytes after it stay for the next call.
  std::string readAnswer(int seconds = 10);
  // Everything until the server closes, waiting at most `seconds`; `closed` tells whether it
  // did close.
  std::string readUntilClosed(int seconds, bool* closed = nullptr);
  // True while the server keeps the connection open: nothing shows it closed or reset.
  bool stillOpen();

 private:
  int fd_ = -1;
  std::string pending_;
};

// A multipart/form-data body of the fields, in order.
std::string multipartBody(const std::vector<std::pair<std::string, std::string>>& fields,
                          const std::string& boundary = "XyZ");
// A whole POST to sync.php with that body ("Connection: close" unless keepAlive).
std::string rawPost(const std::string& body,
                    const std::string& contentType = "multipart/form-data; boundary=XyZ",
                    bool keepAlive = false);

int statusOf(const std::string& answer);
std::string bodyOf(const std::string& answer);
// The value of a header of an answer ("" when absent).
std::string headerOf(const std::string& answer, const std::string& name);

// Resident memory of a process, in kB: now (VmRSS) and at its peak so far (VmHWM).
long residentKb(pid_t pid);
long peakResidentKb(pid_t pid);

// A user registered through the command line; returns the key.
std::string addUser(const std::filesystem::path& dataDir, const std::vector<std::string>& storage,
                    const std::string& email);

// Downloads every page of a base (action 3, 5 or 9) and returns the lines.
std::vector<std::string> downloadAll(httplib::Client& client, const std::string& email,
                                     const std::string& key, int action,
                                     const std::string& date = "");

std::vector<std::string> lines(const std::string& text);

}  // namespace quorvel::testing
