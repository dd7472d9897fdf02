#pragma once
// The window-opening port: a window model asks for another window (a side button, a link, a
// menu entry) by its name, and asks whether that window exists in this program at all, so its
// button or link is enabled only then. The desktop shows its windows; the command line and the
// core's tests put their own stand-in in its place.

namespace quorvel {

enum class WindowId {
  validation,          // TfrmQuorvel
  definitions,         // TfrmDefinicoes
  accounts,            // TfrmContas
  mailbox,             // TfrmMensagens
  collaboration,       // the collaboration consent
  exportWindow,        // "Exportar + utilitários": over the list editor's active list
  exportNegativeBase,  // the mailbox window's "Salvar": over the negative base as it is shown
};

class WindowOpener {
 public:
  virtual ~WindowOpener() = default;
  // The window exists here (its button or link is enabled).
  virtual bool available(WindowId w) const = 0;
  // Shows the window, or brings it to the front; nothing when it is not available.
  virtual void open(WindowId w) = 0;
};

// No window at all: every button and link that would open one stays disabled.
class NoWindows : public WindowOpener {
 public:
  bool available(WindowId) const override { return false; }
  void open(WindowId) override {}
};

// The stand-in a window model starts with, until the program gives it its own.
inline WindowOpener& noWindows() {
  static NoWindows none;
  return none;
}

}  // namespace quorvel
