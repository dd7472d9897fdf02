#pragma once
// The message kit on a terminal: errors and warnings go to stderr, information only when asked
// for, and questions are answered "no" (a batch run never waits for a person).

#include <cstdio>
#include <string>

#include "common/ports.h"

namespace quorvel::cli {

class TerminalDialogs : public Dialogs {
 public:
  bool verbose = false;

  void msgInformacao(const std::string& t, int = 0) override {
    if (verbose) print("informação", t);
  }
  void msgErro(const std::string& t, int = 0) override { print("erro", t); }
  void msgAviso(const std::string& t, int = 0) override { print("aviso", t); }
  int msgPergunta(const std::string& t, int = 0) override {
    print("pergunta (respondida com não)", t);
    return kNao;
  }
  void msgAjuda(const std::string& t, int = 0, int = 0) override { print("ajuda", t); }
  void msgDica(const std::string&, const std::string&, int) override {}
  std::string pedirValor(const std::string&, const std::string&) override { return {}; }
  std::string getFileSelect(const std::string&, const std::string&, const std::string&, bool,
                            bool) override {
    return {};
  }
  std::string getFileSave(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  std::optional<int> escolherItem(const std::string&, const std::string&,
                                  const std::vector<std::string>&) override {
    return std::nullopt;
  }
  std::optional<std::string> showInputMemo(const std::string&, const std::string&,
                                           const std::string&, const std::string&) override {
    return std::nullopt;
  }

 private:
  static void print(const char* kind, const std::string& texto);
};

class NullPump : public EventPump {
 public:
  void processEvents() override {}
};

// A one-line progress bar on stderr, drawn only when stderr is a terminal.
class TerminalProgressBar {
 public:
  explicit TerminalProgressBar(std::string label);
  ~TerminalProgressBar();
  void update(int64_t done, int64_t total);  // total <= 0: unknown
  void finish();

 private:
  std::string label_;
  bool enabled_;
  bool drawn_ = false;
  double start_;
  double lastDraw_ = -1;
};

}  // namespace quorvel::cli
