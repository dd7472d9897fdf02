#include "support/scripted_ports.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using quorvel::RecordingProgress;
using quorvel::ScriptedDialogs;
using quorvel::UnexpectedQuestion;

namespace {

TEST(ScriptedDialogs, AnswersFromTheQueueAndFailsOnAnUnexpectedQuestion) {
  ScriptedDialogs d;
  d.answers = {quorvel::kSim, quorvel::kEsc};
  EXPECT_EQ(d.msgPergunta("Deseja cancelar esse processamento?"), quorvel::kSim);
  EXPECT_EQ(d.msgPergunta("Segunda?"), quorvel::kEsc);
  EXPECT_THROW(d.msgPergunta("Terceira?"), UnexpectedQuestion);
  // The question that had no answer is recorded too, so the failure can say which one it was.
  EXPECT_EQ(d.texts("question"), (std::vector<std::string>{"Deseja cancelar esse processamento?",
                                                           "Segunda?", "Terceira?"}));

  EXPECT_THROW(d.pedirValor("Ir para linha...", ""), UnexpectedQuestion);
  EXPECT_THROW(d.getFileSave("", "", ".csv"), UnexpectedQuestion);
  EXPECT_THROW(d.chooseItem("Coluna", "Escolha", {"emails"}), UnexpectedQuestion);
  EXPECT_THROW(d.showInputMemo("Dados listados:", "", "Ok", ""), UnexpectedQuestion);
}

TEST(ScriptedDialogs, RecordsMessagesInOrderWithTipIds) {
  ScriptedDialogs d;
  d.msgErro("É preciso selecionar uma coluna para realizar essa operação");
  d.msgDica("230609", "Atenção", 250);
  d.msgInformacao("Ok");
  ASSERT_EQ(d.messages.size(), 3u);
  EXPECT_EQ(d.messages[1], (quorvel::RecordedMessage{"tip", "Atenção", "230609", 250}));
  EXPECT_EQ(
      d.texts("error"),
      (std::vector<std::string>{"É preciso selecionar uma coluna para realizar essa operação"}));
}

TEST(RecordingProgress, NewProgressClearsCancelAndEmptyLegendsKeepTheirLines) {
  RecordingProgress p;
  quorvel::Progress& progresso = p;  // called through the port, as the core does
  progresso.setProgress("Ordenando coluna...", 30, "Aguarde...");
  p.onStep = [](RecordingProgress& self) {
    if (self.position == 2) self.cancelRequested = true;
  };
  progresso.stepProgress("Etapa 1/3");
  EXPECT_FALSE(p.cancelou());
  progresso.stepProgress();
  EXPECT_EQ(p.position, 2);
  EXPECT_EQ(p.legend1, "Etapa 1/3");
  EXPECT_TRUE(p.cancelou());

  progresso.setConcluido("Pronto");
  progresso.setProgress("Copiando dados...", 10, "Total de registros: 10");
  EXPECT_FALSE(p.cancelou());
  EXPECT_EQ(p.position, 0);
  EXPECT_EQ(p.maximum, 10);
  EXPECT_EQ(p.operation, "Copiando dados...");
  EXPECT_EQ(p.completed, "");
  EXPECT_TRUE(p.visible);
}

}  // namespace
