// The HTTP client against the real service (HTTP and HTTPS), and against a server scripted to
// misbehave: every failure is a typed error with a Portuguese text, and a download that does not
// arrive whole never replaces the file it was meant for.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "online/curl_http_client.h"
#include "online/file_download.h"
#include "support/dns_peer.h"
#include "support/scripted_http_server.h"
#include "support/service_peer.h"
#include "support/temp_folder.h"

namespace quorvel {
namespace {

using ::testing::HasSubstr;
using testing::ScriptedHttpServer;
using testing::ServicePeer;

HttpRequest pedido(const std::string& url) {
  HttpRequest p;
  p.url = url;
  return p;
}

HttpError::Kind falhaDe(const std::function<void()>& f, std::string& texto) {
  try {
    f();
  } catch (const HttpError& e) {
    texto = e.what();
    return e.kind;
  }
  ADD_FAILURE() << "nenhuma falha";
  return HttpError::Kind::other;
}

TEST(CurlHttpClient, GetsAPublishedFileOverHttpAndHttpsWithItsProgress) {
  for (bool tls : {false, true}) {
    SCOPED_TRACE(tls ? "https" : "http");
    ServicePeer servico(tls);
    const std::string notas(200000, 'n');
    servico.publicar("buildnotas.htm", notas);
    CurlHttpClient http;
    if (tls) http.caFile = servico.certificado();
    HttpRequest p = pedido(servico.url() + "/quorvel/download/buildnotas.htm");
    std::vector<std::pair<int64_t, int64_t>> progresso;
    p.progresso = [&](int64_t r, int64_t a) { progresso.emplace_back(r, a); };
    EXPECT_EQ(http.getText(p), notas);
    ASSERT_GE(progresso.size(), 2u);
    EXPECT_EQ(progresso.front(), std::make_pair(int64_t{0}, int64_t{200000}));
    EXPECT_EQ(progresso.back(), std::make_pair(int64_t{200000}, int64_t{200000}));
  }
}

TEST(CurlHttpClient, TheTestsCaFileComesFromTheEnvironmentAndAnUntrustedCertificateFails) {
  ServicePeer servico(true);
  const std::string url = servico.url() + "/quorvel/download/definitions.txt";
  CurlHttpClient http;
  ::setenv("QUORVEL_CA_FILE", servico.certificado().c_str(), 1);
  EXPECT_THAT(http.getText(pedido(url)), HasSubstr("paises="));
  // The system's store does not know the service's own certificate: no answer is taken from it.
  ::unsetenv("QUORVEL_CA_FILE");
  std::string texto;
  EXPECT_EQ(falhaDe([&] { http.getText(pedido(url)); }, texto), HttpError::Kind::tls);
  EXPECT_THAT(texto, HasSubstr("o certificado de segurança de " + servico.url() +
                               " não pôde ser verificado"));
}

TEST(CurlHttpClient, FailuresAreTypedWithTextsForTheUser) {
  ServicePeer servico;
  ScriptedHttpServer roteiro;
  roteiro.responder("/cortado", {200, std::string(100000, 'x'), false, 50000});
  roteiro.responder("/mudo", {200, "", false, std::string::npos, true});
  roteiro.responder("/erro", {503, "Serviço indisponível no momento; tente novamente."});
  const int fechada = testing::freePort(SOCK_STREAM);
  struct Caso {
    const char* nome;
    std::string url;
    HttpError::Kind tipo;
    std::string trecho;
    bool cancelar = false;
  } casos[] = {
      {"recusada", "http://127.0.0.1:" + std::to_string(fechada) + "/x",
       HttpError::Kind::connection, "não foi possível conectar ao serviço em http://127.0.0.1:"},
      {"inexistente", servico.url() + "/quorvel/download/nada.txt", HttpError::Kind::status,
       "respondeu com o erro HTTP 404"},
      {"erro do serviço", roteiro.url() + "/erro", HttpError::Kind::status,
       "erro HTTP 503 (Serviço indisponível no momento; tente novamente.)"},
      {"cortado", roteiro.url() + "/cortado", HttpError::Kind::truncated,
       "foi interrompida (50000 de 100000 bytes recebidos)"},
      {"mudo", roteiro.url() + "/mudo", HttpError::Kind::timeout, "parou de responder por 1 s"},
      {"cancelado", roteiro.url() + "/mudo", HttpError::Kind::cancelled, "cancelada", true},
  };
  CurlHttpClient http;
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    HttpRequest p = pedido(c.url);
    p.timeouts.readSeconds = 1;
    if (c.cancelar) p.continuar = [] { return false; };
    std::string texto;
    EXPECT_EQ(falhaDe([&] { http.getText(p); }, texto), c.tipo);
    EXPECT_THAT(texto, HasSubstr(c.trecho));
  }
}

TEST(BaixarParaArquivo, ADownloadCutHalfwayLeavesTheInstalledFileAsItWas) {
  testing::TempFolder pasta;
  ScriptedHttpServer roteiro;
  const std::string novo(300000, 'z');
  roteiro.responder("/cortado", {200, novo, false, novo.size() / 2});
  roteiro.responder("/inteiro", {200, novo});
  pasta.write("alvo.bin", "antigo");
  CurlHttpClient http;
  const std::string alvo = (pasta / "alvo.bin").string();
  EXPECT_THROW(baixarParaArquivo(http, pedido(roteiro.url() + "/cortado"), alvo), HttpError);
  EXPECT_EQ(pasta.bytes("alvo.bin"), "antigo");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(pasta.path()), {}), 1);
  baixarParaArquivo(http, pedido(roteiro.url() + "/inteiro"), alvo);
  EXPECT_EQ(pasta.bytes("alvo.bin"), novo);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(pasta.path()), {}), 1);
}

}  // namespace
}  // namespace quorvel
