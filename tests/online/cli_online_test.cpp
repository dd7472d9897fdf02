// quorvel-cli definitions, collaboration and update, as a user runs them: with no service, and
// with a service of one's own (quorvel-service user add → the key → collaboration on).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "online/curl_http_client.h"
#include "online/definitions_window.h"
#include "online/sync_protocol.h"
#include "support/cli_runner.h"
#include "support/cli_workspace.h"
#include "support/service_peer.h"

namespace quorvel {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using testing::ServicePeer;

class CliOnline : public testing::CliWorkspace {
 protected:
  // The command line with the service's address in its environment (none when empty).
  Result cli(const std::string& url, const std::string& args, const std::string& antes = {}) {
    if (url.empty())
      ::unsetenv("QUORVEL_SERVICE_URL");
    else
      ::setenv("QUORVEL_SERVICE_URL", url.c_str(), 1);
    Result r = runBash(antes + "QUORVEL " + args + " --home " + pasta.string(), true);
    ::unsetenv("QUORVEL_SERVICE_URL");
    return r;
  }
};

TEST_F(CliOnline, WithoutAServiceTheShippedDefinitionsAreInstalledAndOneLineSaysSo) {
  Result r = cli("", "definitions check");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.out, HasSubstr(std::string("quorvel-cli: ") + kAvisoSemServico + "\n"));
  EXPECT_THAT(r.out, HasSubstr("Armadilhas...\titens: "));
  EXPECT_THAT(r.out, Not(HasSubstr("Armadilhas...\titens: 0\t")));
  EXPECT_THAT(r.out, Not(HasSubstr("Extensões de outros países...\titens: 0\t")));
  EXPECT_THAT(ler("definitions.txt"), HasSubstr("paises="));
  r = cli("", "update check");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.out,
              HasSubstr("não foi possível verificar se há atualização: nenhum serviço online "
                        "configurado"));
}

TEST_F(CliOnline, SharingWithAServiceOfOnesOwnThenTheDefinitionsUpdate) {
  ServicePeer servico;
  const std::string chave = servico.adicionarUsuario("ana@loja.com.br");
  servico.publicar("nomes_raros", "reyansh\r\n");
  servico.definirBuilds(652, 651);
  {
    CurlHttpClient http;
    SharingFlags flags;
    SyncProtocol outro(http, flags);
    outro.baseUrl = servico.url();
    outro.credenciais = {"ana@loja.com.br", chave};
    ASSERT_TRUE(outro.sincronizarSitesValidos("gmail.com\r\nuol.com.br\r\n"));
  }
  const std::string url = servico.url();
  Result r = cli(url, "collaboration on --email ana@loja.com.br --key -", "echo " + chave + " | ");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_THAT(r.out, HasSubstr("Status atual: Colaboração ATIVADA\nE-mail: ana@loja.com.br\n"
                               "Chave de acesso: guardada\nServiço: " +
                               url + "\n"));
  EXPECT_THAT(ler("config.txt"), HasSubstr("sync_chave=" + chave));

  r = cli(url, "definitions check");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_THAT(r.out, HasSubstr("Nomes raros...\titens: 0\tDefinições de "));
  EXPECT_THAT(r.out, HasSubstr("Base de testes MX válidos\titens: 0\tDefinições de "));
  r = cli(url, "definitions update");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_THAT(r.out, HasSubstr("quorvel-cli: Atualizando sites MX válidos... (2)\n"));
  EXPECT_THAT(r.out,
              HasSubstr("quorvel-cli: As definições online foram atualizadas nesse computador"));
  EXPECT_THAT(r.out, HasSubstr("Nomes raros...\titens: 1\t\n"));
  EXPECT_THAT(r.out, HasSubstr("Base de testes MX válidos\titens: 2\t\n"));
  r = cli(url, "definitions update");
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.out, HasSubstr("as definições instaladas já são as mais recentes"));

  r = cli(url, "update check");
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.out,
              HasSubstr("Build instalado: 651\nBuild atual no serviço: 652\nBuild mínimo: 651\n"
                        "Há uma nova versão do Quorvel disponível: " +
                        url + "/quorvel/download/quorvel-setup.deb\n"));

  // A validation run of a sharing user sends what its MX test learns, fifty domains at a time.
  std::string lista = "emails\n";
  for (int i = 0; i < 60; ++i) lista += "u@aprendido" + std::to_string(i) + ".test\n";
  arquivo("lista.txt", lista);
  r = cli(url, "check --grid --file " + p("lista.txt"));
  EXPECT_EQ(r.status, 0) << r.out;
  {
    CurlHttpClient http;
    SharingFlags flags;
    SyncProtocol outro(http, flags);
    outro.baseUrl = servico.url();
    outro.credenciais = {"ana@loja.com.br", chave};
    EXPECT_EQ(contarLinhas(outro.getSitesMXInValidos("")), 50);
  }

  r = cli(url, "collaboration off");
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.out, HasSubstr("Status atual: Colaboração DESATIVADA"));
  r = cli(url, "collaboration on --key errada");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.out, HasSubstr("o serviço recusou o e-mail e a chave de acesso informados"));
}

}  // namespace
}  // namespace quorvel
