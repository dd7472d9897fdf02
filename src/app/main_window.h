#pragma once
// The main window: side buttons with the highlight frame, pages without visible tabs (the first
// page with "Clássico" / "Grandes", the settings page, the help page), dropped files and the
// start timer. Its window is a view over this object; the list editor and the bulk page are
// the Application's.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "common/build_info.h"
#include "common/notifier.h"
#include "common/ticker.h"
#include "lists/list_loading.h"

namespace quorvel {

class LauncherWindow;

enum class PaginaPrincipal { primeira = 0, configuracoes = 1, ajuda = 2 };
enum class PrimeiraPagina { classico, grandes };
enum class BotaoLateral { nenhum, validarEmails, definicoes, configuracoes, ajuda, tutoriais };

struct MainWindowNotice {
  enum class Kind { state };
  Kind kind = Kind::state;
  bool operator==(const MainWindowNotice&) const = default;
};

// A documentation or video link of the menu "Tutoriais / documentação".
struct LinkTutorial {
  std::string titulo;
  std::string url;
};

inline constexpr std::chrono::milliseconds kEsperaTemporizadorInicio{2000};
inline constexpr const char* kCkbCheckDefinition =
    "Verificar se há atualização nas definições de checagem ao abrir o Quorvel";
extern const char* const kTextoAjuda;
inline constexpr const char* kAvisoOperacaoEmAndamento =
    "Há uma operação em andamento: aguarde o fim dela para fechar a janela.";

// "Manutenção no banco de dados" done: how much it gave back.
std::string textoManutencaoConcluida(int64_t bytesLiberados);

class MainWindow {
 public:
  MainWindow(Application& app, LauncherWindow& launcher);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  Application& app;
  LauncherWindow& launcher;

  std::string caption;
  PaginaPrincipal pagina = PaginaPrincipal::primeira;
  PrimeiraPagina primeiraPagina = PrimeiraPagina::classico;
  BotaoLateral destaque = BotaoLateral::nenhum;  // the side button under the highlight frame
  bool abasVisiveis = true;
  bool aceitaArquivos = false;
  bool listaEmbutida = false;
  bool ckbCheckDefinition = false;
  std::vector<std::string> itensColados;  // the list of pasted items
  // A button that opens another window is enabled only while that window is available.
  bool disponivel(WindowId janela) { return app.windows().available(janela); }

  Notifier<MainWindowNotice> notices;

  // Start-up step 6: the window was created.
  void aoCriar();
  // Step 7: the window appeared: first page, caption, the list editor, the validation window,
  // tabs hidden, splash hidden.
  void aoExibir();
  // Step 8, 2000 ms later (once): the check box from `check_definition`; the definitions when it
  // is "true"; the settings table seeded from config.db when it is empty.
  void aoTemporizadorInicio();
  // The ticker of step 8, started when the window appears.
  Ticker& temporizadorInicio() const { return *tmInicio_; }

  // Side buttons.
  void validarEmails();
  void definicoesOnline();
  void configuracoes();
  void ajuda();
  std::vector<LinkTutorial> tutoriais();
  void abrirLink(const LinkTutorial& link);

  // First page.
  void classico();
  void grandes();
  bool paginaGrandes() const {
    return pagina == PaginaPrincipal::primeira && primeiraPagina == PrimeiraPagina::grandes;
  }

  // Settings page.
  void manutencaoBanco();
  // "Configurar contas de e-mail", "Baixar erros e descadastramentos", "Colaboração de dados".
  void abrirJanela(WindowId janela) { app.windows().open(janela); }
  void setCheckDefinition(bool marcado);
  void voltarPrincipal();

  // Files dropped on the window, in drop order.
  void soltarArquivos(const std::vector<std::string>& caminhos, const TextWidth& larguraTexto = {});

  // "Fechar" at the top, or the window closed: back to the launcher.
  void fechar();
  // Whether the window may close now: not while a run goes on (the user is asked whether to
  // cancel it), nor while another operation works on the lists; lists with unsaved changes are
  // offered a save first ("Cancelar" keeps the window open; "Não" lets them go with it).
  bool podeFechar();
  // A line shown at the top of the window (why it did not close), empty when there is none; the
  // window clears it after a few seconds.
  std::string aviso;
  void limparAviso() {
    aviso.clear();
    notify();
  }
  // An operation on the lists is going on (its progress box lets events through).
  bool operacaoEmAndamento = false;

 private:
  void destacar(BotaoLateral b);
  void notify() { notices.notify({}); }
  std::unique_ptr<Ticker> tmInicio_;
};

}  // namespace quorvel
