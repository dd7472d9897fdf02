// quorvel-service facing hostile clients, two parts:
//  1. connections: legitimate load (keep-alive clients asking action 2, and a probe sending a
//     batch of 50 domains on a fresh connection every 50 ms, as the desktop program does)
//     measured alone (the baseline) and then with 2,000 idle and 200 slow-header connections
//     held open from other addresses (reopened as soon as the server drops them);
//  2. one-key flood: one user sends new values without end; the server's memory before, after
//     and at its peak.
//   quorvel-service-bench-hostile [--idle 2000] [--slow 200] [--seconds 10] [--clients 16]
//                                 [--flood-values 1000000]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <thread>

#include "latencies.h"
#include "load_client.h"
#include "service_fixture.h"

using namespace quorvel;
using Clock = std::chrono::steady_clock;

namespace {

struct Figures {
  double requestsPerSecond = 0;
  double probeP50 = 0, probeP99 = 0, probeMax = 0;
  size_t probes = 0;
  long failures = 0;
};

// Keep-alive clients asking action 2 as fast as they are answered, and the probe, for `seconds`.
Figures measure(int port, const std::vector<std::string>& keys, int clients, int seconds) {
  std::atomic<bool> done{false};
  std::atomic<long> requests{0}, failures{0};
  bench::Latencies probe;
  std::vector<std::thread> threads;
  auto email = [](size_t i) { return "cliente" + std::to_string(i) + "@bench.com.br"; };
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back([&, c] {
      bench::LoadClient client(port);
      while (!done) {
        auto a = client.sync({{"email", email(c)}, {"chave", keys[c]}, {"action", "2"}});
        if (a.body == "sim") {
          ++requests;
        } else {
          ++failures;
        }
      }
    });
  }
  threads.emplace_back([&] {
    static std::atomic<int> batch{0};
    std::vector<double> mine;
    size_t who = keys.size() - 1;
    while (!done) {
      std::string dados;
      int b = batch++;
      for (int i = 0; i < 50; ++i) {
        dados += "sonda" + std::to_string(b) + "-" + std::to_string(i) + ".com.br;";
      }
      bench::LoadClient fresh(port);  // one connection per request
      auto s = Clock::now();
      auto a = fresh.sync(
          {{"email", email(who)}, {"chave", keys[who]}, {"action", "1"}, {"dados", dados}});
      mine.push_back(bench::msSince(s));
      if (a.body != "inseriu") ++failures;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    probe.add(mine);
  });
  auto start = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  long counted = requests;
  double elapsed = bench::msSince(start) / 1000;
  done = true;
  for (auto& t : threads) t.join();
  Figures f;
  f.requestsPerSecond = static_cast<double>(counted) / elapsed;
  f.probeP50 = probe.percentile(0.5);
  f.probeP99 = probe.percentile(0.99);
  f.probeMax = probe.max();
  f.probes = probe.ms.size();
  f.failures = failures;
  return f;
}

// Idle and slow-header connections from 127.0.2.x and 127.0.3.x, each reopened as soon as the
// server drops it; the slow ones send one more byte of an endless header every half second.
class Attackers {
 public:
  Attackers(int port, int idle, int slow) : port_(port) {
    for (int i = 0; i < idle; ++i)
      sockets_.push_back({-1, false, "127.0.2." + std::to_string(1 + i % 50)});
    for (int i = 0; i < slow; ++i)
      sockets_.push_back({-1, true, "127.0.3." + std::to_string(1 + i % 10)});
    for (auto& s : sockets_) open(s);
    thread_ = std::thread([this] { run(); });
  }
  ~Attackers() {
    stop_ = true;
    thread_.join();
    for (auto& s : sockets_) {
      if (s.fd >= 0) ::close(s.fd);
    }
  }
  long reopened() const { return reopened_; }
  // The fewest of each kind found open at once since the last call.
  std::pair<int, int> fewestOpen() {
    auto r = std::make_pair(fewestIdle_.load(), fewestSlow_.load());
    fewestIdle_ = fewestSlow_ = 1 << 30;
    return r;
  }

 private:
  struct Socket {
    int fd;
    bool slow;
    std::string from;
  };

  void open(Socket& s) {
    s.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{}, remote{};
    local.sin_family = remote.sin_family = AF_INET;
    inet_pton(AF_INET, s.from.c_str(), &local.sin_addr);
    remote.sin_port = htons(static_cast<uint16_t>(port_));
    remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(s.fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(s.fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
      ::close(s.fd);
      s.fd = -1;
      return;
    }
    if (s.slow) {
      static const std::string head =
          "POST /quorvel/bin/sync.php HTTP/1.1\r\nHost: x\r\nX-Devagar: ";
      ::send(s.fd, head.data(), head.size(), MSG_NOSIGNAL);
    }
  }

  void run() {
    auto nextByte = Clock::now();
    std::vector<pollfd> polls(sockets_.size());
    while (!stop_) {
      for (size_t i = 0; i < sockets_.size(); ++i) polls[i] = {sockets_[i].fd, POLLIN, 0};
      ::poll(polls.data(), polls.size(), 100);
      int idleOpen = 0, slowOpen = 0;
      for (size_t i = 0; i < sockets_.size(); ++i) {
        Socket& s = sockets_[i];
        if (s.fd >= 0 && polls[i].revents != 0) {  // an answer (408) or the close
          ::close(s.fd);
          s.fd = -1;
        }
        if (s.fd < 0) {
          open(s);
          ++reopened_;
        }
        if (s.fd >= 0) ++(s.slow ? slowOpen : idleOpen);
      }
      fewestIdle_ = std::min(fewestIdle_.load(), idleOpen);
      fewestSlow_ = std::min(fewestSlow_.load(), slowOpen);
      if (Clock::now() >= nextByte) {
        for (auto& s : sockets_) {
          if (s.slow && s.fd >= 0) ::send(s.fd, "a", 1, MSG_NOSIGNAL);
        }
        nextByte = Clock::now() + std::chrono::milliseconds(500);
      }
    }
  }

  int port_;
  std::vector<Socket> sockets_;
  std::atomic<bool> stop_{false};
  std::atomic<long> reopened_{0};
  std::atomic<int> fewestIdle_{1 << 30}, fewestSlow_{1 << 30};
  std::thread thread_;
};

void printFigures(const char* name, const Figures& f) {
  std::printf("%s_req_per_s %.0f req/s (action 2, keep-alive clients; %ld failures)\n", name,
              f.requestsPerSecond, f.failures);
  std::printf(
      "%s_sync_latency_ms p50 %.1f p99 %.1f max %.1f (%zu sends of 50 domains, "
      "fresh connection each)\n",
      name, f.probeP50, f.probeP99, f.probeMax, f.probes);
}

}  // namespace

int main(int argc, char** argv) {
  int idle = 2000, slow = 200, seconds = 10, clients = 16;
  long floodValues = 1000000;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string a = argv[i];
    long v = std::atol(argv[i + 1]);
    if (a == "--idle") idle = static_cast<int>(v);
    if (a == "--slow") slow = static_cast<int>(v);
    if (a == "--seconds") seconds = static_cast<int>(v);
    if (a == "--clients") clients = static_cast<int>(v);
    if (a == "--flood-values") floodValues = v;
  }
  try {
    testing::TempDir dir;
    auto data = dir.path() / "dados";
    std::vector<std::string> keys;
    for (int c = 0; c <= clients; ++c) {
      keys.push_back(testing::addUser(data, {}, "cliente" + std::to_string(c) + "@bench.com.br"));
    }
    {
      testing::ServiceProcess server(data, {});
      Figures base = measure(server.port(), keys, clients, seconds);
      long rssBase = testing::residentKb(server.pid());
      Figures hostile;
      std::pair<int, int> fewest;
      long reopened = 0, rssHostile = 0;
      {
        Attackers attackers(server.port(), idle, slow);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        attackers.fewestOpen();
        hostile = measure(server.port(), keys, clients, seconds);
        fewest = attackers.fewestOpen();
        reopened = attackers.reopened();
        rssHostile = testing::residentKb(server.pid());
      }
      std::printf(
          "hostile_connections idle %d slow %d (fewest open at once while measuring: "
          "idle %d, slow %d; reopened %ld times)\n",
          idle, slow, fewest.first, fewest.second, reopened);
      std::printf("server_rss_kb after baseline %ld, with the hostile connections open %ld\n",
                  rssBase, rssHostile);
      printFigures("baseline", base);
      printFigures("hostile", hostile);
      std::printf("ratio_req_per_s_hostile_vs_baseline %.2f\n",
                  hostile.requestsPerSecond / base.requestsPerSecond);
      std::printf("ratio_sync_p99_hostile_vs_baseline %.2f\n", hostile.probeP99 / base.probeP99);
      bool met = hostile.probeMax < 1000 && hostile.requestsPerSecond >= 2000;
      std::printf("target sync answer within 1 s and >= 2000 req/s under attack: %s\n",
                  met ? "met" : "MISSED");
    }

    // One key floods new values; nothing reaches a second sender, so all of it waits on disk.
    testing::ServiceProcess server(data, {"--user-daily-values", "0"});
    bench::LoadClient client(server.port());
    constexpr int kBatch = 2000;
    long before = 0;
    auto start = Clock::now();
    for (long sent = 0; sent < floodValues; sent += kBatch) {
      std::string dados;
      for (int i = 0; i < kBatch; ++i) {
        dados += "inundacao" + std::to_string(sent + i) + "@exemplo-" +
                 std::to_string((sent + i) % 997) + ".com.br;";
      }
      auto a = client.sync({{"email", "cliente0@bench.com.br"},
                            {"chave", keys[0]},
                            {"action", "8"},
                            {"dados", dados}});
      if (a.body != "inseriu") throw std::runtime_error("inundação: " + a.body);
      if (sent == 100000) before = testing::residentKb(server.pid());
    }
    double floodSeconds = bench::msSince(start) / 1000;
    long after = testing::residentKb(server.pid());
    long peak = testing::peakResidentKb(server.pid());
    std::printf("flood_one_key_values %ld in %.1f s (%.0f values/s)\n", floodValues, floodSeconds,
                static_cast<double>(floodValues) / floodSeconds);
    std::printf("flood_server_rss_kb after_100000 %ld, at_end %ld, peak %ld\n", before, after,
                peak);
    std::printf("flood_server_rss_growth_kb %ld (over the last %ld values)\n", after - before,
                floodValues - 100000);
    std::printf(
        "flood_database_mb %.1f\n",
        static_cast<double>(std::filesystem::file_size(data / "quorvel-service.db") +
                            (std::filesystem::exists(data / "quorvel-service.db-wal")
                                 ? std::filesystem::file_size(data / "quorvel-service.db-wal")
                                 : 0)) /
            1e6);
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "quorvel-service-bench-hostile: " << e.what() << "\n";
    return 1;
  }
}
