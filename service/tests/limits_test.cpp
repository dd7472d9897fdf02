// One valid key sending without end: a daily allowance per user, and what a single user sent
// waits on disk, not in the server's memory.
#include <gtest/gtest.h>

#include "service_fixture.h"

namespace quorvel::testing {
namespace {

// `count` distinct domains "<prefix>N.com.br;".
std::string domains(const std::string& prefix, int from, int count) {
  std::string dados;
  for (int i = from; i < from + count; ++i) dados += prefix + std::to_string(i) + ".com.br;";
  return dados;
}

TEST(LimitsTest, ASendPastTheDailyAllowanceGets429AndStoresNothingOfIt) {
  TempDir dir;
  auto data = dir.path() / "dados";
  std::string ka = addUser(data, {}, "ana@exemplo.com.br");
  std::string kb = addUser(data, {}, "bia@exemplo.com.br");
  ServiceProcess server(data, {"--user-daily-values", "1000", "--min-senders", "1"});
  httplib::Client c("127.0.0.1", server.port());
  auto send = [&](const std::string& email, const std::string& key, const std::string& dados) {
    return postSync(c, {{"email", email}, {"chave", key}, {"action", "1"}, {"dados", dados}});
  };

  EXPECT_EQ(send("ana@exemplo.com.br", ka, domains("a", 0, 800)).body, "inseriu");
  Answer refused = send("ana@exemplo.com.br", ka, domains("recusado", 0, 300));
  EXPECT_EQ(refused.status, 429);
  EXPECT_NE(refused.body.find("Limite diário"), std::string::npos) << refused.body;
  auto retry = refused.headers.find("Retry-After");
  ASSERT_NE(retry, refused.headers.end());
  int seconds = std::stoi(retry->second);
  EXPECT_GE(seconds, 1);
  EXPECT_LE(seconds, 86400);
  EXPECT_EQ(refused.headers.find("Content-Type")->second, "text/plain; charset=utf-8");

  EXPECT_EQ(send("ana@exemplo.com.br", ka, domains("a", 800, 200)).body, "inseriu") << "up to 1000";
  EXPECT_EQ(send("ana@exemplo.com.br", ka, "mais.com.br;").status, 429);
  EXPECT_EQ(send("bia@exemplo.com.br", kb, domains("b", 0, 300)).body, "inseriu")
      << "each user has an allowance of their own";

  auto offered = downloadAll(c, "ana@exemplo.com.br", ka, 3);
  EXPECT_EQ(offered.size(), 1300u);
  for (const auto& row : offered) ASSERT_EQ(row.rfind("recusado", 0), std::string::npos) << row;
  EXPECT_NE(server.log().find("429 127.0.0.1 action=1 email=ana@exemplo.com.br"), std::string::npos)
      << server.log();
}

TEST(LimitsTest, OneKeyFloodingNewValuesLeavesTheMemoryWhereItWas) {
  TempDir dir;
  auto data = dir.path() / "dados";
  std::string key = addUser(data, {}, "ana@exemplo.com.br");
  // Nothing is offered (two senders are needed): every value waits for a second sender.
  ServiceProcess server(data, {"--user-daily-values", "0"});
  httplib::Client c("127.0.0.1", server.port());
  c.set_read_timeout(60, 0);
  constexpr int kBatch = 2000;
  auto flood = [&](int from, int batches) {
    for (int b = 0; b < batches; ++b) {
      auto a = postSync(c, {{"email", "ana@exemplo.com.br"},
                            {"chave", key},
                            {"action", "8"},
                            {"dados", [&] {
                               std::string d;
                               for (int i = 0; i < kBatch; ++i) {
                                 d += "contato" + std::to_string(from + b * kBatch + i) +
                                      "@inundacao.com.br;";
                               }
                               return d;
                             }()}});
      ASSERT_EQ(a.body, "inseriu");
    }
  };
  flood(0, 50);  // 100,000 values: pools, caches and buffers in use
  long before = residentKb(server.pid());
  flood(100000, 400);  // 800,000 more
  long after = residentKb(server.pid());
  // The database's page cache may still fill (32 MB); the values themselves must not count.
  // Kept in memory they took well over 100 MB.
  EXPECT_LT(after - before, 48 * 1024) << before << " kB before, " << after << " kB after";
  EXPECT_TRUE(downloadAll(c, "ana@exemplo.com.br", key, 9).empty());
}

}  // namespace
}  // namespace quorvel::testing
