// HTTPS with a certificate from the test's own authority.
#include <gtest/gtest.h>

#include "service_fixture.h"

namespace quorvel::testing {
namespace {

int sh(const std::string& command) {
  return std::system(command.c_str());
}

TEST(TlsTest, ServesHttpsThatAClientWithTheCaTrusts) {
  TempDir dir;
  auto d = dir.path().string();
  ASSERT_EQ(sh("cd " + d +
               " && openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key "
               "-out ca.pem -days 2 -subj /CN=Quorvel-Teste-CA >/dev/null 2>&1"),
            0);
  ASSERT_EQ(sh("cd " + d +
               " && openssl req -newkey rsa:2048 -nodes -keyout server.key "
               "-out server.csr -subj /CN=localhost >/dev/null 2>&1 && printf "
               "'subjectAltName=DNS:localhost,IP:127.0.0.1\\n' > ext.cnf && openssl x509 -req "
               "-in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 2 "
               "-extfile ext.cnf >/dev/null 2>&1"),
            0);
  auto data = dir.path() / "dados";
  std::string key = addUser(data, {}, "ana@exemplo.com.br");
  ServiceProcess server(data, {"--tls-cert", d + "/server.pem", "--tls-key", d + "/server.key"});

  httplib::SSLClient trusted("127.0.0.1", server.port());
  trusted.set_ca_cert_path((d + "/ca.pem").c_str());
  trusted.enable_server_certificate_verification(true);
  httplib::MultipartFormDataItems items = {
      {"email", "ana@exemplo.com.br", "", ""}, {"chave", key, "", ""}, {"action", "2", "", ""}};
  auto r = trusted.Post("/quorvel/bin/sync.php", items);
  ASSERT_TRUE(r) << httplib::to_string(r.error());
  EXPECT_EQ(r->body, "sim");
  auto defs = trusted.Get("/quorvel/download/sys_paises.filter");
  ASSERT_TRUE(defs);
  EXPECT_EQ(defs->status, 200);
  EXPECT_EQ(defs->body.rfind(".a", 0), 0u);

  // Without the authority the certificate is not trusted.
  httplib::SSLClient stranger("127.0.0.1", server.port());
  stranger.set_ca_cert_path((d + "/server.csr").c_str());
  stranger.enable_server_certificate_verification(true);
  EXPECT_FALSE(stranger.Get("/quorvel/download/definitions.txt"));

  // Plain HTTP on the TLS port gets nowhere, and the server carries on.
  httplib::Client plain("127.0.0.1", server.port());
  plain.set_read_timeout(3, 0);
  auto p = plain.Get("/quorvel/download/definitions.txt");
  EXPECT_TRUE(!p || p->status != 200);
  EXPECT_TRUE(trusted.Get("/quorvel/download/definitions.txt"));
}

}  // namespace
}  // namespace quorvel::testing
