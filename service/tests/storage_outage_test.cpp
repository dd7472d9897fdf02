// The database goes away under a running server: nothing is acknowledged that was not
// committed, and the server carries on once the database is back.
#include <gtest/gtest.h>

#include <thread>

#include "service_fixture.h"

namespace quorvel::testing {
namespace {

TEST(StorageOutageTest, NoInseriuWhileThePostgresqlServerIsDownAndRecoveryAfter) {
  TempDir dir;
  auto data = dir.path() / "dados";
  auto storage = storageOptions("postgresql");
  std::string key = addUser(data, storage, "ana@exemplo.com.br");
  std::vector<std::string> options = {"--min-senders", "1"};
  options.insert(options.end(), storage.begin(), storage.end());
  ServiceProcess server(data, options);
  httplib::Client c("127.0.0.1", server.port());
  c.set_read_timeout(40, 0);
  auto send = [&](const std::string& dados) {
    return postSync(
        c, {{"email", "ana@exemplo.com.br"}, {"chave", key}, {"action", "4"}, {"dados", dados}});
  };
  ASSERT_EQ(send("antes.com.br;").body, "inseriu");

  PgServer::instance().stop();
  Answer during = send("durante.com.br;");
  EXPECT_EQ(during.status, 503);
  EXPECT_NE(during.body.find("tente novamente"), std::string::npos);
  PgServer::instance().start();

  // Until the next connection attempt succeeds the service answers 503 at once; the client
  // sends again, as it would later.
  Answer after;
  for (int i = 0; i < 300 && after.body != "inseriu"; ++i) {
    after = send("depois.com.br;");
    if (after.body != "inseriu") std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(after.body, "inseriu");
  EXPECT_EQ(downloadAll(c, "ana@exemplo.com.br", key, 5),
            (std::vector<std::string>{"antes.com.br", "depois.com.br"}));
  EXPECT_NE(server.log().find("erro ao gravar lote"), std::string::npos);
}

TEST(StorageOutageTest, ConnectionAttemptsBackOffWhileThePostgresqlServerIsDown) {
  TempDir dir;
  auto data = dir.path() / "dados";
  auto storage = storageOptions("postgresql");
  addUser(data, storage, "ana@exemplo.com.br");
  ServiceProcess server(data, storage);
  httplib::Client c("127.0.0.1", server.port());
  PgServer::instance().stop();
  // Each unknown e-mail needs the database: every request would try to connect.
  constexpr int kRequests = 300;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRequests; ++i) {
    Answer a = postSync(c, {{"email", "u" + std::to_string(i) + "@exemplo.com.br"},
                            {"chave", "0000"},
                            {"action", "2"}});
    EXPECT_EQ(a.status, 503) << i;
  }
  auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
          .count();
  PgServer::instance().start();
  std::string log = server.log();
  size_t attempts = 0;
  for (size_t at = 0; (at = log.find("não foi possível conectar ao PostgreSQL", at)) != log.npos;
       ++at) {
    ++attempts;
  }
  // A quarter of a second doubling to five seconds: a few attempts, then one every 5 s.
  EXPECT_GE(attempts, 1u);
  EXPECT_LE(attempts, 8u + static_cast<size_t>(seconds) / 5) << seconds << " s\n" << log;
}

}  // namespace
}  // namespace quorvel::testing
