// The sharing exchange as clients see it, against each storage.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <thread>

#include "dates.h"
#include "service_fixture.h"

namespace quorvel::testing {
namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

class ProtocolTest : public ::testing::TestWithParam<std::string> {
 protected:
  void startServer(std::vector<std::string> extra = {}) {
    extra.insert(extra.end(), storage_.begin(), storage_.end());
    server_ = std::make_unique<ServiceProcess>(data_, extra);
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->port());
    client_->set_read_timeout(30, 0);
  }
  std::string user(const std::string& email) { return addUser(data_, storage_, email); }
  // Runs SQL straight on the storage (chr() is SQLite's char()).
  bool runSql(const std::string& sql) {
    std::string command = GetParam() == "sqlite"
                              ? "sqlcipher " + (data_ / "quorvel-service.db").string() + " \"" +
                                    std::regex_replace(sql, std::regex("chr\\("), "char(") + "\""
                              : "psql -q " + storage_[1] + " -c \"" + sql + "\"";
    return std::system(command.c_str()) == 0;
  }
  Answer send(const std::string& email, const std::string& key, int action,
              const std::string& dados) {
    return postSync(
        *client_,
        {{"email", email}, {"chave", key}, {"action", std::to_string(action)}, {"dados", dados}});
  }
  Answer ask(const std::string& email, const std::string& key, Fields more) {
    Fields fields = {{"email", email}, {"chave", key}};
    fields.insert(fields.end(), more.begin(), more.end());
    return postSync(*client_, fields);
  }

  TempDir dir_;
  std::filesystem::path data_ = dir_.path() / "dados";
  std::vector<std::string> storage_ = storageOptions(GetParam());
  std::unique_ptr<ServiceProcess> server_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_P(ProtocolTest, AnswersEveryActionTheWayTheProgramReadsIt) {
  std::string ka = user("ana@exemplo.com.br");
  startServer({"--min-senders", "1"});
  std::string today = service::todayUtc();

  EXPECT_EQ(ask("ana@exemplo.com.br", ka, {{"action", "2"}}).body, "sim");
  // Empty bases answer an old date, so no client sees an update yet.
  EXPECT_EQ(ask("ana@exemplo.com.br", ka, {{"action", "6"}}).body,
            "mx_validos=2020-01-01\nmx_invalidos=2020-01-01\n");
  EXPECT_EQ(ask("ana@exemplo.com.br", ka, {{"action", "10"}}).body, "2020-01-01");

  EXPECT_EQ(send("ana@exemplo.com.br", ka, 1, "Gmail.com;uol.com.br;").body, "inseriu");
  EXPECT_EQ(send("ana@exemplo.com.br", ka, 4, "nao-existe.com.br;").body, "inseriu");
  EXPECT_EQ(send("ana@exemplo.com.br", ka, 8, "fulano@uol.com.br;").body, "inseriu");

  EXPECT_EQ(ask("ana@exemplo.com.br", ka, {{"action", "6"}}).body,
            "mx_validos=" + today + "\nmx_invalidos=" + today + "\n");
  EXPECT_EQ(ask("ana@exemplo.com.br", ka, {{"action", "10"}}).body, today);
  EXPECT_EQ(ask("ana@exemplo.com.br", ka, {{"page", "0"}, {"action", "3"}}).body,
            "gmail.com\nuol.com.br\n");
  EXPECT_EQ(ask("ana@exemplo.com.br", ka, {{"page", "0"}, {"action", "5"}}).body,
            "nao-existe.com.br\n");
  EXPECT_EQ(ask("ana@exemplo.com.br", ka, {{"page", "0"}, {"action", "9"}}).body,
            "fulano@uol.com.br\n");

  EXPECT_EQ(ask("ana@exemplo.com.br", ka, {{"compartilha", "true"}, {"action", "7"}}).body,
            "compartilha=1\n");
  std::vector<std::string> list = {"--data", data_.string()};
  list.insert(list.end(), storage_.begin(), storage_.end());
  list.insert(list.end(), {"user", "list"});
  auto listed = runService(list);
  EXPECT_NE(listed.out.find("\tcompartilha\t"), std::string::npos);
  EXPECT_EQ(ask("ana@exemplo.com.br", ka, {{"compartilha", "false"}, {"action", "7"}}).body,
            "compartilha=0\n");
}

TEST_P(ProtocolTest, OffersAValueOnlyAfterEnoughDistinctSenders) {
  std::string ka = user("ana@exemplo.com.br");
  std::string kb = user("bia@exemplo.com.br");
  startServer();  // two senders by default
  auto offered = [&] { return downloadAll(*client_, "ana@exemplo.com.br", ka, 3); };

  ASSERT_EQ(send("ana@exemplo.com.br", ka, 1, "empresa.com.br;outra.com.br;").body, "inseriu");
  ASSERT_EQ(send("ana@exemplo.com.br", ka, 1, "empresa.com.br;").body, "inseriu");
  EXPECT_TRUE(offered().empty()) << "one user alone must not reach everybody's base";

  ASSERT_EQ(send("bia@exemplo.com.br", kb, 1, "EMPRESA.com.br ; terceira.com.br;").body, "inseriu");
  EXPECT_EQ(offered(), std::vector<std::string>{"empresa.com.br"});
  ASSERT_EQ(send("bia@exemplo.com.br", kb, 1, "empresa.com.br;").body, "inseriu");
  EXPECT_EQ(offered(), std::vector<std::string>{"empresa.com.br"}) << "offered exactly once";

  // The pending sightings survive a restart.
  ASSERT_EQ(server_->stop(), 0);
  startServer();
  ASSERT_EQ(send("bia@exemplo.com.br", kb, 1, "outra.com.br;").body, "inseriu");
  EXPECT_EQ(offered(), (std::vector<std::string>{"empresa.com.br", "outra.com.br"}));
}

TEST_P(ProtocolTest, PagesAreFixedRangesThatNeitherSkipNorRepeat) {
  std::string ka = user("ana@exemplo.com.br");
  startServer({"--min-senders", "1", "--page-size", "3"});
  auto page = [&](int p, const std::string& date = "") {
    Fields f = {{"page", std::to_string(p)}};
    if (!date.empty()) f.push_back({"date", date});
    f.push_back({"action", "3"});
    Answer a = ask("ana@exemplo.com.br", ka, f);
    EXPECT_EQ(a.status, 200) << a.body;
    return lines(a.body);
  };
  ASSERT_EQ(send("ana@exemplo.com.br", ka, 1, "a1.com;a2.com;a3.com;a4.com;").body, "inseriu");
  auto first = page(0);
  EXPECT_EQ(first, (std::vector<std::string>{"a1.com", "a2.com", "a3.com"}));
  // Rows arriving between two page requests go to the end, never into pages already read.
  ASSERT_EQ(send("ana@exemplo.com.br", ka, 1, "a0.com;a5.com;a6.com;a7.com;").body, "inseriu");
  EXPECT_EQ(page(0), first);
  EXPECT_EQ(page(1), (std::vector<std::string>{"a4.com", "a0.com", "a5.com"}));
  EXPECT_EQ(page(2), (std::vector<std::string>{"a6.com", "a7.com"}));
  EXPECT_TRUE(page(3).empty());
  EXPECT_TRUE(page(10).empty());

  // A date selects the rows offered on or after that day (so a client that downloaded earlier
  // the same day still gets what came later that day).
  std::string today = service::todayUtc();
  EXPECT_EQ(page(0, today), first);
  EXPECT_EQ(page(0, "2020-10-10"), first);
  EXPECT_TRUE(page(0, "2999-01-01").empty());
}

TEST_P(ProtocolTest, RefusesUnknownWrongAndDisabledCredentialsAndLogsThem) {
  std::string ka = user("ana@exemplo.com.br");
  startServer();
  struct Case {
    std::string email, key, reason;
  };
  std::vector<Case> cases = {
      {"ninguem@exemplo.com.br", ka, "e-mail desconhecido"},
      {"ana@exemplo.com.br", "0000", "chave errada"},
      {"ana@exemplo.com.br", "", "credenciais ausentes"},
  };
  for (const auto& c : cases) {
    Fields f;
    if (!c.email.empty()) f.push_back({"email", c.email});
    if (!c.key.empty()) f.push_back({"chave", c.key});
    f.push_back({"action", "1"});
    f.push_back({"dados", "x.com;"});
    Answer a = postSync(*client_, f);
    EXPECT_EQ(a.status, 403) << c.reason;
    EXPECT_EQ(a.body, "Acesso negado.");
    EXPECT_NE(server_->log().find("motivo=" + c.reason), std::string::npos) << server_->log();
  }
  EXPECT_EQ(ask("ana@exemplo.com.br", ka, {{"action", "2"}}).body, "sim");

  std::vector<std::string> args = {"--data", data_.string()};
  args.insert(args.end(), storage_.begin(), storage_.end());
  args.insert(args.end(), {"user", "disable", "ana@exemplo.com.br"});
  ASSERT_EQ(runService(args).exitCode, 0);
  // The server rereads its users now and then: asked again until the change is seen.
  auto ateMudar = [&](auto mudou) {
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    Answer a = ask("ana@exemplo.com.br", ka, {{"action", "2"}});
    while (!mudou(a) && std::chrono::steady_clock::now() < limite) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      a = ask("ana@exemplo.com.br", ka, {{"action", "2"}});
    }
    return a;
  };
  EXPECT_EQ(ateMudar([](const Answer& a) { return a.status == 403; }).status, 403);
  EXPECT_NE(server_->log().find("motivo=usuário bloqueado"), std::string::npos);

  args.back() = "ana@exemplo.com.br";
  args[args.size() - 2] = "enable";
  ASSERT_EQ(runService(args).exitCode, 0);
  EXPECT_EQ(ateMudar([](const Answer& a) { return a.body == "sim"; }).body, "sim");
}

TEST_P(ProtocolTest, ValuesWaitingInTheEarlierLayoutAreCarriedOver) {
  std::string ka = user("ana@exemplo.com.br");
  std::string kb = user("bia@exemplo.com.br");
  // The earlier version kept a user's waiting values in blocks of lines.
  std::string today = service::todayUtc();
  std::string sql =
      std::string("CREATE TABLE sighting_blocks (id ") +
      (GetParam() == "sqlite" ? "INTEGER PRIMARY KEY" : "BIGSERIAL PRIMARY KEY") +
      ", kind SMALLINT NOT NULL, user_id BIGINT NOT NULL, day TEXT NOT NULL, payload TEXT NOT "
      "NULL); INSERT INTO sighting_blocks (kind, user_id, day, payload) VALUES (1, 1, '" +
      today + "', 'um.com.br' || chr(10) || 'dois.com.br' || chr(10)), (3, 1, '" + today +
      "', 'x@tres.com.br' || chr(10));";
  ASSERT_TRUE(runSql(sql));
  startServer();
  ASSERT_EQ(send("bia@exemplo.com.br", kb, 1, "dois.com.br;").body, "inseriu");
  ASSERT_EQ(send("bia@exemplo.com.br", kb, 8, "x@tres.com.br;").body, "inseriu");
  EXPECT_EQ(downloadAll(*client_, "ana@exemplo.com.br", ka, 3),
            std::vector<std::string>{"dois.com.br"});
  EXPECT_EQ(downloadAll(*client_, "ana@exemplo.com.br", ka, 9),
            std::vector<std::string>{"x@tres.com.br"});
}

// Sightings of earlier days are put straight into the storage before the server starts: one
// from past the pending days, one within them, both by ana.
TEST_P(ProtocolTest, AValueWaitingLongerThanThePendingDaysIsForgotten) {
  std::string ka = user("ana@exemplo.com.br");
  std::string kb = user("bia@exemplo.com.br");
  ASSERT_TRUE(runSql(
      "INSERT INTO pending_sightings (kind, value, user_id, day) VALUES (1, 'antigo.com.br', 1, '" +
      service::utcDaysAgo(8) + "'), (1, 'recente.com.br', 1, '" + service::utcDaysAgo(6) + "');"));
  startServer({"--pending-days", "7"});
  // The clean-up says when it is done; until then the old sighting already no longer counts.
  for (int i = 0; i < 600 && server_->log().find(" esquecidos") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_NE(server_->log().find("1 itens pendentes de antes de " + service::utcDaysAgo(7) +
                                " esquecidos"),
            std::string::npos)
      << server_->log();
  ASSERT_EQ(send("bia@exemplo.com.br", kb, 1, "antigo.com.br;recente.com.br;").body, "inseriu");
  EXPECT_EQ(downloadAll(*client_, "bia@exemplo.com.br", kb, 3),
            std::vector<std::string>{"recente.com.br"})
      << "ana's sighting of 8 days ago no longer counts";
  // Sent again by ana, it counts with bia's sighting of today.
  ASSERT_EQ(send("ana@exemplo.com.br", ka, 1, "antigo.com.br;").body, "inseriu");
  EXPECT_EQ(downloadAll(*client_, "bia@exemplo.com.br", kb, 3),
            (std::vector<std::string>{"recente.com.br", "antigo.com.br"}));
}

INSTANTIATE_TEST_SUITE_P(Storage, ProtocolTest, ::testing::Values("sqlite", "postgresql"),
                         [](const ::testing::TestParamInfo<std::string>& p) { return p.param; });

}  // namespace
}  // namespace quorvel::testing

namespace quorvel::testing {
namespace {

// Rows of earlier days are put straight into the embedded database before the server starts.
TEST(DateSelectionTest, ADateSelectsTheRowsOfThatDayAndAfter) {
  TempDir dir;
  auto data = dir.path() / "dados";
  std::string key = addUser(data, {}, "ana@exemplo.com.br");
  std::string sql =
      "INSERT INTO shared_blocks VALUES (1, 1, 2, '2024-01-01', 'a.com' || char(10) || 'b.com' "
      "|| char(10)); INSERT INTO shared_blocks VALUES (1, 3, 1, '2024-03-05', 'c.com' || "
      "char(10));";
  ASSERT_EQ(
      std::system(
          ("sqlcipher " + (data / "quorvel-service.db").string() + " \"" + sql + "\"").c_str()),
      0);
  ServiceProcess server(data, {"--min-senders", "1"});
  httplib::Client c("127.0.0.1", server.port());
  ASSERT_EQ(
      postSync(
          c,
          {{"email", "ana@exemplo.com.br"}, {"chave", key}, {"action", "1"}, {"dados", "d.com;"}})
          .body,
      "inseriu");
  std::string today = service::todayUtc();
  struct Case {
    std::string date;
    std::vector<std::string> rows;
  };
  for (const auto& k : std::vector<Case>{{"", {"a.com", "b.com", "c.com", "d.com"}},
                                         {"2020-10-10", {"a.com", "b.com", "c.com", "d.com"}},
                                         {"2024-01-01", {"a.com", "b.com", "c.com", "d.com"}},
                                         {"2024-01-02", {"c.com", "d.com"}},
                                         {"2024-03-05", {"c.com", "d.com"}},
                                         {"2024-03-06", {"d.com"}},
                                         {today, {"d.com"}}}) {
    EXPECT_EQ(downloadAll(c, "ana@exemplo.com.br", key, 3, k.date), k.rows) << k.date;
  }
  EXPECT_EQ(postSync(c, {{"email", "ana@exemplo.com.br"}, {"chave", key}, {"action", "6"}}).body,
            "mx_validos=" + today + "\nmx_invalidos=2020-01-01\n");
}

}  // namespace
}  // namespace quorvel::testing

namespace quorvel::testing {
namespace {

TEST(UserNamesTest, AddressesOfUsersFoldLikeTheProgramFoldsThem) {
  TempDir dir;
  auto data = dir.path() / "dados";
  std::string key = addUser(data, {}, "\xc3\x81NA@Exemplo.com.br");  // ÁNA@
  auto again = runService({"--data", data.string(), "user", "add", "\xc3\xa1na@exemplo.com.br"});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err.find("já cadastrado"), std::string::npos) << again.err;
  auto listed = runService({"--data", data.string(), "user", "list"});
  EXPECT_EQ(listed.out.rfind("\xc3\xa1na@exemplo.com.br\t", 0), 0u) << listed.out;

  ServiceProcess server(data, {});
  httplib::Client c("127.0.0.1", server.port());
  for (const char* email : {"\xc3\xa1na@exemplo.com.br", "\xc3\x81na@EXEMPLO.com.br"}) {
    EXPECT_EQ(postSync(c, {{"email", email}, {"chave", key}, {"action", "2"}}).body, "sim")
        << email;
  }
}

}  // namespace
}  // namespace quorvel::testing
