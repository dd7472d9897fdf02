#pragma once
// The validation window's object: the stage check boxes, the counter panel, the buttons and the
// progress bar, and the run over the list editor's working list. It owns the chain the bulk
// page and the command line use too. The window is a view over it.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/notifier.h"
#include "common/ports.h"
#include "common/text_grid.h"
#include "common/window_opener.h"
#include "store/sharing_flags.h"
#include "validation/filter_editors.h"
#include "validation/validation_chain.h"

namespace quorvel {

// The list editor as a run sees it: the working list it reads and the two lists it fills.
class ValidationLists {
 public:
  virtual ~ValidationLists() = default;
  virtual TextGrid& principal() = 0;
  virtual TextGrid& validos() = 0;
  virtual TextGrid& invalidos() = 0;
  // The run ended: the editor shows "Válidos", its columns sized to their contents.
  virtual void mostrarValidos(const std::function<int(const std::string&)>& larguraTexto) = 0;
  // Around the rows of a run (the result lists are rebuilt from scratch meanwhile).
  virtual void execucaoComeca() {}
  virtual void execucaoTermina() {}
};

// True when a column header names the addresses ("emails", "E-mail", "e-mails", "Email"...).
bool cabecalhoDeEmail(std::string_view cabecalho);
// The column that holds the addresses, without asking: the first whose first row holds an
// address; else the one whose header names them, unless it holds none and another column does;
// else the column with the most addresses among the first rows. -1 when no column holds any.
int colunaEmailProvavel(const TextGrid& grid);

// The filter rows that carry a help icon.
enum class FilterHelp {
  repetidos,
  sintaxe,
  regras,
  armadilhas,
  paises,
  empirico,
  nomesRaros,
  testeMx,
  baseNegativa,
  bases
};

// The counters, the buttons, the bar or the sharing note changed.
struct ValidationWindowNotice {
  enum class Kind {
    state,
    shown,  // the window was shown (the definitions window closes)
  };
  Kind kind = Kind::state;
  bool operator==(const ValidationWindowNotice&) const = default;
};

// Copies a row of `origem` into row `linhaDestino` of `destino`, each value under the column of
// `destino` bearing its column's header (found ignoring case, else made); `mapa` receives the
// column each source column went to.
void copiarComCabecalhos(const TextGrid& origem, int linhaOrigem, TextGrid& destino,
                         int linhaDestino, std::vector<int>& mapa);

// The column of "Inválidos" with the corrected address of a mistyped one.
inline constexpr const char* kColunaSugestao = "Sugestão";

inline constexpr const char* kAvisoSemCompartilhamento =
    "Não foi possível consultar o serviço online: esta validação segue sem compartilhar dados";

class ValidationWindow {
 public:
  // `chain` is the program's (Application's); it outlives the window.
  ValidationWindow(ValidationChain& chain, Dialogs& dialogs, EventPump& pump);
  ValidationWindow(const ValidationWindow&) = delete;
  ValidationWindow& operator=(const ValidationWindow&) = delete;

  ValidationChain& chain;

  // --- run state ------------------------------------------------------------------------
  bool gRodando = false;
  bool gRodou = false;
  bool gCancelou = false;
  bool podeSincronizarNestaExecucao = false;  // the sharing answer of the current run
  // Told once per run, as a line of the window (never a box that holds the run): the service
  // could not be asked whether sharing is allowed, so this run shares nothing.
  std::string avisoCompartilhamento;
  int colunaDaExecucao = -1;   // the e-mail column of the last run, -1 when none was identified
  std::string erroDaExecucao;  // why the last run stopped early (the store failed), or empty

  // --- view state -----------------------------------------------------------------------
  bool visible = false;
  std::string btnFecharCaption = "Fechar";
  bool btnIniciarHabilitado = true;
  bool btnFecharHabilitado = true;
  bool gridsResultadoVisiveis = true;
  bool barraProgressoVisivel = true;
  int64_t barraMax = 0, barraPos = 0;
  // The user takes part in sharing.
  bool colaboracaoLigada() const { return colaboracao_ && colaboracao_->gCompartilha; }
  // The two "(sem colaboração) - alterar" links.
  bool linksSemColaboracaoVisiveis() const { return !colaboracaoLigada(); }
  // A bulk run shows the window near the screen's right edge.
  bool encostarNaDireita = false;

  Notifier<ValidationWindowNotice> notices;
  // Tells the views that the state changed.
  void avisarMudanca() { notices.notify({}); }

  // --- connections ----------------------------------------------------------------------
  void ligarListas(ValidationLists* listas) { listas_ = listas; }
  void setSharingPermission(SharingPermission* s) { sync_ = s ? s : &syncPadrao_; }
  void setColaboracao(const SharingFlags* flags) { colaboracao_ = flags; }
  // Measures a text in pixels for AutoSizeGrid (the view passes its font metrics).
  std::function<int(const std::string&)> larguraTexto;
  // The links of the window open the mail accounts, the mailbox check and the collaboration
  // consent through it; a link whose window is not available stays disabled.
  WindowOpener* windows = &noWindows();
  // The program's folder, where the filter editors keep their files.
  std::string pastaPrograma;

  // --- operations -----------------------------------------------------------------------
  // Showing the window: new duplicate memory, closes the definitions window.
  void mostrar();
  // The close button; true when the window closes.
  bool fecharClicado();
  // "Iniciar validação".
  void iniciarValidacao();
  void executarValidacao();
  void zerarContadores();
  // Column of the e-mail addresses in the grid, or -1 (asks the user when it cannot tell).
  int localizarColunaEmail(const TextGrid& grid);
  // Ticking "Teste MX" or "E-mails inexistentes / descadastramentos".
  void opcaoMarcada(bool* opcao, bool marcada);
  void mostrarAjuda(FilterHelp f);
  // The edit icons of the country, rare-name and custom-rule rows.
  void editarFiltro(FilterEditorKind k);

  // A bulk run shows its counters here: the window is shown and reset, the total is unknown
  // and the buttons wait for the run's end.
  void inicioValidacaoGrandes();
  void fimValidacaoGrandes();

  // Result rows. With `sugestao` (suggestions on) the row also fills the column "Sugestão",
  // empty when there is none.
  static void gridAddInvalido(TextGrid& grid, const std::string& email, const std::string& erro,
                              const std::string* sugestao = nullptr);
  void copiarLinhaGrid(int linhaOrigem, const TextGrid& gridOrigem, TextGrid& gridDestino);

 private:
  // Starts the MX lookups of the rows ahead of `linha` that will reach the MX stage.
  void anteciparMx(const TextGrid& grid, int coluna, int linha, int& proxima);
  void fimDaExecucao();
  bool perguntarSeCompartilha();

  Dialogs& dialogs_;
  EventPump& pump_;
  ValidationLists* listas_ = nullptr;
  NoSharingPermission syncPadrao_;
  SharingPermission* sync_ = &syncPadrao_;
  const SharingFlags* colaboracao_ = nullptr;
  Notifier<ChainNotice>::Subscription notaDaCadeia_;
  std::vector<int> mapaColunas_;  // source column → valid-grid column, cached during a run
  std::string normalizado_;       // reused buffer of the hot path
};

}  // namespace quorvel
