#pragma once
// The ports the core talks through, on the desktop: the message kit and its windows, the event
// pump and the platform (clipboard, shell, file system).

#include <functional>
#include <memory>
#include <string>

#include "app/tip_memory.h"
#include "common/ports.h"
#include "lists/file_selection.h"

namespace quorvel::ui {

class TfrmFileSelect;
class TfrmSalvarFile;

class QtEventPump : public EventPump {
 public:
  void processEvents() override;
};

class QtPlatform : public Platform {
 public:
  explicit QtPlatform(std::string pasta) : pasta_(std::move(pasta)) {}
  std::string programFolder() const override { return pasta_; }
  // Folders and local files open in the file manager, addresses in the browser. Tests replace
  // the shell with `abrir`.
  void shellOpen(const std::string& alvo) override;
  std::string clipboardText() const override;
  void setClipboardText(const std::string& texto) override;
  bool internetConnected() const override;
  std::vector<FileEntry> listFolder(const std::string& pasta) const override;
  std::chrono::system_clock::time_point now() const override;
  // A QTimer on the event loop; a failure of a tick is reported as any user action's.
  std::unique_ptr<Ticker> newTicker(std::function<void()> tick) override;

  std::function<void(const std::string&)> abrir;

 private:
  std::string pasta_;
};

class QtDialogs : public Dialogs {
 public:
  QtDialogs(Platform& platform, const std::string& programFolder);
  ~QtDialogs() override;

  void msgInformacao(const std::string& texto, int segundos = 0) override;
  void msgErro(const std::string& texto, int segundos = 0) override;
  void msgAviso(const std::string& texto, int segundos = 0) override;
  int msgPergunta(const std::string& texto, int segundos = 0) override;
  int msgPerguntaCancelar(const std::string& texto) override;
  void msgAjuda(const std::string& texto, int segundos = 0, int altura = 0) override;
  void msgDica(const std::string& id, const std::string& texto, int altura) override;
  std::string pedirValor(const std::string& titulo, const std::string& textoInicial) override;
  std::string getFileSelect(const std::string& path, const std::string& extension,
                            const std::string& filtro, bool multiselect,
                            bool canChangePath) override;
  std::string getFileSaveWithSeparator(const std::string& pastaPadrao, const std::string& filePath,
                                       const std::string& extension, char& separador) override;
  std::string getFileSave(const std::string& pastaPadrao, const std::string& filePath,
                          const std::string& extension) override;
  std::optional<int> chooseItem(const std::string& titulo, const std::string& rotulo,
                                const std::vector<std::string>& itens) override;
  std::optional<std::string> showInputMemo(const std::string& titulo,
                                           const std::string& textoInicial,
                                           const std::string& btnOk,
                                           const std::string& descricao) override;

  FileSelection& selecaoArquivos() { return selecao_; }
  TfrmFileSelect& janelaArquivos() { return *frmFileSelect_; }
  TfrmSalvarFile& janelaSalvar() { return *frmSalvar_; }
  const TipMemory& dicas() const { return dicas_; }

 private:
  int mostrar(int tipo, const std::string& texto, int segundos, int altura);

  TipMemory dicas_;
  FileSelection selecao_;
  std::unique_ptr<TfrmFileSelect> frmFileSelect_;
  std::unique_ptr<TfrmSalvarFile> frmSalvar_;
};

}  // namespace quorvel::ui
