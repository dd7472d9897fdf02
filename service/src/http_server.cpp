#include "http_server.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "client_socket.h"
#include "log.h"
#include "multipart_form.h"
#include "text_checks.h"

namespace quorvel::service {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint64_t kListenTag = 0;
constexpr uint64_t kWakeTag = 1;
constexpr size_t kReadChunk = 64 * 1024;
constexpr size_t kMaxHeadBytes = 32 * 1024;
constexpr auto kLinger = std::chrono::milliseconds(1000);
constexpr size_t kLingerBytes = 256 * 1024;
constexpr auto kSweepEvery = std::chrono::milliseconds(100);
constexpr auto kStopGrace = std::chrono::seconds(40);
constexpr auto kRefusalLogEvery = std::chrono::seconds(10);

const std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
const std::string kRefusal =
    "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain; charset=utf-8\r\n"
    "Retry-After: 5\r\nConnection: close\r\nContent-Length: 52\r\n\r\n"
    "Serviço ocupado: conexões demais; tente novamente.\n";

enum class Phase { Handshake, Reading, Processing, Writing, Lingering, Closed };

// The client's address as text, and the key its connections are counted under: the address
// itself, or for IPv6 its /64 (one subscriber's usual share).
void describePeer(const sockaddr_storage& sa, std::string& text, int& port, std::string& key) {
  char buffer[INET6_ADDRSTRLEN] = "";
  if (sa.ss_family == AF_INET) {
    const auto* a = reinterpret_cast<const sockaddr_in*>(&sa);
    inet_ntop(AF_INET, &a->sin_addr, buffer, sizeof buffer);
    port = ntohs(a->sin_port);
    text = key = buffer;
    return;
  }
  const auto* a = reinterpret_cast<const sockaddr_in6*>(&sa);
  port = ntohs(a->sin6_port);
  if (IN6_IS_ADDR_V4MAPPED(&a->sin6_addr)) {
    inet_ntop(AF_INET, &a->sin6_addr.s6_addr[12], buffer, sizeof buffer);
    text = key = buffer;
    return;
  }
  inet_ntop(AF_INET6, &a->sin6_addr, buffer, sizeof buffer);
  text = buffer;
  in6_addr prefix = a->sin6_addr;
  std::memset(&prefix.s6_addr[8], 0, 8);
  inet_ntop(AF_INET6, &prefix, buffer, sizeof buffer);
  key = std::string(buffer) + "/64";
}

void logAnswer(int status, const std::string& address, const std::string& method,
               const std::string& path) {
  if (status >= 400 && status != 403 && status != 429) {  // those two log their own lines
    logLine(std::to_string(status) + " " + address + " " + printable(method, 16) + " " +
            printable(path, 120));
  }
}

void fillDefaultText(Reply& reply) {
  if (reply.res.status >= 400 && reply.res.body.empty() && !reply.file) {
    reply.res.set_content(std::string(defaultText(reply.res.status)) + "\n",
                          "text/plain; charset=utf-8");
  }
}

}  // namespace

struct HttpServer::Connection {
  Connection(uint64_t id_, int fd, SSL* ssl, FramingLimits limits)
      : id(id_), socket(fd, ssl), framer(limits) {}

  uint64_t id;
  ClientSocket socket;
  RequestFramer framer;
  std::string address;
  int port = 0;
  std::string addressKey;
  Phase phase = Phase::Reading;
  std::string in;
  std::string out;
  size_t outPos = 0;
  std::unique_ptr<FileBody> file;
  size_t piece = 0;
  bool pieceTextDone = false;
  uint64_t pieceSent = 0;
  bool closeAfter = false;
  bool byteSeen = false;  // a byte of the current request arrived
  bool continueSent = false;
  Clock::time_point waitStart, firstByte, deadline;
  size_t served = 0;
  size_t inFlight = 0;   // body bytes handed to a worker
  size_t accounted = 0;  // what this connection counts in buffered_
  size_t lingered = 0;
  uint32_t events = 0;
  bool idle = false;
  std::list<uint64_t>::iterator idleAt;
  std::string method, path;  // of the request being answered, for the log
};

HttpServer::HttpServer(ServerLimits limits, SSL_CTX* tls, Placement placement, Handler handler)
    : limits_(limits), tls_(tls), placement_(std::move(placement)), handler_(std::move(handler)) {
  epoll_ = epoll_create1(EPOLL_CLOEXEC);
  wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (epoll_ < 0 || wake_ < 0) throw std::runtime_error("epoll indisponível");
  workers_ = std::make_unique<WorkerPool>(limits_.workers);
}

HttpServer::~HttpServer() {
  workers_->stop();
  connections_.clear();
  if (listen_ >= 0) ::close(listen_);
  ::close(wake_);
  ::close(epoll_);
  if (tls_) SSL_CTX_free(tls_);
}

int HttpServer::bind(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.empty() ? nullptr : host.c_str(), std::to_string(port).c_str(), &hints,
                  &found) != 0) {
    return -1;
  }
  for (addrinfo* ai = found; ai && listen_ < 0; ai = ai->ai_next) {
    int s = ::socket(ai->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s < 0) continue;
    int yes = 1;
    // Address reuse only: SO_REUSEPORT would let a second server take half of the connections.
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(s, ai->ai_addr, ai->ai_addrlen) == 0 && ::listen(s, 1024) == 0) {
      listen_ = s;
    } else {
      ::close(s);
    }
  }
  freeaddrinfo(found);
  if (listen_ < 0) return -1;
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
  return addr.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port)
                                    : ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
}

void HttpServer::stop() {
  stopRequested_ = true;
  uint64_t one = 1;
  [[maybe_unused]] auto n = ::write(wake_, &one, sizeof one);
}

void HttpServer::run() {
  epoll_event e{};
  e.events = EPOLLIN;
  e.data.u64 = kListenTag;
  epoll_ctl(epoll_, EPOLL_CTL_ADD, listen_, &e);
  e.data.u64 = kWakeTag;
  epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &e);

  std::vector<epoll_event> events(512);
  auto lastSweep = Clock::now();
  for (;;) {
    int n = epoll_wait(epoll_, events.data(), static_cast<int>(events.size()), 100);
    if (n < 0 && errno != EINTR) {
      logLine(std::string("epoll_wait falhou: ") + std::strerror(errno));
      break;
    }
    for (int i = 0; i < n; ++i) {
      uint64_t tag = events[i].data.u64;
      if (tag == kListenTag) {
        if (!stopping_) acceptAll();
      } else if (tag == kWakeTag) {
        uint64_t count;
        [[maybe_unused]] auto r = ::read(wake_, &count, sizeof count);
        takeCompletions();
      } else if (auto it = connections_.find(tag); it != connections_.end()) {
        if (it->second->phase != Phase::Closed) handle(*it->second, events[i].events);
      }
    }
    while (!ready_.empty()) {
      std::vector<uint64_t> batch;
      batch.swap(ready_);
      for (uint64_t id : batch) {
        auto it = connections_.find(id);
        if (it != connections_.end() && it->second->phase == Phase::Reading) stepRead(*it->second);
      }
    }
    auto now = Clock::now();
    if (now - lastSweep >= kSweepEvery) {
      sweep();
      lastSweep = now;
    }
    if (stopRequested_ && !stopping_) beginStop();
    for (uint64_t id : dead_) connections_.erase(id);
    dead_.clear();
    if (stopping_ && (live_ == 0 || now > stopDeadline_)) break;
  }
  for (auto& [id, c] : connections_) closeConnection(*c);
  connections_.clear();
  workers_->stop();
}

void HttpServer::beginStop() {
  stopping_ = true;
  stopDeadline_ = Clock::now() + kStopGrace;
  if (listen_ >= 0) {
    epoll_ctl(epoll_, EPOLL_CTL_DEL, listen_, nullptr);
    ::close(listen_);
    listen_ = -1;
  }
  for (auto& [id, c] : connections_) {
    if (c->phase == Phase::Processing || c->phase == Phase::Writing) {
      c->closeAfter = true;
    } else {
      closeConnection(*c);
    }
  }
}

void HttpServer::acceptAll() {
  for (int i = 0; i < 256; ++i) {
    sockaddr_storage sa{};
    socklen_t len = sizeof sa;
    int fd = accept4(listen_, reinterpret_cast<sockaddr*>(&sa), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        // Out of descriptors: stop accepting for a moment instead of spinning on the listener.
        logLine(std::string("aceitar conexões: ") + std::strerror(errno));
        epoll_ctl(epoll_, EPOLL_CTL_DEL, listen_, nullptr);
        acceptPaused_ = true;
        acceptPausedUntil_ = Clock::now() + kSweepEvery;
      }
      return;
    }
    std::string address, key;
    int port = 0;
    describePeer(sa, address, port, key);
    auto counted = perAddress_.find(key);
    if (limits_.maxPerAddress > 0 && counted != perAddress_.end() &&
        counted->second >= limits_.maxPerAddress) {
      refuse(fd, "por endereço");
      continue;
    }
    if (live_ >= limits_.maxConnections && !evictIdle()) {
      refuse(fd, "no total");
      continue;
    }
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    SSL* ssl = nullptr;
    if (tls_) {
      ssl = SSL_new(tls_);
      if (!ssl || SSL_set_fd(ssl, fd) != 1) {
        if (ssl) SSL_free(ssl);
        ::close(fd);
        continue;
      }
      SSL_set_accept_state(ssl);
    }
    FramingLimits framing;
    framing.maxHeadBytes = kMaxHeadBytes;
    framing.maxBody = limits_.maxBody;
    auto conn = std::make_unique<Connection>(nextId_++, fd, ssl, framing);
    Connection& c = *conn;
    c.address = std::move(address);
    c.port = port;
    c.addressKey = key;
    c.phase = tls_ ? Phase::Handshake : Phase::Reading;
    c.waitStart = Clock::now();
    c.deadline = c.waitStart + limits_.headerTimeout;
    epoll_event e{};
    e.events = EPOLLIN;
    e.data.u64 = c.id;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &e);
    c.events = EPOLLIN;
    ++perAddress_[key];
    ++live_;
    markIdle(c, true);
    connections_.emplace(c.id, std::move(conn));
  }
}

void HttpServer::refuse(int fd, const char* why) {
  if (!tls_) {
    [[maybe_unused]] auto n =
        ::send(fd, kRefusal.data(), kRefusal.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  }
  ::close(fd);
  if (refusedSinceLog_++ == 0) {
    logLine(std::string("conexão recusada: limite de conexões ") + why + " atingido");
    lastRefusalLog_ = Clock::now();
  }
}

bool HttpServer::evictIdle() {
  if (idle_.empty()) return false;
  closeConnection(*connections_.at(idle_.front()));
  return true;
}

void HttpServer::handle(Connection& c, uint32_t events) {
  if (events & EPOLLERR) {
    closeConnection(c);
    return;
  }
  switch (c.phase) {
    case Phase::Handshake:
      stepHandshake(c);
      break;
    case Phase::Reading:
      stepRead(c);
      break;
    case Phase::Writing:
      stepWrite(c);
      break;
    case Phase::Lingering:
      stepLinger(c);
      break;
    case Phase::Processing:
      if (events & EPOLLHUP) closeConnection(c);  // gone: the answer will be dropped
      break;
    case Phase::Closed:
      break;
  }
}

void HttpServer::stepHandshake(Connection& c) {
  switch (c.socket.handshake()) {
    case ClientSocket::Io::Ok:
      c.phase = Phase::Reading;
      stepRead(c);
      return;
    case ClientSocket::Io::Again:
      setEvents(c, c.socket.waitsFor());
      return;
    default:
      closeConnection(c);
  }
}

void HttpServer::stepRead(Connection& c) {
  const size_t cap = kMaxHeadBytes + limits_.maxBody + kReadChunk;
  bool ended = false;
  while (c.in.size() < cap) {
    // Through one buffer of the loop: a connection's own grows only by what it received.
    size_t got = 0;
    auto io =
        c.socket.read(readBuffer_.data(), std::min(readBuffer_.size(), cap - c.in.size()), got);
    c.in.append(readBuffer_.data(), got);
    if (io == ClientSocket::Io::Ok) continue;
    if (io == ClientSocket::Io::Again) break;
    if (io == ClientSocket::Io::Closed) {
      ended = true;
      break;
    }
    closeConnection(c);
    return;
  }
  if (!c.byteSeen && !c.in.empty()) {
    c.byteSeen = true;
    c.firstByte = Clock::now();
    markIdle(c, false);
  }
  account(c);
  if (!c.byteSeen) {
    if (ended) {
      closeConnection(c);
      return;
    }
    c.deadline = c.waitStart + (c.served == 0 ? limits_.headerTimeout : limits_.keepAliveTimeout);
    markIdle(c, true);
    setEvents(c, c.socket.waitsFor());
    return;
  }
  if (buffered_ > limits_.bufferBudget) {
    answerError(c, 503, "memória de requisições esgotada");
    return;
  }
  auto state = c.framer.feed(c.in);
  account(c);
  if (state == RequestFramer::State::Failed) {
    answerError(c, c.framer.failStatus(), c.framer.failReason());
    return;
  }
  if (state == RequestFramer::State::Complete) {
    dispatch(c);
    return;
  }
  if (ended) {
    answerError(c, 400, "requisição incompleta");
    return;
  }
  if (state == RequestFramer::State::Body && c.framer.head().expectContinue && !c.continueSent) {
    c.continueSent = true;
    size_t wrote = 0;
    if (c.socket.write(kContinue, wrote) != ClientSocket::Io::Ok || wrote != kContinue.size()) {
      closeConnection(c);  // a cut interim answer would garble the final one
      return;
    }
  }
  auto bodyDeadline = c.firstByte + limits_.requestTimeout;
  c.deadline = state == RequestFramer::State::Head
                   ? std::min(c.waitStart + limits_.headerTimeout, bodyDeadline)
                   : bodyDeadline;
  setEvents(c, c.socket.waitsFor());
}

void HttpServer::dispatch(Connection& c) {
  const RequestHead& head = c.framer.head();
  ++c.served;
  bool close = !head.keepAlive || c.served >= limits_.keepAliveMaxCount || stopping_;
  std::string target = head.target;
  if (target.rfind("http://", 0) == 0 || target.rfind("https://", 0) == 0) {  // absolute form
    size_t slash = target.find('/', target.find("//") + 2);
    target = slash == std::string::npos ? "/" : target.substr(slash);
  }
  if (target.front() != '/') {
    answerError(c, 400, "endereço malformado");
    return;
  }
  size_t query = target.find('?');
  httplib::Request req;
  req.method = head.method;
  req.version = head.version;
  req.target = head.target;
  req.path = httplib::detail::decode_url(target.substr(0, query), false);
  if (query != std::string::npos) {
    httplib::detail::parse_query_text(target.substr(query + 1), req.params);
  }
  req.headers = head.headers;
  req.body = std::move(c.framer.body());
  req.remote_addr = c.address;
  req.remote_port = c.port;
  c.method = req.method;
  c.path = req.path;
  bool headOnly = head.method == "HEAD";
  c.phase = Phase::Processing;
  c.closeAfter = close;
  setEvents(c, 0);

  if (placement_(head, req.path)) {
    if (buffered_ + req.body.size() > limits_.bufferBudget) {
      answerError(c, 503, "memória de requisições esgotada");
      return;
    }
    c.inFlight = req.body.size();
    account(c);
    workers_->post([this, id = c.id, r = std::move(req), headOnly, close]() mutable {
      runOnWorker(id, std::move(r), headOnly, close);
    });
    return;
  }
  Reply reply;
  try {
    handler_(req, reply);
  } catch (const std::exception& e) {
    logLine(std::string("erro ao responder: ") + e.what());
    reply = Reply{};
    reply.res.status = 500;
  }
  fillDefaultText(reply);
  logAnswer(reply.res.status, c.address, c.method, c.path);
  bool closeNow = close || reply.res.status == 400;
  std::string bytes = serializeReply(reply, headOnly, closeNow);
  startWriting(c, std::move(bytes), headOnly ? nullptr : std::move(reply.file), closeNow);
}

void HttpServer::runOnWorker(uint64_t id, httplib::Request req, bool headOnly, bool close) {
  Reply reply;
  if (req.is_multipart_form_data()) {
    std::string boundary = multipartBoundary(req.get_header_value("Content-Type"));
    if (boundary.empty() || !parseMultipartFormData(req.body, boundary, req.files)) {
      reply.res.status = 400;
    }
  }
  if (reply.res.status != 400) {
    try {
      handler_(req, reply);
    } catch (const std::exception& e) {
      logLine(std::string("erro ao responder: ") + e.what());
      reply = Reply{};
      reply.res.status = 503;
      reply.res.set_content("Serviço indisponível no momento; tente novamente.",
                            "text/plain; charset=utf-8");
    }
  }
  fillDefaultText(reply);
  logAnswer(reply.res.status, req.remote_addr, req.method, req.path);
  bool closeNow = close || reply.res.status == 400;
  Completion done{id, serializeReply(reply, headOnly, closeNow),
                  headOnly ? nullptr : std::move(reply.file), closeNow};
  {
    std::lock_guard lock(doneMutex_);
    done_.push_back(std::move(done));
  }
  uint64_t one = 1;
  [[maybe_unused]] auto n = ::write(wake_, &one, sizeof one);
}

void HttpServer::takeCompletions() {
  std::vector<Completion> batch;
  {
    std::lock_guard lock(doneMutex_);
    batch.swap(done_);
  }
  for (auto& done : batch) complete(std::move(done));
}

void HttpServer::complete(Completion done) {
  auto it = connections_.find(done.id);
  if (it == connections_.end() || it->second->phase != Phase::Processing) return;  // gone
  Connection& c = *it->second;
  c.inFlight = 0;
  startWriting(c, std::move(done.head), std::move(done.file), done.close);
}

void HttpServer::answerError(Connection& c, int status, const std::string& reason) {
  std::string request;
  if (!c.framer.head().method.empty()) {
    request =
        printable(c.framer.head().method, 16) + " " + printable(c.framer.head().target, 120) + " ";
  }
  logLine(std::to_string(status) + " " + c.address + " " + request + "(" + reason + ")");
  Reply reply;
  reply.res.status = status;
  fillDefaultText(reply);
  if (status == 503) reply.res.set_header("Retry-After", "5");
  c.in.clear();
  markIdle(c, false);
  startWriting(c, serializeReply(reply, false, true), nullptr, true);
}

void HttpServer::startWriting(Connection& c, std::string bytes, std::unique_ptr<FileBody> file,
                              bool close) {
  c.out = std::move(bytes);
  c.outPos = 0;
  c.file = std::move(file);
  c.piece = 0;
  c.pieceTextDone = false;
  c.pieceSent = 0;
  c.closeAfter = close || stopping_;
  c.phase = Phase::Writing;
  c.deadline = Clock::now() + limits_.writeTimeout;
  account(c);
  stepWrite(c);
}

void HttpServer::stepWrite(Connection& c) {
  for (;;) {
    if (c.outPos == c.out.size()) {
      if (!refill(c)) {
        closeConnection(c);
        return;
      }
      if (c.out.empty()) {
        responseDone(c);
        return;
      }
    }
    size_t wrote = 0;
    auto io = c.socket.write(std::string_view(c.out).substr(c.outPos), wrote);
    c.outPos += wrote;
    if (wrote > 0) c.deadline = Clock::now() + limits_.writeTimeout;
    if (io == ClientSocket::Io::Ok) continue;
    if (io == ClientSocket::Io::Again) {
      account(c);
      setEvents(c, c.socket.waitsFor());
      return;
    }
    closeConnection(c);
    return;
  }
}

bool HttpServer::refill(Connection& c) {
  c.out.clear();
  c.outPos = 0;
  if (!c.file) return true;
  auto& pieces = c.file->pieces;
  while (c.piece < pieces.size()) {
    const FileBody::Piece& p = pieces[c.piece];
    if (!c.pieceTextDone) {
      c.pieceTextDone = true;
      if (!p.text.empty()) {
        c.out = p.text;
        return true;
      }
    }
    if (c.pieceSent < p.length) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(kReadChunk, p.length - c.pieceSent));
      c.out.resize(n);
      ssize_t r = ::pread(c.file->fd, c.out.data(), n, static_cast<off_t>(p.offset + c.pieceSent));
      if (r <= 0) return false;  // the file shrank: the announced length cannot be kept
      c.out.resize(static_cast<size_t>(r));
      c.pieceSent += static_cast<uint64_t>(r);
      return true;
    }
    ++c.piece;
    c.pieceTextDone = false;
    c.pieceSent = 0;
  }
  c.file.reset();
  return true;
}

void HttpServer::responseDone(Connection& c) {
  std::string().swap(c.out);
  if (c.closeAfter) {
    c.phase = Phase::Lingering;
    c.in.clear();
    c.socket.closeWrite();
    c.deadline = Clock::now() + kLinger;
    account(c);
    stepLinger(c);
    return;
  }
  c.phase = Phase::Reading;
  c.framer.reset();
  c.continueSent = false;
  c.waitStart = Clock::now();
  c.byteSeen = !c.in.empty();
  c.firstByte = c.waitStart;
  if (c.in.empty()) std::string().swap(c.in);
  account(c);
  ready_.push_back(c.id);  // read on from the loop: pipelined requests must not recurse
}

void HttpServer::stepLinger(Connection& c) {
  size_t dropped = 0;
  auto io = c.socket.discard(kLingerBytes - c.lingered, dropped);
  c.lingered += dropped;
  if (io == ClientSocket::Io::Again && c.lingered < kLingerBytes) {
    setEvents(c, EPOLLIN);
    return;
  }
  closeConnection(c);
}

void HttpServer::closeConnection(Connection& c) {
  if (c.phase == Phase::Closed) return;
  markIdle(c, false);
  epoll_ctl(epoll_, EPOLL_CTL_DEL, c.socket.fd(), nullptr);
  c.phase = Phase::Closed;
  buffered_ -= c.accounted;
  c.accounted = 0;
  auto it = perAddress_.find(c.addressKey);
  if (it != perAddress_.end() && --it->second == 0) perAddress_.erase(it);
  --live_;
  dead_.push_back(c.id);
}

void HttpServer::setEvents(Connection& c, uint32_t events) {
  if (c.events == events) return;
  epoll_event e{};
  e.events = events;
  e.data.u64 = c.id;
  epoll_ctl(epoll_, EPOLL_CTL_MOD, c.socket.fd(), &e);
  c.events = events;
}

void HttpServer::markIdle(Connection& c, bool idle) {
  if (c.idle == idle) return;
  if (idle) {
    c.idleAt = idle_.insert(idle_.end(), c.id);
  } else {
    idle_.erase(c.idleAt);
  }
  c.idle = idle;
}

void HttpServer::account(Connection& c) {
  size_t now = c.in.size() + (c.out.size() - c.outPos) + c.inFlight;
  buffered_ = buffered_ - c.accounted + now;
  c.accounted = now;
}

void HttpServer::sweep() {
  auto now = Clock::now();
  if (acceptPaused_ && now >= acceptPausedUntil_ && listen_ >= 0) {
    epoll_event e{};
    e.events = EPOLLIN;
    e.data.u64 = kListenTag;
    epoll_ctl(epoll_, EPOLL_CTL_ADD, listen_, &e);
    acceptPaused_ = false;
  }
  for (auto& [id, conn] : connections_) {
    Connection& c = *conn;
    if (c.phase == Phase::Closed || c.phase == Phase::Processing || now < c.deadline) continue;
    if (c.phase == Phase::Reading && c.byteSeen) {
      answerError(c, 408, "requisição incompleta no prazo");
    } else {
      closeConnection(c);
    }
  }
  if (refusedSinceLog_ > 1 && now - lastRefusalLog_ >= kRefusalLogEvery) {
    logLine(std::to_string(refusedSinceLog_ - 1) + " outras conexões recusadas pelos limites");
    refusedSinceLog_ = 0;
  }
}

SSL_CTX* makeTlsContext(const std::string& certFile, const std::string& keyFile) {
  SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
  if (!ctx) throw std::runtime_error("OpenSSL: não foi possível criar o contexto TLS");
  SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
  // Idle connections give their buffers back: thousands of them then cost little memory.
  SSL_CTX_set_mode(ctx, SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER | SSL_MODE_ENABLE_PARTIAL_WRITE |
                            SSL_MODE_RELEASE_BUFFERS);
  if (SSL_CTX_use_certificate_chain_file(ctx, certFile.c_str()) != 1) {
    SSL_CTX_free(ctx);
    throw std::runtime_error("certificado TLS ilegível: " + certFile);
  }
  if (SSL_CTX_use_PrivateKey_file(ctx, keyFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
      SSL_CTX_check_private_key(ctx) != 1) {
    SSL_CTX_free(ctx);
    throw std::runtime_error("chave TLS ilegível ou não corresponde ao certificado: " + keyFile);
  }
  return ctx;
}

}  // namespace quorvel::service
