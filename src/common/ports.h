#pragma once
// The interfaces through which the core talks to the desktop, the terminal or a test.
// The core never shows anything itself.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/ticker.h"

namespace quorvel {

// Results of msgPergunta.
inline constexpr int kSim = 6;
inline constexpr int kNao = 7;
inline constexpr int kEsc = 2;

// The message kit. In every text the two characters "\n" stand for a line break.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void msgInformacao(const std::string& texto, int segundos = 0) = 0;
  virtual void msgErro(const std::string& texto, int segundos = 0) = 0;
  virtual void msgAviso(const std::string& texto, int segundos = 0) = 0;
  // 6 = yes, 7 = no, 2 = Esc.
  virtual int msgPergunta(const std::string& texto, int segundos = 0) = 0;
  // A question with "&Sim", "&Não" and "&Cancelar": 6, 7, or 2 for "&Cancelar" and Esc. Without
  // a box of its own it is the yes / no question.
  virtual int msgPerguntaCancelar(const std::string& texto) { return msgPergunta(texto); }
  virtual void msgAjuda(const std::string& texto, int segundos = 0, int altura = 0) = 0;
  // A tip the user can silence for good (tip memory by id).
  virtual void msgDica(const std::string& id, const std::string& texto, int altura) = 0;
  // The value dialog: the typed text after "&Ok", empty after "&Cancelar" or Esc.
  virtual std::string pedirValor(const std::string& titulo, const std::string& textoInicial) = 0;
  virtual std::string getFileSelect(const std::string& path, const std::string& extension,
                                    const std::string& filtro, bool multiselect,
                                    bool canChangePath) = 0;
  virtual std::string getFileSave(const std::string& pastaPadrao, const std::string& filePath,
                                  const std::string& extension) = 0;
  // The save window with the choice of the field separator for a list: `separador` comes in as
  // the one offered first and goes out as the one chosen. Without a choice of its own, the
  // separator stays as offered.
  virtual std::string getFileSaveWithSeparator(const std::string& pastaPadrao,
                                               const std::string& filePath,
                                               const std::string& extension, char& separador) {
    (void)separador;
    return getFileSave(pastaPadrao, filePath, extension);
  }
  // The column chooser: a title, a label and the entries; the index of the chosen entry, or
  // nullopt when the user cancels.
  virtual std::optional<int> chooseItem(const std::string& titulo, const std::string& rotulo,
                                        const std::vector<std::string>& itens) = 0;
  // The multi-line text dialog (title, initial text, button caption, description): the text
  // when closed through the button, nullopt otherwise.
  virtual std::optional<std::string> showInputMemo(const std::string& titulo,
                                                   const std::string& textoInicial,
                                                   const std::string& btnOk,
                                                   const std::string& descricao) = 0;
};

// The captions of a progress box follow the rows this often (the gauge follows every row).
inline constexpr int kPassoLegendas = 100;

// The shared progress box.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void setProgress(const std::string& operacao, int64_t valorMax,
                           const std::string& legenda1 = {}, const std::string& legenda2 = {},
                           const std::string& legenda3 = {}, int bloqueadoCode = 0) = 0;
  virtual void stepProgress(const std::string& legenda1 = {}, const std::string& legenda2 = {},
                            const std::string& legenda3 = {}, int bloqueadoCode = 0) = 0;
  virtual void setConcluido(const std::string& legendaPrincipal) = 0;
  // Replaces one legend line (1 to 3) without moving the gauge.
  virtual void setLegend(int linha, const std::string& texto) = 0;
  // Moves the gauge to `posicao`.
  virtual void setPosition(int64_t posicao) = 0;
  virtual void hide() = 0;
  // The user asked to stop (the box's cancel button).
  virtual bool cancelou() const = 0;
  // Forgets a cancel request once the operation has honoured it.
  virtual void clearCancel() = 0;
};

// Lets pending user-interface events through (a no-op without a desktop).
class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void processEvents() = 0;
};

struct FileEntry {
  std::string name;
  bool isDirectory = false;
  int64_t size = 0;
  std::chrono::system_clock::time_point lastWrite;
};

// What the operating system and the desktop shell provide.
class Platform {
 public:
  virtual ~Platform() = default;
  virtual std::string programFolder() const = 0;
  virtual void shellOpen(const std::string& target) = 0;
  virtual std::string clipboardText() const = 0;
  virtual void setClipboardText(const std::string& text) = 0;
  virtual bool internetConnected() const = 0;
  virtual std::vector<FileEntry> listFolder(const std::string& folder) const = 0;
  virtual std::chrono::system_clock::time_point now() const = 0;
  // A ticker that calls `tick` on the program's thread while it runs. Without an event loop the
  // ticker only ticks when its owner is told to (see ManualTicker).
  virtual std::unique_ptr<Ticker> newTicker(std::function<void()> tick) {
    return std::make_unique<ManualTicker>(std::move(tick));
  }
};

}  // namespace quorvel
