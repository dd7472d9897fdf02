// The sharing exchange: the fields of each action as they go over the wire, the answers, and
// every action against the real service.
#include "online/sync_protocol.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "online/curl_http_client.h"
#include "support/scripted_http_server.h"
#include "support/service_peer.h"

namespace quorvel {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;
using testing::ScriptedHttpServer;
using testing::ServicePeer;

struct Troca {
  CurlHttpClient http;
  SharingFlags flags;
  SyncProtocol sync{http, flags};
};

TEST(SyncProtocol, FieldsGoInTheirOrderTrimmedAndEmptyOnesAreLeftOut) {
  Troca t;
  t.sync.credenciais = {" ana@loja.com.br ", ""};
  auto nomes = [](const std::vector<FormField>& c) {
    std::vector<std::pair<std::string, std::string>> r;
    for (const auto& f : c) r.emplace_back(f.name, f.value);
    return r;
  };
  // A first download: no date; no key.
  EXPECT_THAT(
      nomes(t.sync.campos({{"page", "0"}, {"date", ""}}, 3)),
      ElementsAre(Pair("email", "ana@loja.com.br"), Pair("page", "0"), Pair("action", "3")));
  t.sync.credenciais.chave = "k1";
  EXPECT_THAT(nomes(t.sync.campos({{"compartilha", "true"}}, 7)),
              ElementsAre(Pair("email", "ana@loja.com.br"), Pair("chave", "k1"),
                          Pair("compartilha", "true"), Pair("action", "7")));
  EXPECT_THAT(nomes(t.sync.campos({}, 10)), ElementsAre(Pair("email", "ana@loja.com.br"),
                                                        Pair("chave", "k1"), Pair("action", "10")));
}

TEST(SyncProtocol, BatchesAndPagesAreTextsOfLines) {
  EXPECT_EQ(dadosDoLote("b.com.br\r\na.com.br\r\nc.com.br\r\n"), "b.com.br;a.com.br;c.com.br;");
  EXPECT_EQ(dadosDoLote("x@y.com\ny@z.com"), "x@y.com;y@z.com");
  // UTF-8 bytes read back as Windows-1252 characters (what the service repairs).
  EXPECT_EQ(dadosDoLote("são.com.br\r\n"), "s\xC3\x83\xC2\xA3o.com.br;");
  struct {
    const char* texto;
    int64_t linhas;
  } casos[] = {{"", 0}, {"a", 1}, {"a\n", 1}, {"a\nb", 2}, {"a\r\nb\r\n", 2}, {"\n\n", 2}};
  for (const auto& c : casos) EXPECT_EQ(contarLinhas(c.texto), c.linhas) << c.texto;
}

TEST(SyncProtocol, EveryActionAgainstTheService) {
  ServicePeer servico;
  Troca t;
  t.sync.baseUrl = servico.url();
  t.sync.credenciais = {"ana@loja.com.br", servico.adicionarUsuario("ana@loja.com.br")};
  EXPECT_TRUE(t.sync.podeSincronizar());
  EXPECT_TRUE(t.flags.gPodeSincronizar);
  EXPECT_TRUE(t.sync.sincronizarSitesValidos("b.com.br\r\na.com.br\r\nc.com.br\r\n"));
  EXPECT_TRUE(t.sync.sincronizarSitesInValidos("semmx.com.br\r\n"));
  EXPECT_EQ(t.sync.getSitesMXValidos(""), "b.com.br\na.com.br\nc.com.br\n");
  EXPECT_EQ(t.sync.getSitesMXInValidos("2020-10-10"), "semmx.com.br\n");
  EXPECT_EQ(t.sync.getSitesMXValidos("2999-01-01"), "");
  auto datas = t.sync.getSitesMXDatas();
  ASSERT_EQ(datas.size(), 2u);
  EXPECT_THAT(datas[0], ::testing::StartsWith("mx_validos=20"));
  EXPECT_THAT(datas[1], ::testing::StartsWith("mx_invalidos=20"));
  // Addresses are sent only while the user takes part in sharing.
  EXPECT_FALSE(t.sync.sincronizarEmailsInValidos("joao@cliente.com.br\r\n"));
  EXPECT_EQ(t.sync.getOnlineEmailData(), "2020-01-01");  // nothing shared yet
  t.sync.setCompartilha(true);
  EXPECT_TRUE(t.flags.gCompartilha);
  EXPECT_TRUE(t.sync.sincronizarEmailsInValidos("joao@cliente.com.br\r\n"));
  EXPECT_EQ(t.sync.getOnlineEmailsInvalidos(""), "joao@cliente.com.br\n");
  EXPECT_EQ(t.sync.getOnlineEmailData(), datas[0].substr(11));
  t.sync.setCompartilha(false);
  EXPECT_FALSE(t.flags.gCompartilha);

  // A wrong key: the question fails (and says no), a send is simply not done.
  t.sync.credenciais.chave = "errada";
  t.flags.gCompartilha = true;
  EXPECT_THROW(t.sync.podeSincronizar(), HttpError);
  EXPECT_FALSE(t.flags.gPodeSincronizar);
  EXPECT_FALSE(t.sync.sincronizarSitesValidos("d.com.br\r\n"));
  EXPECT_THROW(t.sync.setCompartilha(false), HttpError);
  EXPECT_TRUE(t.flags.gCompartilha);  // unchanged
}

TEST(SyncProtocol, OnlyTheExactTrimmedInseriuIsSuccess) {
  ScriptedHttpServer roteiro;
  std::string resposta;
  roteiro.responderCom(kSyncScript, [&](const ScriptedHttpServer::Pedido&) {
    return ScriptedHttpServer::Resposta{200, resposta};
  });
  Troca t;
  t.sync.baseUrl = roteiro.url();
  t.sync.credenciais = {"ana@loja.com.br", "k"};
  for (auto [texto, ok] : {std::pair{"inseriu", true},
                           {"inseriu\r\n", true},
                           {" inseriu ", true},
                           {"Inseriu", false},
                           {"inseriu.", false},
                           {"", false}}) {
    resposta = texto;
    EXPECT_EQ(t.sync.sincronizarSitesValidos("a.com.br\r\nb.com.br\r\nc.com.br\r\n"), ok) << texto;
  }
  // On the wire: the fields in their order, and the three names each followed by ";".
  auto ultimo = roteiro.pedidos().back();
  EXPECT_EQ(ultimo.metodo, "POST");
  EXPECT_THAT(ultimo.campos(),
              ElementsAre(Pair("email", "ana@loja.com.br"), Pair("chave", "k"), Pair("action", "1"),
                          Pair("dados", "a.com.br;b.com.br;c.com.br;")));
}

TEST(SyncProtocol, PagesFollowWhileFullUpToElevenPages) {
  ScriptedHttpServer roteiro;
  std::string pagina;
  roteiro.responderCom(kSyncScript, [&](const ScriptedHttpServer::Pedido&) {
    return ScriptedHttpServer::Resposta{200, pagina};
  });
  Troca t;
  t.sync.baseUrl = roteiro.url();
  auto linhas = [](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "x\n";
    return s;
  };
  pagina = linhas(499999);
  EXPECT_EQ(contarLinhas(t.sync.getSitesMXValidos("")), 499999);
  EXPECT_EQ(roteiro.pedidos().size(), 1u);
  EXPECT_EQ(roteiro.pedidos()[0].campo("page"), "0");
  pagina = linhas(500000);
  EXPECT_EQ(contarLinhas(t.sync.getOnlineEmailsInvalidos("2020-10-10")), 11 * 500000);
  auto pedidos = roteiro.pedidos();
  ASSERT_EQ(pedidos.size(), 12u);
  EXPECT_EQ(pedidos.back().campo("page"), "10");
  EXPECT_EQ(pedidos.back().campo("date"), "2020-10-10");
  EXPECT_EQ(pedidos.back().campo("action"), "9");
}

TEST(SyncProtocol, WithoutAServiceNothingIsSentAndTheQuestionFails) {
  Troca t;
  t.flags.gCompartilha = true;
  EXPECT_THROW(t.sync.podeSincronizar(), ServiceNotConfigured);
  EXPECT_FALSE(t.sync.sincronizarSitesValidos("a.com.br\r\n"));
  EXPECT_FALSE(t.sync.sincronizarEmailsInValidos("a@b.com.br\r\n"));
}

}  // namespace
}  // namespace quorvel
