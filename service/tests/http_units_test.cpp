// The pure pieces of the HTTP server: request framing, multipart bodies, byte ranges.
#include <gtest/gtest.h>

#include "download_files.h"
#include "multipart_form.h"
#include "request_framer.h"
#include "text_checks.h"

namespace quorvel::testing {
namespace {

using namespace quorvel::service;
using State = RequestFramer::State;

FramingLimits smallLimits() {
  FramingLimits limits;
  limits.maxBody = 1000;
  limits.maxHeadBytes = 2048;
  limits.maxTargetBytes = 256;
  return limits;
}

TEST(RequestFramerTest, AmbiguousOrAbsurdFramingFailsWithTheStatusToAnswer) {
  struct Case {
    std::string name, bytes;
    int status;
  };
  const std::string get = "GET /a HTTP/1.1\r\nHost: x\r\n";
  std::vector<Case> cases = {
      {"two different lengths", get + "Content-Length: 5\r\nContent-Length: 6\r\n\r\n", 400},
      {"the same length twice", get + "Content-Length: 5\r\nContent-Length: 5\r\n\r\n", 400},
      {"a length list", get + "Content-Length: 5, 5\r\n\r\n", 400},
      {"length beside chunked",
       get + "Content-Length: 4\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 400},
      {"negative length", get + "Content-Length: -1\r\n\r\n", 400},
      {"length with a sign", get + "Content-Length: +5\r\n\r\n", 400},
      {"length 10^12", get + "Content-Length: 1000000000000\r\n\r\n", 413},
      {"length 2^64", get + "Content-Length: 18446744073709551616\r\n\r\n", 413},
      {"length past the cap", get + "Content-Length: 1001\r\n\r\n", 413},
      {"gzip then chunked", get + "Transfer-Encoding: gzip, chunked\r\n\r\n", 501},
      {"chunked not last", get + "Transfer-Encoding: chunked, gzip\r\n\r\n", 400},
      {"chunked twice", get + "Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n\r\n",
       400},
      {"chunked on HTTP/1.0",
       "POST /a HTTP/1.0\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 400},
      {"negative chunk size", get + "Transfer-Encoding: chunked\r\n\r\n-1\r\n", 400},
      {"chunk size overflowing", get + "Transfer-Encoding: chunked\r\n\r\nffffffffffffffffff\r\n",
       413},
      {"chunks past the cap", get + "Transfer-Encoding: chunked\r\n\r\n3e9\r\n", 413},
      {"chunk without CR LF after its data",
       get + "Transfer-Encoding: chunked\r\n\r\n2\r\nabc\r\n0\r\n\r\n", 400},
      {"bare CR in a value", get + "X-A: a\rb\r\n\r\n", 400},
      {"bare LF ending a line", "GET /a HTTP/1.1\nHost: x\n\n", 400},
      {"folded line", get + "X-A: a\r\n b\r\n\r\n", 400},
      {"space before the colon", get + "X-A : a\r\n\r\n", 400},
      {"NUL in a value", get + std::string("X-A: a\0b\r\n\r\n", 12), 400},
      {"no Host on HTTP/1.1", "GET /a HTTP/1.1\r\n\r\n", 400},
      {"two Hosts", get + "Host: y\r\n\r\n", 400},
      {"HTTP/2.0", "GET /a HTTP/2.0\r\nHost: x\r\n\r\n", 505},
      {"garbage line", "GARBAGE\r\n\r\n", 400},
      {"two spaces", "GET  /a HTTP/1.1\r\nHost: x\r\n\r\n", 400},
      {"unknown expectation", get + "Content-Length: 1\r\nExpect: teapot\r\n\r\n", 417},
      {"target too long", "GET /" + std::string(300, 'a') + " HTTP/1.1\r\n", 414},
      {"head too large", get + "X-A: " + std::string(3000, 'a'), 431},
  };
  for (const auto& c : cases) {
    RequestFramer framer(smallLimits());
    std::string in = c.bytes;
    EXPECT_EQ(framer.feed(in), State::Failed) << c.name;
    EXPECT_EQ(framer.failStatus(), c.status) << c.name << ": " << framer.failReason();
  }
}

TEST(RequestFramerTest, CutsWellFramedRequestsWhateverTheyArriveIn) {
  const std::string two =
      "\r\nPOST /s?x=1 HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n"
      "Expect: 100-continue\r\n\r\n"
      "3;ext=1\r\nabc\r\n2\r\nde\r\n0\r\nX-Trailer: t\r\n\r\n"
      "POST /t HTTP/1.0\r\nContent-Length: 3\r\n\r\nxyzGET";
  for (size_t step : {size_t{1}, size_t{7}, two.size()}) {
    RequestFramer framer(smallLimits());
    std::string in;
    std::vector<std::string> bodies, targets;
    for (size_t off = 0; off < two.size(); off += step) {
      in += two.substr(off, step);
      while (framer.feed(in) == State::Complete) {
        bodies.push_back(framer.body());
        targets.push_back(framer.head().target);
        if (targets.size() == 1) {
          EXPECT_TRUE(framer.head().expectContinue);
          EXPECT_TRUE(framer.head().keepAlive);
        } else {
          EXPECT_FALSE(framer.head().keepAlive) << "HTTP/1.0 closes";
        }
        framer.reset();
      }
      ASSERT_NE(framer.state(), State::Failed) << framer.failReason() << " at step " << step;
    }
    EXPECT_EQ(bodies, (std::vector<std::string>{"abcde", "xyz"})) << "step " << step;
    EXPECT_EQ(targets, (std::vector<std::string>{"/s?x=1", "/t"}));
    EXPECT_EQ(in, "GET") << "the start of a third request stays";
    EXPECT_TRUE(framer.started());
  }
}

TEST(MultipartFormTest, NamedPartsAndWhatIsNotWellFormed) {
  EXPECT_EQ(multipartBoundary("multipart/form-data; boundary=XyZ"), "XyZ");
  EXPECT_EQ(multipartBoundary("multipart/form-data; charset=x; boundary=\"a b\""), "a b");
  EXPECT_EQ(multipartBoundary("multipart/form-data"), "");
  EXPECT_EQ(multipartBoundary("multipart/form-data; boundary=" + std::string(71, 'b')), "");

  httplib::MultipartFormDataMap parts;
  ASSERT_TRUE(parseMultipartFormData(
      "preamble\r\n--B\r\nContent-Disposition: form-data; name=\"action\"\r\n\r\n1\r\n"
      "--B\r\nnonsense\r\n\r\nskipped\r\n"
      "--B\r\nContent-Disposition: form-data; name=dados; filename=\"d.txt\"\r\n"
      "Content-Type: text/plain\r\n\r\na.com;--B\r\nx\r\n--B--\r\nepilogue",
      "B", parts));
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts.find("action")->second.content, "1");
  EXPECT_EQ(parts.find("dados")->second.content, "a.com;--B\r\nx") << "only CR LF --B ends";
  EXPECT_EQ(parts.find("dados")->second.filename, "d.txt");

  for (const char* broken :
       {"", "--B\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n2",
        "--B\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n2\r\n--C--\r\n", "--Bx\r\n",
        "--B\r\nContent-Disposition: form-data; name=\"a\"\r\n"}) {
    httplib::MultipartFormDataMap none;
    EXPECT_FALSE(parseMultipartFormData(broken, "B", none)) << broken;
  }
}

TEST(ByteRangesTest, RangesAsRfc9110ReadsThem) {
  using Outcome = ByteRanges::Outcome;
  struct Case {
    std::string header;
    Outcome outcome;
    std::vector<std::pair<uint64_t, uint64_t>> ranges;
  };
  for (const auto& c : std::vector<Case>{
           {"bytes=0-", Outcome::Partial, {{0, 99}}},
           {"bytes=0-9,20-29", Outcome::Partial, {{0, 9}, {20, 29}}},
           {"bytes=90-200", Outcome::Partial, {{90, 99}}},
           {"bytes=-10", Outcome::Partial, {{90, 99}}},
           {"bytes=-500", Outcome::Partial, {{0, 99}}},
           {"bytes=100-,5-5", Outcome::Partial, {{5, 5}}},
           {"bytes= 1-2 , , 3-4", Outcome::Partial, {{1, 2}, {3, 4}}},
           {"bytes=100-", Outcome::Unsatisfiable, {}},
           {"bytes=-0", Outcome::Unsatisfiable, {}},
           {"bytes=5-1", Outcome::Whole, {}},
           {"bytes=a-b", Outcome::Whole, {}},
           {"items=0-1", Outcome::Whole, {}},
           {"bytes=", Outcome::Whole, {}},
           {"bytes=0-0,1-1,2-2,3-3,4-4,5-5,6-6,7-7,8-8,9-9,10-10,11-11,12-12,13-13,14-14,15-15,"
            "16-16",
            Outcome::Whole,
            {}},
       }) {
    ByteRanges r = parseByteRanges(c.header, 100);
    EXPECT_EQ(r.outcome, c.outcome) << c.header;
    if (c.outcome == Outcome::Partial) {
      EXPECT_EQ(r.ranges, c.ranges) << c.header;
    }
  }
  EXPECT_EQ(parseByteRanges("bytes=0-", 0).outcome, Outcome::Unsatisfiable);
}

TEST(TextChecksTest, AddressesFoldLikeTheDesktopProgramFoldsThem) {
  struct Case {
    std::string in, out;
  };
  for (const auto& c : std::vector<Case>{{"ANA@Exemplo.COM.BR", "ana@exemplo.com.br"},
                                         {"\xc3\x81NA@x.com", "\xc3\xa1na@x.com"},  // ÁNA
                                         {"\xc3\x87"
                                          "A\xc3\x87"
                                          "A.com.br",
                                          "\xc3\xa7"
                                          "a\xc3\xa7"
                                          "a.com.br"},  // ÇAÇA
                                         {"\xce\xa3\xce\x9f\xce\xa6\xce\x99\xce\x91",
                                          "\xcf\x83\xce\xbf\xcf\x86\xce\xb9\xce\xb1"},  // ΣΟΦΙΑ
                                         {"caf\xe9", "caf\xe9"}}) {  // ill-formed: kept
    EXPECT_EQ(foldCase(c.in), c.out) << c.in;
  }
}

}  // namespace
}  // namespace quorvel::testing
