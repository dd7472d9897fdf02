#include "ui/qt_ports.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QTimer>
#include <QUrl>

#include "app/message_box.h"
#include "common/internet_state.h"
#include "common/paths.h"
#include "ui/item_chooser_dialog.h"
#include "ui/qt_text.h"
#include "ui/tfrm_file_select.h"
#include "ui/tfrm_get_value.h"
#include "ui/tfrm_input.h"
#include "ui/tfrm_msg.h"
#include "ui/tfrm_salvar_file.h"
#include "ui/ui_action.h"

namespace quorvel::ui {

namespace {

// Qt's drawing code may return with the upper halves of the vector registers still in use
// (its AVX2 / AVX-512 paths). Until they are cleared, every SSE instruction of the core's string
// copies and of the compiled expressions pays a penalty on recent Intel processors: a bulk run
// from the page took 3.3 s instead of 2.6 s. Long runs let events through every few dozen rows,
// so the registers are cleared after each pass.
void clearUpperVectorState() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  static const bool avx = __builtin_cpu_supports("avx");
  if (avx) asm volatile("vzeroupper" ::: "memory");
#endif
}

class QtTicker : public Ticker {
 public:
  explicit QtTicker(std::function<void()> tick) {
    QObject::connect(&timer_, &QTimer::timeout, guarded(std::move(tick)));
  }
  void start(std::chrono::milliseconds intervalo) override { timer_.start(intervalo); }
  void stop() override { timer_.stop(); }
  bool active() const override { return timer_.isActive(); }
  std::chrono::milliseconds intervalo() const override { return timer_.intervalAsDuration(); }

 private:
  QTimer timer_;
};

}  // namespace

void QtEventPump::processEvents() {
  QCoreApplication::processEvents();
  clearUpperVectorState();
}

void QtPlatform::shellOpen(const std::string& alvo) {
  if (abrir) {
    abrir(alvo);
    return;
  }
  const QString t = q(alvo);
  QDesktopServices::openUrl(t.contains(QLatin1String("://")) ? QUrl(t) : QUrl::fromLocalFile(t));
}

std::string QtPlatform::clipboardText() const {
  return u(QGuiApplication::clipboard()->text());
}

void QtPlatform::setClipboardText(const std::string& texto) {
  QGuiApplication::clipboard()->setText(q(texto));
}

bool QtPlatform::internetConnected() const {
  return TemInternet();
}

std::vector<FileEntry> QtPlatform::listFolder(const std::string& pasta) const {
  return paths::listFolder(pasta);
}

std::chrono::system_clock::time_point QtPlatform::now() const {
  return std::chrono::system_clock::now();
}

std::unique_ptr<Ticker> QtPlatform::newTicker(std::function<void()> tick) {
  return std::make_unique<QtTicker>(std::move(tick));
}

QtDialogs::QtDialogs(Platform& platform, const std::string& programFolder)
    : dicas_(programFolder),
      selecao_(platform, *this),
      frmFileSelect_(std::make_unique<TfrmFileSelect>(selecao_)),
      frmSalvar_(std::make_unique<TfrmSalvarFile>()) {}

QtDialogs::~QtDialogs() = default;

int QtDialogs::mostrar(int tipo, const std::string& texto, int segundos, int altura) {
  MessageBox box = exibirMensagem(texto, static_cast<TipoMsg>(tipo), segundos);
  box.altura = altura;
  TfrmMsg janela(box);
  return janela.executar();
}

void QtDialogs::msgInformacao(const std::string& texto, int segundos) {
  mostrar(1, texto, segundos, 0);
}

void QtDialogs::msgErro(const std::string& texto, int segundos) {
  mostrar(2, texto, segundos, 0);
}

void QtDialogs::msgAviso(const std::string& texto, int segundos) {
  mostrar(3, texto, segundos, 0);
}

int QtDialogs::msgPergunta(const std::string& texto, int segundos) {
  return mostrar(4, texto, segundos, 0);
}

int QtDialogs::msgPerguntaCancelar(const std::string& texto) {
  MessageBox box = exibirMensagem(texto, TipoMsg::pergunta);
  box.botoes.push_back({"&Cancelar", kEsc});
  TfrmMsg janela(box);
  return janela.executar();
}

void QtDialogs::msgAjuda(const std::string& texto, int segundos, int altura) {
  mostrar(6, texto, segundos, altura);
}

void QtDialogs::msgDica(const std::string& id, const std::string& texto, int altura) {
  auto box = showTip(dicas_, id, texto, TipoMsg::dica);
  if (!box) return;
  box->altura = altura;
  TfrmMsg janela(*box, &dicas_);
  janela.executar();
}

std::string QtDialogs::pedirValor(const std::string& titulo, const std::string& textoInicial) {
  TfrmGetValue janela(titulo, textoInicial);
  return janela.pedir();
}

namespace {

// "Nome (*.a;*.b)|*.a;*.b|..." → the platform dialog's filters.
QStringList filtrosDaPlataforma(const std::string& filtro) {
  QStringList partes = q(filtro).split(QLatin1Char('|'));
  QStringList out;
  for (qsizetype i = 0; i + 1 < partes.size(); i += 2) {
    QString nome = partes[i];
    const qsizetype par = nome.indexOf(QLatin1Char('('));
    if (par > 0) nome = nome.left(par).trimmed();
    out << nome + QStringLiteral(" (") +
               QString(partes[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) +
               QStringLiteral(")");
  }
  return out;
}

}  // namespace

std::string QtDialogs::getFileSelect(const std::string& path, const std::string& extension,
                                     const std::string& filtro, bool multiselect,
                                     bool canChangePath) {
  // A filter list ("name|patterns|...") asks for the platform's open dialog; everything else
  // goes through the program's own file window.
  if (extension.find('|') != std::string::npos) {
    QFileDialog dialogo(nullptr, QStringLiteral("Abrir"), q(path));
    dialogo.setObjectName(QStringLiteral("AbrirArquivo"));
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    dialogo.setFileMode(QFileDialog::ExistingFile);
    dialogo.setNameFilters(filtrosDaPlataforma(extension));
    if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) return {};
    return u(dialogo.selectedFiles().front());
  }
  return frmFileSelect_->getFileSelect(path, extension, filtro, multiselect, canChangePath);
}

std::string QtDialogs::getFileSave(const std::string& pastaPadrao, const std::string& filePath,
                                   const std::string& extension) {
  return frmSalvar_->getFileSave(pastaPadrao, filePath, extension);
}

std::string QtDialogs::getFileSaveWithSeparator(const std::string& pastaPadrao,
                                                const std::string& filePath,
                                                const std::string& extension, char& separador) {
  return frmSalvar_->getFileSave(pastaPadrao, filePath, extension, separador);
}

std::optional<int> QtDialogs::chooseItem(const std::string& titulo, const std::string& rotulo,
                                         const std::vector<std::string>& itens) {
  ItemChooserDialog janela(titulo, rotulo, itens);
  return janela.escolher();
}

std::optional<std::string> QtDialogs::showInputMemo(const std::string& titulo,
                                                    const std::string& textoInicial,
                                                    const std::string& btnOk,
                                                    const std::string& descricao) {
  TfrmInput janela(titulo, textoInicial, btnOk, descricao);
  return janela.mostrar();
}

}  // namespace quorvel::ui
