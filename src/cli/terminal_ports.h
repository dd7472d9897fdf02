#pragma once
// The message kit on a terminal: errors and warnings go to stderr, information only when asked
// for, and questions are answered "no" (a batch run never waits for a person).

#include <cstdio>
#include <deque>
#include <memory>
#include <string>

#include "common/internet_state.h"
#include "common/paths.h"
#include "common/ports.h"
#include "common/silent_ports.h"

namespace quorvel::cli {

// Messages on stderr; a question is answered "no" and the other dialogs give nothing, except the
// file chooser, which gives the files the command line named.
class TerminalDialogs : public SilentDialogs {
 public:
  bool verbose = false;
  // Answers of the file chooser, one per use (paths joined by line breaks): the command line
  // names the files a person would pick.
  std::deque<std::string> arquivos;
  int erros = 0;  // error messages shown so far

  void msgInformacao(const std::string& t, int = 0) override {
    if (verbose) print("informação", t);
  }
  void msgErro(const std::string& t, int = 0) override {
    ++erros;
    print("erro", t);
  }
  void msgAviso(const std::string& t, int = 0) override { print("aviso", t); }
  int msgPergunta(const std::string& t, int = 0) override {
    print("pergunta (respondida com não)", t);
    return kNao;
  }
  void msgAjuda(const std::string& t, int = 0, int = 0) override { print("ajuda", t); }
  std::string getFileSelect(const std::string&, const std::string&, const std::string&, bool,
                            bool) override {
    if (arquivos.empty()) return {};
    std::string r = arquivos.front();
    arquivos.pop_front();
    return r;
  }

 private:
  static void print(const char* kind, const std::string& texto);
};

// A one-line progress bar on stderr, drawn only when stderr is a terminal.
class TerminalProgressBar {
 public:
  explicit TerminalProgressBar(std::string label);
  ~TerminalProgressBar();
  void update(int64_t done, int64_t total);  // total <= 0: unknown
  // A line of the caller's own after the label (drawn at most ten times a second).
  void show(const std::string& texto);
  void finish();
  double elapsedSeconds() const;

 private:
  std::string label_;
  bool enabled_;
  bool drawn_ = false;
  double start_;
  double lastDraw_ = -1;
};

// The progress box on a terminal: the operation and its position as a bar on stderr; Ctrl+C
// (see installCancelHandler) is its cancel button.
class TerminalProgress : public Progress {
 public:
  void setProgress(const std::string& operacao, int64_t valorMax, const std::string&,
                   const std::string&, const std::string&, int) override;
  void stepProgress(const std::string&, const std::string&, const std::string&, int) override;
  void setConcluido(const std::string&) override {}
  void setLegend(int, const std::string&) override {}
  void setPosition(int64_t posicao) override;
  void hide() override;
  bool cancelou() const override;
  void clearCancel() override;

 private:
  std::unique_ptr<TerminalProgressBar> barra_;
  int64_t max_ = 0, pos_ = 0;
};

// Ctrl+C sets the cancel request instead of ending the program (a second one ends it).
void installCancelHandler();
bool cancelRequestedByUser();
void clearCancel();

// The platform of a batch run: the workspace named on the command line, the real clock, no
// desktop shell (the command prints what the desktop would open).
class TerminalPlatform : public Platform {
 public:
  explicit TerminalPlatform(std::string pasta) : pasta_(std::move(pasta)) {}
  std::string programFolder() const override { return pasta_; }
  // Pages and folders the desktop would open are printed when asked for (the mail commands).
  bool mostrarAberturas = false;
  void shellOpen(const std::string& alvo) override;
  std::string clipboardText() const override { return clipboard_; }
  void setClipboardText(const std::string& t) override { clipboard_ = t; }
  bool internetConnected() const override { return TemInternet(); }
  std::vector<FileEntry> listFolder(const std::string& pasta) const override {
    return paths::listFolder(pasta);
  }
  std::chrono::system_clock::time_point now() const override {
    return std::chrono::system_clock::now();
  }

 private:
  std::string pasta_, clipboard_;
};

class NullPump : public EventPump {
 public:
  void processEvents() override {}
};

}  // namespace quorvel::cli
