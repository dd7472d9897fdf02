// Idle, slow and greedy connections: they cost the server a socket, never a worker, and the
// limits on them keep room for everybody else.
#include <gtest/gtest.h>

#include "service_fixture.h"

namespace quorvel::testing {
namespace {

class ConnectionsTest : public ::testing::Test {
 protected:
  void start(std::vector<std::string> options) {
    key_ = addUser(data_, {}, "ana@exemplo.com.br");
    server_ = std::make_unique<ServiceProcess>(data_, options);
  }
  // A legitimate request on a fresh connection from 127.0.0.1.
  Answer legitimate() {
    httplib::Client c("127.0.0.1", server_->port());
    c.set_read_timeout(60, 0);
    return postSync(c, {{"email", "ana@exemplo.com.br"}, {"chave", key_}, {"action", "2"}});
  }
  // From 127.0.1.x, spread over `addresses` of them.
  std::vector<std::unique_ptr<RawSocket>> open(int count, int addresses, int firstAddress = 1) {
    std::vector<std::unique_ptr<RawSocket>> sockets;
    for (int i = 0; i < count; ++i) {
      sockets.push_back(std::make_unique<RawSocket>(
          server_->port(), "127.0.1." + std::to_string(firstAddress + i % addresses)));
      EXPECT_TRUE(sockets.back()->connected());
    }
    return sockets;
  }

  TempDir dir_;
  std::filesystem::path data_ = dir_.path() / "dados";
  std::string key_;
  std::unique_ptr<ServiceProcess> server_;
};

TEST_F(ConnectionsTest, IdleAndSlowConnectionsLeaveTheWorkersFree) {
  // Two workers; far more idle and half-sent requests than that, none of them near a deadline.
  start({"--threads", "2", "--header-timeout", "600", "--request-timeout", "600"});
  auto idle = open(100, 10);
  auto slow = open(40, 10, 20);
  for (auto& s : slow) {
    s->send("POST /quorvel/bin/sync.php HTTP/1.1\r\nHost: x\r\nX-Devagar: ");
  }
  auto halfBody = open(10, 10, 40);
  for (auto& s : halfBody) {
    s->send(rawPost(std::string(50000, 'a')).substr(0, 30000));
  }
  EXPECT_EQ(legitimate().body, "sim");
  // Answered while every one of them is still open: nothing had to time out first.
  for (auto* group : {&idle, &slow, &halfBody}) {
    for (auto& s : *group) EXPECT_TRUE(s->stillOpen());
  }
}

TEST_F(ConnectionsTest, AHeadNotCompleteByTheHeaderDeadlineGets408) {
  start({"--header-timeout", "1", "--request-timeout", "600"});
  RawSocket silent(server_->port(), "127.0.1.1");
  RawSocket slow(server_->port(), "127.0.1.2");
  slow.send("POST /quorvel/bin/sync.php HTTP/1.1\r\nHost: x\r\n");
  std::string answer = slow.readAnswer(60);
  EXPECT_EQ(statusOf(answer), 408) << answer;
  EXPECT_NE(bodyOf(answer).find("Tempo esgotado"), std::string::npos);
  bool closed = false;
  EXPECT_EQ(silent.readUntilClosed(60, &closed), "") << "a client that sent nothing hears nothing";
  EXPECT_TRUE(closed);
  EXPECT_EQ(legitimate().body, "sim");
}

TEST_F(ConnectionsTest, OneAddressGetsNoMoreThanItsShareOfConnections) {
  start({"--max-connections-per-address", "4", "--header-timeout", "600"});
  auto mine = open(4, 1, 7);
  RawSocket oneTooMany(server_->port(), "127.0.1.7");
  bool closed = false;
  std::string refusal = oneTooMany.readUntilClosed(60, &closed);
  EXPECT_TRUE(closed);
  EXPECT_EQ(statusOf(refusal), 503) << refusal;
  EXPECT_NE(bodyOf(refusal).find("conexões demais"), std::string::npos);
  for (auto& s : mine) EXPECT_TRUE(s->stillOpen());
  EXPECT_EQ(legitimate().body, "sim") << "other addresses are served";
}

TEST_F(ConnectionsTest, WhenFullTheConnectionIdleTheLongestMakesRoom) {
  start({"--max-connections", "16", "--header-timeout", "600"});
  auto idle = open(16, 16);
  // One request past the limit: the oldest idle connection is closed for it.
  EXPECT_EQ(legitimate().body, "sim");
  bool closed = false;
  idle.front()->readUntilClosed(60, &closed);
  EXPECT_TRUE(closed);
  for (size_t i = 1; i < idle.size(); ++i) EXPECT_TRUE(idle[i]->stillOpen()) << i;
}

}  // namespace
}  // namespace quorvel::testing
