#pragma once
// Port implementations driven by a script, for tests and batch use: every message is recorded,
// questions are answered from a queue, and a question with no answer queued is an error.

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/ports.h"

namespace quorvel {

struct RecordedMessage {
  std::string kind;  // "informacao", "erro", "aviso", "pergunta", "ajuda", "dica", "escolha", ...
  std::string texto;
  std::string id;  // tip id for "dica"
  int altura = 0;
  bool operator==(const RecordedMessage&) const = default;
};

class UnexpectedQuestion : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

class ScriptedDialogs : public Dialogs {
 public:
  std::vector<RecordedMessage> messages;
  std::deque<int> respostas;                              // msgPergunta answers
  std::deque<std::optional<int>> escolhas;                // column chooser answers
  std::deque<std::string> valores;                        // pedirValor / file dialogs answers
  std::deque<std::optional<std::string>> memos;           // showInputMemo answers
  std::vector<std::vector<std::string>> itensOferecidos;  // what the chooser listed

  void msgInformacao(const std::string& t, int = 0) override { record("informacao", t); }
  void msgErro(const std::string& t, int = 0) override { record("erro", t); }
  void msgAviso(const std::string& t, int = 0) override { record("aviso", t); }
  int msgPergunta(const std::string& t, int = 0) override;
  void msgAjuda(const std::string& t, int = 0, int altura = 0) override;
  void msgDica(const std::string& id, const std::string& t, int altura) override;
  std::string pedirValor(const std::string& titulo, const std::string& inicial) override;
  std::string getFileSelect(const std::string&, const std::string&, const std::string&, bool,
                            bool) override;
  std::string getFileSave(const std::string&, const std::string&, const std::string&) override;
  std::optional<int> escolherItem(const std::string& titulo, const std::string& rotulo,
                                  const std::vector<std::string>& itens) override;
  std::optional<std::string> showInputMemo(const std::string& titulo, const std::string& inicial,
                                           const std::string& btnOk,
                                           const std::string& descricao) override;

  // Texts of the messages of one kind, in order.
  std::vector<std::string> textos(const std::string& kind) const;

 private:
  void record(const std::string& kind, const std::string& texto, const std::string& id = {},
              int altura = 0) {
    messages.push_back({kind, texto, id, altura});
  }
  std::string nextValor(const std::string& what);
};

// A progress box without a window: remembers what it was told.
class RecordingProgress : public Progress {
 public:
  std::string operacao, legenda1, legenda2, legenda3, concluido;
  int64_t maximo = 0, posicao = 0;
  bool visivel = false;
  bool cancelRequested = false;
  // Called on every step; a test can set cancelRequested from here.
  std::function<void(RecordingProgress&)> onStep;
  // Called whenever a legend line is replaced on its own.
  std::function<void(RecordingProgress&)> onLegenda;

  void setProgress(const std::string& op, int64_t max, const std::string& l1, const std::string& l2,
                   const std::string& l3, int) override;
  void stepProgress(const std::string& l1, const std::string& l2, const std::string& l3,
                    int) override;
  void setConcluido(const std::string& legenda) override;
  void setLegenda(int linha, const std::string& texto) override;
  void setPosicao(int64_t p) override { posicao = p; }
  void esconder() override { visivel = false; }
  bool cancelou() const override { return cancelRequested; }
  // One click on "Cancelar": the request is made once, at the step showing `legenda`.
  void cancelarNoPasso(const std::string& legenda) {
    onStep = [legenda, feito = false](RecordingProgress& p) mutable {
      if (!feito && p.legenda1 == legenda) p.cancelRequested = feito = true;
    };
  }
  void limparCancelamento() override { cancelRequested = false; }
};

// A desktop without a desktop: clipboard in memory, a fixed clock, no shell, offline.
class FakePlatform : public Platform {
 public:
  std::string pasta = "/tmp";
  std::string clipboard;
  std::vector<std::string> abertos;  // what shellOpen was asked to open
  bool online = false;
  std::chrono::system_clock::time_point agora{};

  std::string programFolder() const override { return pasta; }
  void shellOpen(const std::string& alvo) override { abertos.push_back(alvo); }
  std::string clipboardText() const override { return clipboard; }
  void setClipboardText(const std::string& t) override { clipboard = t; }
  bool internetConectada() const override { return online; }
  std::vector<FileEntry> listFolder(const std::string&) const override { return {}; }
  std::chrono::system_clock::time_point now() const override { return agora; }
};

class NoEventPump : public EventPump {
 public:
  int calls = 0;
  std::function<void()> onPump;  // lets a test act "while events are processed"
  void processEvents() override {
    ++calls;
    if (onPump) onPump();
  }
};

}  // namespace quorvel
