// A server killed with SIGKILL in the middle of a load loses nothing it acknowledged.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include "service_fixture.h"

namespace quorvel::testing {
namespace {

class DurabilityTest : public ::testing::TestWithParam<std::string> {};

TEST_P(DurabilityTest, EveryBatchAnsweredInseriuSurvivesAKill9) {
  TempDir dir;
  auto data = dir.path() / "dados";
  auto storage = storageOptions(GetParam());
  std::vector<std::string> keys;
  for (int u = 0; u < 4; ++u)
    keys.push_back(addUser(data, storage, "u" + std::to_string(u) + "@x.com"));
  std::vector<std::string> options = {"--min-senders", "1"};
  options.insert(options.end(), storage.begin(), storage.end());
  auto server = std::make_unique<ServiceProcess>(data, options);
  int port = server->port();

  std::mutex mutex;
  std::set<std::string> acknowledged;
  std::atomic<bool> stop{false};
  std::vector<std::thread> clients;
  for (int u = 0; u < 4; ++u) {
    clients.emplace_back([&, u] {
      httplib::Client c("127.0.0.1", port);
      c.set_read_timeout(5, 0);
      for (int b = 0; !stop && b < 100000; ++b) {
        std::string dados;
        std::vector<std::string> batch;
        for (int i = 0; i < 50; ++i) {
          batch.push_back("d" + std::to_string(u) + "-" + std::to_string(b) + "-" +
                          std::to_string(i) + ".com.br");
          dados += batch.back() + ";";
        }
        Answer a = postSync(c, {{"email", "u" + std::to_string(u) + "@x.com"},
                                {"chave", keys[u]},
                                {"action", "1"},
                                {"dados", dados}});
        if (a.status == 0) break;  // the server is gone
        if (a.body == "inseriu") {
          std::lock_guard lock(mutex);
          acknowledged.insert(batch.begin(), batch.end());
        }
      }
    });
  }
  // Kill once a fair amount is acknowledged, while the clients are still sending.
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < until) {
    {
      std::lock_guard lock(mutex);
      if (acknowledged.size() >= 20000) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  server->kill9();
  stop = true;
  for (auto& t : clients) t.join();
  ASSERT_GE(acknowledged.size(), 1000u);

  server = std::make_unique<ServiceProcess>(data, options);
  httplib::Client c("127.0.0.1", server->port());
  c.set_read_timeout(30, 0);
  auto offered = downloadAll(c, "u0@x.com", keys[0], 3);
  std::set<std::string> unique(offered.begin(), offered.end());
  EXPECT_EQ(unique.size(), offered.size()) << "a row offered twice";
  size_t lost = 0;
  for (const auto& d : acknowledged) lost += unique.count(d) == 0;
  EXPECT_EQ(lost, 0u) << "of " << acknowledged.size() << " acknowledged";

  // And the restarted server goes on numbering after the rows it found.
  ASSERT_EQ(
      postSync(
          c,
          {{"email", "u0@x.com"}, {"chave", keys[0]}, {"action", "1"}, {"dados", "depois.com.br;"}})
          .body,
      "inseriu");
  auto after = downloadAll(c, "u0@x.com", keys[0], 3);
  ASSERT_EQ(after.size(), offered.size() + 1);
  EXPECT_EQ(after.back(), "depois.com.br");
}

INSTANTIATE_TEST_SUITE_P(Storage, DurabilityTest, ::testing::Values("sqlite", "postgresql"),
                         [](const ::testing::TestParamInfo<std::string>& p) { return p.param; });

}  // namespace
}  // namespace quorvel::testing
