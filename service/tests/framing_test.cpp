// Requests whose framing could be read two ways, or that announce absurd sizes: answered at
// once and the connection closed, so nothing hidden in a body is ever served.
#include <gtest/gtest.h>

#include "service_fixture.h"

namespace quorvel::testing {
namespace {

class FramingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = addUser(data_, {}, "ana@exemplo.com.br");
    server_ = std::make_unique<ServiceProcess>(data_, std::vector<std::string>{});
  }
  std::string action2() {
    return multipartBody({{"email", "ana@exemplo.com.br"}, {"chave", key_}, {"action", "2"}});
  }

  TempDir dir_;
  std::filesystem::path data_ = dir_.path() / "dados";
  std::string key_;
  std::unique_ptr<ServiceProcess> server_;
};

TEST_F(FramingTest, AmbiguousOrAbsurdFramingIsAnsweredAtOnceAndTheConnectionClosed) {
  const std::string head =
      "POST /quorvel/bin/sync.php HTTP/1.1\r\nHost: x\r\n"
      "Content-Type: multipart/form-data; boundary=XyZ\r\n";
  // A request hidden after what a chunked reading takes as the end of the body.
  const std::string hidden = "GET /quorvel/download/definitions.txt HTTP/1.1\r\nHost: x\r\n\r\n";
  struct Case {
    std::string name, request;
    int status;
  };
  std::vector<Case> cases = {
      {"two different lengths",
       head + "Content-Length: 4\r\nContent-Length: " + std::to_string(action2().size()) +
           "\r\n\r\n" + action2(),
       400},
      {"length and chunked, a request hidden in the body",
       head + "Content-Length: " + std::to_string(5 + hidden.size()) +
           "\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n" + hidden,
       400},
      {"bare CR in a header value", head + "X-Nota: a\rb\r\nContent-Length: 0\r\n\r\n", 400},
      {"length 10^12, no body following", head + "Content-Length: 1000000000000\r\n\r\n", 413},
      {"length 2^64", head + "Content-Length: 18446744073709551616\r\n\r\n", 413},
      {"length -1", head + "Content-Length: -1\r\n\r\n", 400},
      {"negative chunk size", head + "Transfer-Encoding: chunked\r\n\r\n-1\r\n", 400},
      {"gzip, chunked", head + "Transfer-Encoding: gzip, chunked\r\n\r\n", 501},
      {"folded header line", head + "X-Nota: a\r\n b\r\nContent-Length: 0\r\n\r\n", 400},
  };
  for (const auto& c : cases) {
    RawSocket s(server_->port());
    ASSERT_TRUE(s.connected());
    s.send(c.request);
    std::string answer = s.readAnswer(10);
    EXPECT_EQ(statusOf(answer), c.status) << c.name << "\n" << answer;
    EXPECT_EQ(headerOf(answer, "Connection"), "close") << c.name;
    EXPECT_EQ(headerOf(answer, "Content-Type"), "text/plain; charset=utf-8") << c.name;
    // A server that read on would answer the hidden request or this one.
    s.send(rawPost(action2(), "multipart/form-data; boundary=XyZ", true));
    bool closed = false;
    std::string more = s.readUntilClosed(10, &closed);
    EXPECT_TRUE(closed) << c.name;
    EXPECT_EQ(more.find("HTTP/1.1"), std::string::npos) << c.name << ": served after\n" << more;
  }
  // The log says who sent them.
  EXPECT_NE(server_->log().find("400 127.0.0.1 "), std::string::npos) << server_->log();
  EXPECT_NE(server_->log().find("413 127.0.0.1 "), std::string::npos) << server_->log();
}

TEST_F(FramingTest, WellFramedRequestsShareAConnectionInOrder) {
  RawSocket s(server_->port());
  ASSERT_TRUE(s.connected());
  // Chunked with an extension and a trailer, then one with a length, in a single write.
  std::string body = action2();
  std::string chunked =
      "POST /quorvel/bin/sync.php HTTP/1.1\r\nHost: x\r\nContent-Type: "
      "multipart/form-data; boundary=XyZ\r\nTransfer-Encoding: chunked\r\n\r\n";
  char size[16];
  std::snprintf(size, sizeof size, "%zx", body.size() - 10);
  chunked += std::string(size) + ";parte=1\r\n" + body.substr(0, body.size() - 10) + "\r\na\r\n" +
             body.substr(body.size() - 10) + "\r\n0\r\nX-Fim: 1\r\n\r\n";
  s.send(chunked + rawPost(body, "multipart/form-data; boundary=XyZ", true));
  for (int i = 0; i < 2; ++i) {
    std::string answer = s.readAnswer(10);
    EXPECT_EQ(statusOf(answer), 200) << answer;
    EXPECT_EQ(bodyOf(answer), "sim");
  }
  // Expect: 100-continue gets the interim answer before the body is sent.
  s.send(
      "POST /quorvel/bin/sync.php HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; "
      "boundary=XyZ\r\nExpect: 100-continue\r\nContent-Length: " +
      std::to_string(body.size()) + "\r\n\r\n");
  EXPECT_EQ(statusOf(s.readAnswer(10)), 100);
  s.send(body);
  EXPECT_EQ(bodyOf(s.readAnswer(10)), "sim");
  EXPECT_TRUE(s.stillOpen());
}

}  // namespace
}  // namespace quorvel::testing
