#pragma once

#include <httplib.h>
#include <openssl/ssl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "http_reply.h"
#include "request_framer.h"
#include "worker_pool.h"

namespace quorvel::service {

struct ServerLimits {
  // Request line and headers must be complete within this time of the connection starting to
  // wait for them (its accept, or the end of the previous answer).
  std::chrono::milliseconds headerTimeout{10000};
  // The whole request (line, headers and body) must arrive within this time of its first byte.
  std::chrono::milliseconds requestTimeout{20000};
  // A kept-alive connection without a new request for this long is closed.
  std::chrono::milliseconds keepAliveTimeout{5000};
  // An answer the client takes nothing of for this long is dropped with its connection.
  std::chrono::milliseconds writeTimeout{10000};
  size_t maxBody = 2 * 1024 * 1024;
  size_t maxConnections = 10000;
  size_t maxPerAddress = 64;  // 0: no cap
  // Bytes of requests and answers held in memory for all connections together; past it new
  // work is answered 503 until some is sent.
  size_t bufferBudget = 256 * 1024 * 1024;
  size_t keepAliveMaxCount = 1000;
  int workers = 64;
};

// The HTTP/1.1 server: one event-loop thread accepts connections, reads and frames requests
// and writes answers; the worker threads only ever see whole requests. An idle or slow client
// therefore costs a socket and its buffer, never a worker.
//
// Limits: a header deadline and a whole-request deadline, a cap on connections per client
// address (IPv6: per /64) and in total; when full, the connection idle the longest is closed to
// make room. Framing errors are answered and the connection closed.
class HttpServer {
 public:
  using Handler = std::function<void(const httplib::Request&, Reply&)>;
  // True when the request goes to a worker; false: answered on the event loop (which must
  // then not block: downloads of files, fixed answers).
  using Placement = std::function<bool(const RequestHead&, const std::string& path)>;

  // Takes ownership of tls (may be null for plain HTTP).
  HttpServer(ServerLimits limits, SSL_CTX* tls, Placement placement, Handler handler);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Listens on host:port (port 0: any free one); returns the port, or -1.
  int bind(const std::string& host, int port);
  // Serves until stop(); answers in progress are finished first.
  void run();
  // From any thread.
  void stop();

 private:
  struct Connection;
  struct Completion {
    uint64_t id;
    std::string head;
    std::unique_ptr<FileBody> file;
    bool close;
  };

  void acceptAll();
  void refuse(int fd, const char* why);
  bool evictIdle();
  void handle(Connection& c, uint32_t events);
  void stepHandshake(Connection& c);
  void stepRead(Connection& c);
  void stepWrite(Connection& c);
  void stepLinger(Connection& c);
  void dispatch(Connection& c);
  void answerError(Connection& c, int status, const std::string& reason);
  void startWriting(Connection& c, std::string bytes, std::unique_ptr<FileBody> file, bool close);
  bool refill(Connection& c);
  void responseDone(Connection& c);
  void closeConnection(Connection& c);
  void setEvents(Connection& c, uint32_t events);
  void markIdle(Connection& c, bool idle);
  void account(Connection& c);
  void sweep();
  void takeCompletions();
  void beginStop();
  void complete(Completion done);
  void runOnWorker(uint64_t id, httplib::Request req, bool headOnly, bool close);

  ServerLimits limits_;
  SSL_CTX* tls_;
  Placement placement_;
  Handler handler_;
  int listen_ = -1;
  int epoll_ = -1;
  int wake_ = -1;
  std::atomic<bool> stopRequested_{false};
  bool stopping_ = false;
  std::chrono::steady_clock::time_point stopDeadline_;
  std::chrono::steady_clock::time_point acceptPausedUntil_;
  bool acceptPaused_ = false;

  uint64_t nextId_ = 2;  // 0 and 1 tag the listening socket and the wake-up descriptor
  std::unordered_map<uint64_t, std::unique_ptr<Connection>> connections_;
  std::vector<uint64_t> dead_;
  std::vector<uint64_t> ready_;  // back to reading after an answer
  std::vector<char> readBuffer_ = std::vector<char>(64 * 1024);
  std::list<uint64_t> idle_;  // the connections waiting for a request, longest waiting first
  std::unordered_map<std::string, size_t> perAddress_;
  size_t live_ = 0;
  size_t buffered_ = 0;
  size_t refusedSinceLog_ = 0;
  std::chrono::steady_clock::time_point lastRefusalLog_;

  std::mutex doneMutex_;
  std::vector<Completion> done_;
  std::unique_ptr<WorkerPool> workers_;
};

// A server context from PEM files; throws std::runtime_error with the reason.
SSL_CTX* makeTlsContext(const std::string& certFile, const std::string& keyFile);

}  // namespace quorvel::service
