// Load benchmark of quorvel-service: concurrent clients sending batches of domains and
// downloading pages, on SQLite or on a throwaway PostgreSQL server; afterwards every domain
// sent must be offered exactly once. The baseline, measured in the same run, is the cheapest
// authenticated request (action 2), which touches no storage.
//   quorvel-service-bench --storage sqlite|postgresql [--clients 50] [--batches 200]
//                         [--batch-size 250]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <unordered_map>

#include <unistd.h>

#include "dates.h"
#include "latencies.h"
#include "load_client.h"
#include "service_fixture.h"

using namespace quorvel;
using Clock = std::chrono::steady_clock;
using bench::Latencies;
using bench::msSince;

namespace {

std::string domain(int pair, int batch, int i) {
  return "p" + std::to_string(pair) + "-b" + std::to_string(batch) + "-i" + std::to_string(i) +
         ".com.br";
}

// CPU seconds (user + system) a process has used so far.
double cpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), {});
  size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(text.substr(close + 2));
  std::string f;
  long ticks = 0;
  for (int i = 3; i <= 15 && fields >> f; ++i) {
    if (i == 14 || i == 15) ticks += std::atol(f.c_str());
  }
  return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// CPU seconds the whole machine has been busy so far.
double machineBusySeconds() {
  std::ifstream in("/proc/stat");
  std::string cpu;
  long user, nice, system, idle, iowait, irq, softirq;
  in >> cpu >> user >> nice >> system >> idle >> iowait >> irq >> softirq;
  return static_cast<double>(user + nice + system + irq + softirq) /
         static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace

int main(int argc, char** argv) {
  std::string storageName = "sqlite";
  int clients = 50, batches = 200, batchSize = 250;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string a = argv[i];
    if (a == "--storage")
      storageName = argv[i + 1];
    else if (a == "--clients")
      clients = std::atoi(argv[i + 1]);
    else if (a == "--batches")
      batches = std::atoi(argv[i + 1]);
    else if (a == "--batch-size")
      batchSize = std::atoi(argv[i + 1]);
  }
  clients = std::max(2, clients - clients % 2);  // clients work in pairs
  try {
    testing::TempDir dir;
    auto data = dir.path() / "dados";
    auto storage = testing::storageOptions(storageName);
    std::vector<std::string> keys(clients);
    for (int c = 0; c < clients; ++c) {
      keys[c] = testing::addUser(data, storage, "cliente" + std::to_string(c) + "@bench.com.br");
    }
    auto server = std::make_unique<testing::ServiceProcess>(data, storage);
    int port = server->port();
    auto email = [](int c) { return "cliente" + std::to_string(c) + "@bench.com.br"; };

    // Baseline: action 2 only.
    Latencies base;
    auto t0 = Clock::now();
    {
      std::vector<std::thread> threads;
      for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
          bench::LoadClient client(port);
          std::vector<double> mine;
          for (int b = 0; b < batches; ++b) {
            auto s = Clock::now();
            auto a = client.sync({{"email", email(c)}, {"chave", keys[c]}, {"action", "2"}});
            mine.push_back(msSince(s));
            if (a.body != "sim") throw std::runtime_error("action 2: " + a.body);
          }
          base.add(mine);
        });
      }
      for (auto& t : threads) t.join();
    }
    double baseSeconds = msSince(t0) / 1000;
    double baseRate = clients * batches / baseSeconds;

    // Load: clients 2p and 2p+1 send the same domains (so each reaches the two senders the
    // guard asks for), even batches as domains with a mail server (action 1), odd ones
    // without (action 4). Every tenth client downloads a page after every 50 batches.
    Latencies sync, downloads;
    std::atomic<long> failures{0}, downloadBytes{0};
    std::string today = service::todayUtc();
    double serverCpu0 = cpuSeconds(server->pid()), selfCpu0 = cpuSeconds(getpid());
    double busy0 = machineBusySeconds();
    t0 = Clock::now();
    {
      std::vector<std::thread> threads;
      for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&, c] {
          bench::LoadClient client(port);
          std::vector<double> mine, mineDl;
          int pair = c / 2;
          for (int b = 0; b < batches; ++b) {
            std::string dados;
            dados.reserve(static_cast<size_t>(batchSize) * 28);
            for (int i = 0; i < batchSize; ++i) {
              int j = c % 2 ? batchSize - 1 - i : i;
              dados += domain(pair, b, j) + ";";
            }
            auto s = Clock::now();
            auto a = client.sync({{"email", email(c)},
                                  {"chave", keys[c]},
                                  {"action", b % 2 ? "4" : "1"},
                                  {"dados", dados}});
            mine.push_back(msSince(s));
            if (a.body != "inseriu") ++failures;
            if (c % 10 == 0 && b % 50 == 49) {
              auto d = Clock::now();
              auto p = client.sync({{"email", email(c)},
                                    {"chave", keys[c]},
                                    {"page", "0"},
                                    {"date", today},
                                    {"action", b % 100 == 49 ? "3" : "5"}});
              mineDl.push_back(msSince(d));
              if (p.status != 200) ++failures;
              downloadBytes += static_cast<long>(p.body.size());
            }
          }
          sync.add(mine);
          downloads.add(mineDl);
        });
      }
      for (auto& t : threads) t.join();
    }
    double loadSeconds = msSince(t0) / 1000;
    double serverCpu = cpuSeconds(server->pid()) - serverCpu0;
    double selfCpu = cpuSeconds(getpid()) - selfCpu0;
    double busy = machineBusySeconds() - busy0;
    double syncRate = static_cast<double>(clients) * batches / loadSeconds;

    // Every domain sent is offered exactly once.
    httplib::Client check("127.0.0.1", port);
    check.set_read_timeout(120, 0);
    size_t offered = 0, repeated = 0, missing = 0, unknown = 0;
    for (int action : {3, 5}) {
      auto rows = testing::downloadAll(check, email(0), keys[0], action);
      offered += rows.size();
      std::set<std::string> seen;
      for (auto& r : rows) {
        if (!seen.insert(r).second) ++repeated;
      }
      for (int pair = 0; pair < clients / 2; ++pair) {
        for (int b = action == 3 ? 0 : 1; b < batches; b += 2) {
          for (int i = 0; i < batchSize; ++i) {
            if (!seen.erase(domain(pair, b, i))) ++missing;
          }
        }
      }
      unknown += seen.size();
    }
    long rss = testing::peakResidentKb(server->pid());
    server->stop();

    size_t sent = static_cast<size_t>(clients / 2) * batches * batchSize;
    std::cout << "service_storage " << storageName << "\n"
              << "service_clients " << clients << " batches_per_client " << batches
              << " domains_per_batch " << batchSize << "\n";
    std::printf("baseline_action2_req_per_s %.0f req/s (p50 %.2f ms, p99 %.2f ms)\n", baseRate,
                base.percentile(0.5), base.percentile(0.99));
    std::printf("sync_req_per_s %.0f req/s (%.0f domains/s)\n", syncRate, syncRate * batchSize);
    std::printf("sync_latency_p50_ms %.2f\nsync_latency_p99_ms %.2f\n", sync.percentile(0.5),
                sync.percentile(0.99));
    std::printf("ratio_sync_vs_action2 %.2f\n", syncRate / baseRate);
    std::printf("page_downloads %zu (p50 %.1f ms, p99 %.1f ms, %.1f MB)\n", downloads.ms.size(),
                downloads.percentile(0.5), downloads.percentile(0.99),
                static_cast<double>(downloadBytes) / 1e6);
    std::printf("sync_failures %ld\n", failures.load());
    std::printf(
        "verify_distinct_domains_sent %zu offered %zu missing %zu repeated %zu unknown %zu\n", sent,
        offered, missing, repeated, unknown);
    std::printf("server_peak_rss %ld KB\n", rss);
    std::printf(
        "load_cpu_seconds machine %.1f (of %.1f s x %ld cores), server %.1f, "
        "load_generator %.1f, other (database server, system) %.1f\n",
        busy, loadSeconds, sysconf(_SC_NPROCESSORS_ONLN), serverCpu, selfCpu,
        busy - serverCpu - selfCpu);
    bool ok = failures == 0 && missing == 0 && repeated == 0 && unknown == 0 && offered == sent;
    std::printf("verify %s\n", ok ? "ok" : "FALHOU");
    return ok ? 0 : 1;
  } catch (const std::exception& e) {
    std::cerr << "quorvel-service-bench: " << e.what() << "\n";
    return 1;
  }
}
