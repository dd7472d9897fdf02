#pragma once
// Ports for objects used without a view: the progress box and the message kit say nothing.
// A question cannot be answered without someone to ask, so it is an error.

#include <stdexcept>

#include "common/ports.h"

namespace quorvel {

class SilentProgress : public Progress {
 public:
  void setProgress(const std::string&, int64_t, const std::string&, const std::string&,
                   const std::string&, int) override {}
  void stepProgress(const std::string&, const std::string&, const std::string&, int) override {}
  void setConcluido(const std::string&) override {}
  void setLegend(int, const std::string&) override {}
  void setPosition(int64_t) override {}
  void hide() override {}
  bool cancelou() const override { return false; }
  void clearCancel() override {}
};

class SilentDialogs : public Dialogs {
 public:
  void msgInformacao(const std::string&, int) override {}
  void msgErro(const std::string&, int) override {}
  void msgAviso(const std::string&, int) override {}
  int msgPergunta(const std::string& texto, int) override {
    throw std::logic_error("pergunta sem ninguém para responder: " + texto);
  }
  void msgAjuda(const std::string&, int, int) override {}
  void msgDica(const std::string&, const std::string&, int) override {}
  std::string pedirValor(const std::string&, const std::string&) override { return {}; }
  std::string getFileSelect(const std::string&, const std::string&, const std::string&, bool,
                            bool) override {
    return {};
  }
  std::string getFileSave(const std::string&, const std::string&, const std::string&) override {
    return {};
  }
  std::optional<int> chooseItem(const std::string&, const std::string&,
                                const std::vector<std::string>&) override {
    return std::nullopt;
  }
  std::optional<std::string> showInputMemo(const std::string&, const std::string&,
                                           const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

}  // namespace quorvel
