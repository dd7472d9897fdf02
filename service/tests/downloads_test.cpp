// The download folder and the operator's commands.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "dates.h"
#include "service_fixture.h"

namespace quorvel::testing {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
void writeFile(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

class DownloadsTest : public ::testing::Test {
 protected:
  CommandResult cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data", data_.string()});
    return runService(args);
  }
  TempDir dir_;
  fs::path data_ = dir_.path() / "dados";
};

TEST_F(DownloadsTest, ANewDataFolderIsSeededFromThePackagedLists) {
  ServiceProcess server(data_, {});
  httplib::Client c("127.0.0.1", server.port());
  std::string today = service::todayUtc();
  auto defs = c.Get("/quorvel/download/definitions.txt");
  ASSERT_TRUE(defs);
  EXPECT_EQ(defs->body,
            "armadilhas=" + today + "\npaises=" + today + "\nprovedores=" + today + "\n");

  auto countries = c.Get("/quorvel/download/sys_paises.filter");
  ASSERT_TRUE(countries);
  auto lines = quorvel::testing::lines(countries->body);
  EXPECT_GT(lines.size(), 200u);
  EXPECT_NE(std::find(lines.begin(), lines.end(), ".fr"), lines.end());
  EXPECT_EQ(std::find(lines.begin(), lines.end(), ".br"), lines.end());
  auto traps = c.Get("/quorvel/download/sys_armadilhas.filter");
  ASSERT_TRUE(traps);
  EXPECT_GT(traps->body.size(), 100000u);
  EXPECT_EQ(traps->body.rfind("*@", 0), 0u);
  // The two lists nobody publishes yet exist, empty, so a client asking gets no error.
  auto rare = c.Get("/quorvel/download/sys_nomesraros.filter");
  ASSERT_TRUE(rare);
  EXPECT_EQ(rare->status, 200);
  EXPECT_EQ(rare->get_header_value("Content-Length"), "0");
}

TEST_F(DownloadsTest, ServesLengthHeadAndRangesForResumedDownloads) {
  fs::create_directories(data_ / "download");
  std::string setup;
  for (int i = 0; i < 300000; ++i) setup += static_cast<char>('a' + i % 26);
  writeFile(data_ / "download" / "quorvel-setup.exe", setup);
  ServiceProcess server(data_, {});
  httplib::Client c("127.0.0.1", server.port());

  auto head = c.Head("/quorvel/download/quorvel-setup.exe");
  ASSERT_TRUE(head);
  EXPECT_EQ(head->status, 200);
  EXPECT_EQ(head->get_header_value("Content-Length"), "300000");
  EXPECT_TRUE(head->body.empty());

  auto whole = c.Get("/quorvel/download/quorvel-setup.exe");
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->body, setup);

  auto rest = c.Get("/quorvel/download/quorvel-setup.exe", {{"Range", "bytes=123456-"}});
  ASSERT_TRUE(rest);
  EXPECT_EQ(rest->status, 206);
  EXPECT_EQ(rest->body, setup.substr(123456));
  EXPECT_EQ(rest->get_header_value("Content-Range"), "bytes 123456-299999/300000");

  auto beyond = c.Get("/quorvel/download/quorvel-setup.exe", {{"Range", "bytes=300000-"}});
  ASSERT_TRUE(beyond);
  EXPECT_EQ(beyond->status, 416);
  EXPECT_EQ(beyond->get_header_value("Content-Range"), "bytes */300000");
}

TEST_F(DownloadsTest, SeveralRangesComeBackAsMultipartByteranges) {
  fs::create_directories(data_ / "download");
  std::string setup;
  for (int i = 0; i < 1000; ++i) setup += static_cast<char>('a' + i % 26);
  writeFile(data_ / "download" / "quorvel-setup.exe", setup);
  ServiceProcess server(data_, {});
  httplib::Client c("127.0.0.1", server.port());

  auto from0 = c.Get("/quorvel/download/quorvel-setup.exe", {{"Range", "bytes=0-"}});
  ASSERT_TRUE(from0);
  EXPECT_EQ(from0->status, 206);
  EXPECT_EQ(from0->body, setup);
  EXPECT_EQ(from0->get_header_value("Content-Range"), "bytes 0-999/1000");

  auto parts = c.Get("/quorvel/download/quorvel-setup.exe", {{"Range", "bytes=0-9,-5,2000-"}});
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->status, 206);
  std::string type = parts->get_header_value("Content-Type");
  ASSERT_EQ(type.rfind("multipart/byteranges; boundary=", 0), 0u) << type;
  std::string boundary = type.substr(type.find('=') + 1);
  EXPECT_EQ(parts->body, "--" + boundary +
                             "\r\nContent-Type: application/octet-stream\r\n"
                             "Content-Range: bytes 0-9/1000\r\n\r\n" +
                             setup.substr(0, 10) + "\r\n--" + boundary +
                             "\r\nContent-Type: application/octet-stream\r\n"
                             "Content-Range: bytes 995-999/1000\r\n\r\n" +
                             setup.substr(995) + "\r\n--" + boundary + "--\r\n");
}

TEST_F(DownloadsTest, AFifoInTheDownloadFolderIsNotServedAndHoldsNothingUp) {
  fs::create_directories(data_ / "download");
  ASSERT_EQ(::mkfifo((data_ / "download" / "fila.txt").c_str(), 0600), 0);
  ServiceProcess server(data_, {"--threads", "2"});
  httplib::Client c("127.0.0.1", server.port());
  c.set_read_timeout(30, 0);
  for (int i = 0; i < 4; ++i) {  // more than there are workers
    auto r = c.Get("/quorvel/download/fila.txt");
    ASSERT_TRUE(r) << i;
    EXPECT_EQ(r->status, 404);
  }
  auto defs = c.Get("/quorvel/download/definitions.txt");
  ASSERT_TRUE(defs);
  EXPECT_EQ(defs->status, 200);
}

TEST_F(DownloadsTest, NothingOutsideTheDownloadFolderIsReachable) {
  fs::create_directories(data_ / "download" / "sub");
  writeFile(data_ / "segredo.txt", "segredo");
  writeFile(data_ / "download" / "sub" / "x.txt", "x");
  fs::create_symlink(data_ / "segredo.txt", data_ / "download" / "atalho.txt");
  ServiceProcess server(data_, {});
  for (const std::string path :
       {"/quorvel/download/../segredo.txt", "/quorvel/download/%2e%2e/segredo.txt",
        "/quorvel/download/..%2fsegredo.txt", "/quorvel/download/atalho.txt",
        "/quorvel/download/sub/x.txt", "/quorvel/download/.publish.lock", "/quorvel/download/",
        "/quorvel/download/..", "/quorvel/download/quorvel-service.db",
        "/quorvel/download//etc/passwd", "/quorvel/download/x%0d%0aFORJADO"}) {
    std::string answer = rawExchange(
        server.port(), "GET " + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 404") << path << "\n" << answer;
    EXPECT_EQ(answer.find("segredo\n"), std::string::npos);
  }
  // What a client sends cannot start a line of its own in the log.
  EXPECT_EQ(server.log().find("\nFORJADO"), std::string::npos);
  EXPECT_NE(server.log().find("x??FORJADO"), std::string::npos);
}

TEST_F(DownloadsTest, PublishReplacesAFileAndDatesItsDefinition) {
  fs::path source = dir_.path() / "raros.txt";
  writeFile(source, "zzzz\nqqqq\n");
  auto r = cli({"publish", "nomes_raros", source.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(readFile(data_ / "download" / "sys_nomesraros.filter"), "zzzz\nqqqq\n");
  EXPECT_NE(readFile(data_ / "download" / "definitions.txt")
                .find("nomes_raros=" + service::todayUtc() + "\n"),
            std::string::npos);

  // A file that is not a definition is published without a date.
  writeFile(source, "<p>novidades</p>");
  ASSERT_EQ(cli({"publish", "buildnotas.htm", source.string()}).exitCode, 0);
  EXPECT_EQ(readFile(data_ / "download" / "buildnotas.htm"), "<p>novidades</p>");
  EXPECT_EQ(readFile(data_ / "download" / "definitions.txt").find("buildnotas"), std::string::npos);

  // Failures keep the published file as it was.
  auto missing = cli({"publish", "nomes_raros", (dir_.path() / "nada.txt").string()});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("arquivo não encontrado"), std::string::npos);
  EXPECT_EQ(readFile(data_ / "download" / "sys_nomesraros.filter"), "zzzz\nqqqq\n");
  for (const std::string name : {"../fora.txt", "definitions.txt", "buildatual.txt", ".x"}) {
    EXPECT_EQ(cli({"publish", name, source.string()}).exitCode, 1) << name;
  }
  EXPECT_FALSE(fs::exists(dir_.path() / "fora.txt"));
}

TEST_F(DownloadsTest, BuildSetWritesBothNumbers) {
  ASSERT_EQ(cli({"build", "set", "652", "640"}).exitCode, 0);
  EXPECT_EQ(readFile(data_ / "download" / "buildatual.txt"), "652\n");
  EXPECT_EQ(readFile(data_ / "download" / "buildminimo.txt"), "640\n");
  auto wrong = cli({"build", "set", "600", "640"});
  EXPECT_EQ(wrong.exitCode, 1);
  EXPECT_NE(wrong.err.find("mínima não pode passar"), std::string::npos);
  EXPECT_EQ(cli({"build", "set", "abc", "1"}).exitCode, 2);
  EXPECT_EQ(readFile(data_ / "download" / "buildatual.txt"), "652\n");
}

TEST_F(DownloadsTest, CommandLineUsageErrorsExitWith2AndExplainInPortuguese) {
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string text;
  };
  std::vector<Case> cases = {
      {{}, 2, "falta --data PASTA"},
      {{"--data", data_.string(), "--listen", "semporta"}, 2, "--listen espera HOST:PORTA"},
      {{"--data", data_.string(), "--min-senders", "0"}, 2, "--min-senders espera"},
      {{"--data", data_.string(), "--tls-cert", "a.pem"}, 2, "--tls-cert e --tls-key"},
      {{"--data", data_.string(), "--bogus"}, 2, "opção desconhecida"},
      {{"--data", data_.string(), "user", "add", "não é e-mail"}, 2, "e-mail inválido"},
      {{"--data", data_.string(), "user", "disable", "x@y.com"}, 1, "usuário não cadastrado"},
      {{"--data", data_.string(), "fazer"}, 2, "comando desconhecido"},
      {{"--data", data_.string(), "--database", "mysql://x"}, 1, "não reconhecido"},
  };
  for (const auto& c : cases) {
    auto r = runService(c.args);
    EXPECT_EQ(r.exitCode, c.code) << c.text;
    EXPECT_NE(r.err.find(c.text), std::string::npos) << r.err;
  }
  auto help = runService({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Uso:"), std::string::npos);

  ASSERT_EQ(cli({"user", "add", "ana@exemplo.com.br"}).exitCode, 0);
  auto again = cli({"user", "add", "ana@exemplo.com.br"});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err.find("já cadastrado"), std::string::npos);
}

TEST_F(DownloadsTest, ASecondServerOnTheSameDataIsRefused) {
  ServiceProcess first(data_, {});
  auto second = runService({"--data", data_.string(), "--listen", "127.0.0.1:0"});
  EXPECT_EQ(second.exitCode, 1);
  EXPECT_NE(second.err.find("outro servidor"), std::string::npos);
}

}  // namespace
}  // namespace quorvel::testing
