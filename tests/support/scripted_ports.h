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
  std::string kind;  // "information", "error", "warning", "question", "help", "tip", "choice", ...
  std::string texto;
  std::string id;  // tip id for "tip"
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
  std::deque<int> answers;                             // msgPergunta answers
  std::deque<std::optional<int>> choices;              // column chooser answers
  std::deque<std::string> values;                      // pedirValor / file dialogs answers
  std::deque<std::optional<std::string>> memos;        // showInputMemo answers
  std::vector<std::vector<std::string>> offeredItems;  // what the chooser listed
  std::vector<char> offeredSeparators;                 // what the save window offered first
  std::deque<char> separators;                         // the separator chosen there (none: kept)

  void msgInformacao(const std::string& t, int = 0) override { record("information", t); }
  void msgErro(const std::string& t, int = 0) override { record("error", t); }
  void msgAviso(const std::string& t, int = 0) override { record("warning", t); }
  int msgPergunta(const std::string& t, int = 0) override;
  void msgAjuda(const std::string& t, int = 0, int altura = 0) override;
  void msgDica(const std::string& id, const std::string& t, int altura) override;
  std::string pedirValor(const std::string& titulo, const std::string& inicial) override;
  std::string getFileSelect(const std::string&, const std::string&, const std::string&, bool,
                            bool) override;
  std::string getFileSave(const std::string&, const std::string&, const std::string&) override;
  std::string getFileSaveWithSeparator(const std::string& pasta, const std::string& caminho,
                                       const std::string& extensao, char& separador) override;
  std::optional<int> chooseItem(const std::string& titulo, const std::string& rotulo,
                                const std::vector<std::string>& itens) override;
  std::optional<std::string> showInputMemo(const std::string& titulo, const std::string& inicial,
                                           const std::string& btnOk,
                                           const std::string& descricao) override;

  // Texts of the messages of one kind, in order.
  std::vector<std::string> texts(const std::string& kind) const;

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
  std::string operation, legend1, legend2, legend3, completed;
  int64_t maximum = 0, position = 0;
  bool visible = false;
  bool cancelRequested = false;
  // Called on every step; a test can set cancelRequested from here.
  std::function<void(RecordingProgress&)> onStep;
  // Called whenever a legend line is replaced on its own.
  std::function<void(RecordingProgress&)> onLegend;

  void setProgress(const std::string& op, int64_t max, const std::string& l1, const std::string& l2,
                   const std::string& l3, int) override;
  void stepProgress(const std::string& l1, const std::string& l2, const std::string& l3,
                    int) override;
  void setConcluido(const std::string& legenda) override;
  void setLegend(int linha, const std::string& texto) override;
  void setPosition(int64_t p) override { position = p; }
  void hide() override { visible = false; }
  bool cancelou() const override { return cancelRequested; }
  // One click on "Cancelar": the request is made once, at the step showing `legenda`.
  void cancelAtStep(const std::string& legenda) {
    onStep = [legenda, feito = false](RecordingProgress& p) mutable {
      if (!feito && p.legend1 == legenda) p.cancelRequested = feito = true;
    };
  }
  void clearCancel() override { cancelRequested = false; }
};

// A desktop without a desktop: clipboard in memory, a fixed clock, no shell, offline; the file
// system is the real one.
class FakePlatform : public Platform {
 public:
  std::string folder = "/tmp";
  std::string clipboard;
  std::vector<std::string> opened;  // what shellOpen was asked to open
  bool online = false;
  std::chrono::system_clock::time_point clock{};

  std::string programFolder() const override { return folder; }
  void shellOpen(const std::string& alvo) override { opened.push_back(alvo); }
  std::string clipboardText() const override { return clipboard; }
  void setClipboardText(const std::string& t) override { clipboard = t; }
  bool internetConnected() const override { return online; }
  // The real file system: folders are listed as they are.
  std::vector<FileEntry> listFolder(const std::string& pasta) const override;
  std::chrono::system_clock::time_point now() const override { return clock; }
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
