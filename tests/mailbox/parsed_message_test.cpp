// Taking fetched messages apart: header fields, decoded text of the text parts, the delivery
// report's recipient, and bytes that hold no message.
#include "mailbox/parsed_message.h"

#include <gtest/gtest.h>

#include "common/text_file.h"

namespace quorvel {
namespace {

std::string fixture(const std::string& nome) {
  return readFileBytes(std::string(QUORVEL_TEST_DATA) + "/retornos/" + nome).value();
}

TEST(ParsedMessage, ReadsHeaderFieldsAndDecodesWords) {
  ParsedMessage m = parseMessage(fixture("relatorio_original_recipient.eml"));
  EXPECT_EQ(m.assunto, "Notificação de falha na entrega");
  EXPECT_EQ(m.remetente, "entregas@relay.exemplo.test");
  EXPECT_EQ(m.nomeRemetente, "Mail Delivery System");
  ASSERT_TRUE(m.data.has_value());
  EXPECT_EQ(std::chrono::system_clock::to_time_t(*m.data), 1796734800);  // 2026-12-08 13:00 UTC
  EXPECT_NE(m.cabecalho.find("Subject: Notificação de falha na entrega\r\n"), std::string::npos);
}

TEST(ParsedMessage, TextOfTextPartsOnlyAndTheReportsRecipient) {
  ParsedMessage m = parseMessage(fixture("relatorio_original_recipient.eml"));
  EXPECT_NE(m.texto.find("não foi entregue"), std::string::npos);
  EXPECT_NE(m.texto.find("Subject: Ofertas de dezembro"),
            std::string::npos);                                 // text/rfc822-headers
  EXPECT_EQ(m.texto.find("Reporting-MTA"), std::string::npos);  // the report is not a text part
  EXPECT_EQ(m.destinatarioRelatorio, "Maria.Souza@Cliente.test");
}

TEST(ParsedMessage, LatinOneWithWindowsCharactersBecomesUtf8) {
  ParsedMessage m = parseMessage(fixture("caixa_cheia_latin1.eml"));
  EXPECT_EQ(m.assunto, "Mensagem não entregue");
  EXPECT_NE(m.texto.find("está cheia “Mailbox is full”."), std::string::npos);
}

TEST(ParsedMessage, EightBitHeaderAndUnknownCharsetAreReadNotLost) {
  ParsedMessage m = parseMessage(
      "From: Jos\xe9 <jose@x.test>\r\nSubject: Aten\xe7\xe3o\r\nContent-Type: text/plain; "
      "charset=x-desconhecido\r\n\r\nn\xe3o existe\r\n");
  EXPECT_EQ(m.assunto, "Atenção");
  EXPECT_EQ(m.nomeRemetente, "José");
  EXPECT_EQ(m.texto, "não existe\r\n");
  EXPECT_FALSE(m.data.has_value());
}

TEST(ParsedMessage, MessageWithoutTextPartsFallsBackToTheRawBody) {
  ParsedMessage m = parseMessage(
      "From: a@x.test\r\nContent-Type: application/octet-stream\r\n\r\nuser unknown: b@x.test\r\n");
  EXPECT_EQ(m.texto, "");
  EXPECT_EQ(m.corpoSimples, "user unknown: b@x.test\r\n");
}

TEST(ParsedMessage, TruncatedMultipartStillGivesItsText) {
  ParsedMessage m = parseMessage(
      "Subject: t\r\nContent-Type: multipart/mixed; boundary=zz\r\n\r\n--zz\r\nContent-Type: "
      "text/plain\r\n\r\nuser unknown <c@x.test>");
  EXPECT_EQ(m.texto, "user unknown <c@x.test>");
}

TEST(ParsedMessage, BytesWithoutAHeaderAreUnreadable) {
  EXPECT_THROW(parseMessage(fixture("ilegivel.eml")), MensagemIlegivel);
  EXPECT_THROW(parseMessage(""), MensagemIlegivel);
}

}  // namespace
}  // namespace quorvel
