// The database goes away under a running server: nothing is acknowledged that was not
// committed, and the server carries on once the database is back.
#include <gtest/gtest.h>

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

  Answer after;
  for (int i = 0; i < 3 && after.body != "inseriu"; ++i) after = send("depois.com.br;");
  EXPECT_EQ(after.body, "inseriu");
  EXPECT_EQ(downloadAll(c, "ana@exemplo.com.br", key, 5),
            (std::vector<std::string>{"antes.com.br", "depois.com.br"}));
  EXPECT_NE(server.log().find("erro ao gravar lote"), std::string::npos);
}

}  // namespace
}  // namespace quorvel::testing
