#pragma once
// The validation window's object: the filter lists, the duplicate memory, the counters, the stage
// options and both entry points of the chain (the grid run over the working list and the
// single-address chain). The window is a view over it.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/ports.h"
#include "lists/list_editor.h"
#include "validation/counters.h"
#include "validation/duplicate_memory.h"
#include "validation/filter_list.h"
#include "validation/stage_hooks.h"

namespace quorvel {

// One check box per stage; all ticked when the window is created, never saved.
struct StageOptions {
  bool ckbSintaxe = true;
  bool ckbRegras = true;
  bool ckbArmadilhas = true;
  bool ckbInternacional = true;
  bool ckbEmpirico = true;
  bool ckbNomesRaros = true;
  bool ckbTesteMX = true;
  bool ckbEmailsInvalidos = true;
  bool ckbNaoZerar = true;  // hidden: keeps the duplicate memory between runs
};

// The stages' names on the command line and their options.
bool* stageOptionByName(StageOptions& o, std::string_view nome);

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

class Validator {
 public:
  Validator(Dialogs& dialogs, EventPump& pump);

  // --- engine state ---------------------------------------------------------------------
  std::unique_ptr<DuplicateMemory> gProcessados;
  std::string gErro;
  bool gRodando = false;
  bool gRodou = false;
  bool gCancelou = false;
  FilterListPtr gRegras;  // absent until the definitions are loaded
  FilterListPtr gTraps, gFiltroPaises, gNomesRaros, gSitesIgnorados;
  std::vector<std::string> gSyncValidos, gSyncInvalidos;
  StageOptions opcoes;
  Counters counters;
  bool podeSincronizarNestaExecucao = false;  // the sharing answer kept for the MX stage

  // --- view state -----------------------------------------------------------------------
  bool visible = false;
  std::string btnFecharCaption = "Fechar";
  bool btnIniciarHabilitado = true;
  bool btnFecharHabilitado = true;
  bool gridsResultadoVisiveis = true;
  bool barraProgressoVisivel = true;
  int64_t barraMax = 0, barraPos = 0;
  bool colaboracaoLigada = false;
  bool notaSincronizando = false;  // "Sincronizando domínios no banco de dados online"
  void avisarMudanca() { notify(); }
  // The two "(sem colaboração) - alterar" links.
  bool linksSemColaboracaoVisiveis() const { return !colaboracaoLigada; }

  // --- connections ----------------------------------------------------------------------
  void ligarListas(ListEditor* editor) { editor_ = editor; }
  void setMxTeste(MxStage* mx) { mx_ = mx ? mx : &mxPadrao_; }
  void setBaseNegativa(NegativeBase* b) { base_ = b ? b : &basePadrao_; }
  void setSincronizacao(SharingPermission* s) { sync_ = s ? s : &syncPadrao_; }
  // Measures a text in pixels for AutoSizeGrid (the view passes its font metrics).
  std::function<int(const std::string&)> larguraTexto;
  std::function<void()> onFecharDefinicoes;  // showing the window closes the definitions window
  std::function<void()> onMudou;             // counters or view state changed

  // --- operations -----------------------------------------------------------------------
  // Showing the window: binds the grids, new duplicate memory, closes the definitions window.
  void mostrar();
  // The close button; true when the window closes.
  bool fecharClicado();
  // "Iniciar validação".
  void iniciarValidacao();
  void executarValidacao();
  std::string validarEmail(std::string_view email, std::string& erro);
  // validarEmail for an address already normalised (lower case, trimmed), without the copy: the
  // view returned is `normalizado` itself when valid.
  std::string_view validarNormalizado(std::string_view normalizado, std::string& erro);
  // Starts bringing a normalised address's slot of the duplicate memory into the cache ahead of
  // its validation.
  void prefetchDuplicate(std::string_view normalizado);
  // Whether the MX stage runs and looks up domains ahead of the chain.
  bool mxReadAheadOn() const { return opcoes.ckbTesteMX && mx_->wantsReadAhead(); }
  // Starts the MX lookup of a normalised address that is still ahead of the chain, when it will
  // reach the MX stage.
  void readAheadMxOf(std::string_view normalizado);
  // Tells the MX and negative-base stages that a run over many addresses begins.
  void stagesRunStarts();
  void zerarContadores();
  void incLabelNumber(Counter c) { counters.incLabelNumber(c); }
  // Column of the e-mail addresses in the grid, or -1 (asks the user when it cannot tell).
  int localizarColunaEmail(const TextGrid& grid);
  // Ticking "Teste MX" or "E-mails inexistentes / descadastramentos".
  void opcaoMarcada(bool* opcao, bool marcada);
  void mostrarAjuda(FilterHelp f);

  // Result rows.
  static void gridAddInvalido(TextGrid& grid, const std::string& email, const std::string& erro);
  void copiarLinhaGrid(int linhaOrigem, const TextGrid& gridOrigem, TextGrid& gridDestino);

 private:
  enum class Resultado { valido, invalido, repetido };
  enum class Etapa { nenhuma, sintaxe, regras, armadilhas, internacional, empirico, nomesRaros };
  // Stages 2 to 7, which only read the filter lists: the first that rejects, with its detail
  // left in `erro` as the chain leaves it in gErro.
  Etapa etapaQueRejeita(std::string_view email, bool empiricoCompleto, std::string& erro) const;
  // Stages 2 to 9 over a normalised address; on rejection `motivo` holds the reason.
  Resultado etapas(std::string_view email, bool empiricoCompleto, std::string& motivo);
  // Starts the MX lookups of the rows ahead of `linha` that will reach the MX stage.
  void anteciparMx(const TextGrid& grid, int coluna, int linha, int& proxima);
  void rejeitar(Counter c);
  void fimDaExecucao();
  void notify() {
    if (onMudou) onMudou();
  }

  Dialogs& dialogs_;
  EventPump& pump_;
  ListEditor* editor_ = nullptr;
  AlwaysHasMx mxPadrao_;
  EmptyNegativeBase basePadrao_;
  NoSharingPermission syncPadrao_;
  MxStage* mx_ = &mxPadrao_;
  NegativeBase* base_ = &basePadrao_;
  SharingPermission* sync_ = &syncPadrao_;
  std::vector<int> mapaColunas_;  // source column → valid-grid column, cached during a run
  std::string normalizado_;       // reused buffers of the hot path
};

// Loads the five filter lists of a workspace into the validation object.
void carregarDefinicoes(Validator& v, const std::string& home);

}  // namespace quorvel
