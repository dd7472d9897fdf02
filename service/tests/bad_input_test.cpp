// Hostile and broken requests: short Portuguese answers, never a crash or a hang, and the
// server keeps serving everybody else.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "service_fixture.h"

namespace quorvel::testing {
namespace {

class BadInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = addUser(data_, {}, "ana@exemplo.com.br");
    server_ = std::make_unique<ServiceProcess>(
        data_, std::vector<std::string>{"--request-timeout", "3", "--min-senders", "1"});
  }
  std::vector<std::pair<std::string, std::string>> creds(
      std::vector<std::pair<std::string, std::string>> more) {
    std::vector<std::pair<std::string, std::string>> f = {{"email", "ana@exemplo.com.br"},
                                                          {"chave", key_}};
    f.insert(f.end(), more.begin(), more.end());
    return f;
  }
  bool stillServes() {
    httplib::Client c("127.0.0.1", server_->port());
    return postSync(c, creds({{"action", "2"}})).body == "sim";
  }

  TempDir dir_;
  std::filesystem::path data_ = dir_.path() / "dados";
  std::string key_;
  std::unique_ptr<ServiceProcess> server_;
};

TEST_F(BadInputTest, MalformedRequestsGetA400WithTheReason) {
  const std::string mp = "multipart/form-data; boundary=XyZ";
  struct Case {
    std::string name, request, text;
  };
  std::vector<Case> cases = {
      {"not multipart", rawPost("action=2", "application/x-www-form-urlencoded"),
       "esperado multipart/form-data"},
      {"no boundary", rawPost(multipartBody(creds({{"action", "2"}})), "multipart/form-data"),
       "Requisição inválida"},
      {"truncated multipart",
       rawPost("--XyZ\r\nContent-Disposition: form-data; name=\"action\"\r\n\r\n2", mp),
       "Requisição inválida"},
      {"part without a name", rawPost("--XyZ\r\nnonsense\r\n\r\n2\r\n--XyZ--\r\n", mp),
       "ausente: action"},
      {"missing action", rawPost(multipartBody(creds({})), mp), "ausente: action"},
      {"unknown action", rawPost(multipartBody(creds({{"action", "11"}})), mp),
       "Ação desconhecida: 11"},
      {"action not a number", rawPost(multipartBody(creds({{"action", "um"}})), mp),
       "Ação desconhecida"},
      {"missing dados", rawPost(multipartBody(creds({{"action", "1"}})), mp), "ausente: dados"},
      {"missing page", rawPost(multipartBody(creds({{"action", "3"}})), mp), "ausente: page"},
      {"page not a number", rawPost(multipartBody(creds({{"page", "x"}, {"action", "3"}})), mp),
       "page inválido"},
      {"page above 10", rawPost(multipartBody(creds({{"page", "11"}, {"action", "5"}})), mp),
       "page inválido"},
      {"negative page", rawPost(multipartBody(creds({{"page", "-1"}, {"action", "9"}})), mp),
       "page inválido"},
      {"date not a date",
       rawPost(multipartBody(creds({{"page", "0"}, {"date", "ontem"}, {"action", "3"}})), mp),
       "date inválido"},
      {"impossible date",
       rawPost(multipartBody(creds({{"page", "0"}, {"date", "2023-02-29"}, {"action", "3"}})), mp),
       "date inválido"},
      {"compartilha neither",
       rawPost(multipartBody(creds({{"compartilha", "sim"}, {"action", "7"}})), mp),
       "compartilha inválido"},
      {"non-UTF-8 dados",
       rawPost(multipartBody(creds({{"action", "1"}, {"dados", "caf\xe9.com.br;"}})), mp),
       "não é UTF-8 válido no campo dados"},
      {"overlong UTF-8",
       rawPost(multipartBody(creds({{"action", "8"}, {"dados", "a\xc0\xaf@b.com;"}})), mp),
       "não é UTF-8 válido"},
      {"bad request line", "GARBAGE\r\n\r\n", "Requisição inválida"},
  };
  std::string get = rawExchange(server_->port(),
                                "GET /quorvel/bin/sync.php HTTP/1.1\r\nHost: x\r\n"
                                "Connection: close\r\n\r\n");
  EXPECT_EQ(statusOf(get), 405) << get;
  EXPECT_NE(get.find("Allow: POST"), std::string::npos);
  for (const auto& c : cases) {
    std::string answer = rawExchange(server_->port(), c.request);
    EXPECT_EQ(statusOf(answer), 400) << c.name << "\n" << answer;
    EXPECT_NE(bodyOf(answer).find(c.text), std::string::npos) << c.name << "\n" << answer;
  }
  EXPECT_TRUE(stillServes());
}

TEST_F(BadInputTest, MalformedItemsAreDroppedAndTheRestStored) {
  httplib::Client c("127.0.0.1", server_->port());
  auto a = postSync(c, creds({{"action", "1"},
                              {"dados", "bom.com.br;sem ponto;;a..b.com;-x.com;<script>.com;"}}));
  EXPECT_EQ(a.body, "inseriu");
  EXPECT_EQ(downloadAll(c, "ana@exemplo.com.br", key_, 3), std::vector<std::string>{"bom.com.br"});
  // UTF-8 read back as Windows-1252 and encoded again is stored as the name it was.
  a = postSync(c, creds({{"action", "1"},
                         {"dados",
                          "a\xc3\x83\xc2\xa7"
                          "a\xc3\x83\xc2\xad.com.br;"}}));
  EXPECT_EQ(a.body, "inseriu");
  EXPECT_EQ(downloadAll(c, "ana@exemplo.com.br", key_, 3),
            (std::vector<std::string>{"bom.com.br",
                                      "a\xc3\xa7"
                                      "a\xc3\xad.com.br"}));
}

TEST_F(BadInputTest, TenMegabytesOfDadosGet413WithOrWithoutALength) {
  const std::string mp = "multipart/form-data; boundary=XyZ";
  std::string big(10 * 1024 * 1024, 'a');
  std::string body = multipartBody(creds({{"action", "1"}, {"dados", big}}));
  std::string answer = rawExchange(server_->port(), rawPost(body, mp));
  EXPECT_EQ(statusOf(answer), 413) << answer.substr(0, 200);
  EXPECT_NE(bodyOf(answer).find("grande demais"), std::string::npos);

  // Chunked: no length announced, the cap still holds.
  std::string chunked = "POST /quorvel/bin/sync.php HTTP/1.1\r\nHost: x\r\nContent-Type: " + mp +
                        "\r\nTransfer-Encoding: chunked\r\n\r\n";
  for (size_t off = 0; off < body.size(); off += 65536) {
    size_t n = std::min<size_t>(65536, body.size() - off);
    char size[32];
    std::snprintf(size, sizeof size, "%zx\r\n", n);
    chunked += size + body.substr(off, n) + "\r\n";
  }
  chunked += "0\r\n\r\n";
  answer = rawExchange(server_->port(), chunked);
  EXPECT_EQ(statusOf(answer), 413) << answer.substr(0, 200);
  EXPECT_TRUE(stillServes());
}

TEST_F(BadInputTest, ASlowClientGets408WhileOthersAreServed) {
  std::atomic<bool> done{false};
  std::string slowAnswer;
  std::thread slow([&] {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(server_->port()));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    std::string request =
        rawPost(multipartBody(creds({{"action", "2"}})), "multipart/form-data; boundary=XyZ");
    // One byte a second: each byte comes well within any per-read time-out.
    for (size_t i = 0; i < request.size() && !done; ++i) {
      if (::send(s, &request[i], 1, MSG_NOSIGNAL) != 1) break;
      std::this_thread::sleep_for(std::chrono::seconds(1));
      pollfd p{s, POLLIN, 0};
      if (::poll(&p, 1, 0) > 0) break;  // the server answered
    }
    char buffer[4096];
    ssize_t n;
    while ((n = ::recv(s, buffer, sizeof buffer, 0)) > 0) slowAnswer.append(buffer, n);
    ::close(s);
  });
  // Meanwhile other clients keep being answered at once.
  auto start = std::chrono::steady_clock::now();
  int served = 0;
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(2)) {
    ASSERT_TRUE(stillServes());
    ++served;
  }
  slow.join();
  done = true;
  EXPECT_GT(served, 10);
  EXPECT_EQ(statusOf(slowAnswer), 408) << slowAnswer;
  EXPECT_NE(bodyOf(slowAnswer).find("Tempo esgotado"), std::string::npos);
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::seconds(8)) << "the deadline is 3 s for the whole request";
  EXPECT_TRUE(stillServes());
}

}  // namespace
}  // namespace quorvel::testing
