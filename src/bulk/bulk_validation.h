#pragma once
// The bulk page: text files of any size validated line by line without being shown. Every line
// goes through the single-address chain of the validation window and is streamed into one of two
// files in dados, "big_validos <stamp>.txt" or "big_invalidos <stamp>.txt". The page is a view
// over this object; the validation window follows the run through its notices.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/notifier.h"
#include "common/ports.h"
#include "validation/validation_chain.h"

namespace quorvel {

class LineReader;
class OutputFile;

struct ListedFile {
  std::string arquivo;      // full path, the row's identity
  std::string informacoes;  // size text, "123 KB"
};

// The size text of a file: bytes / 1000, at least 1, then " KB"; "1 KB" when unreadable.
std::string sizeText(const std::string& caminho);

// What the page tells its views and the validation window.
struct BulkNotice {
  enum class Kind {
    page,        // the file list or the button changed
    runStarted,  // the output files exist; lines are about to be read
    progressed,  // another hundred lines (the counters moved)
    runEnded,    // the files are closed
  };
  Kind kind = Kind::page;
  bool operator==(const BulkNotice&) const = default;
};

class BulkValidation {
 public:
  BulkValidation(ValidationChain& chain, Dialogs& dialogs, Progress& progress, EventPump& pump,
                 Platform& platform)
      : v_(chain), dialogs_(dialogs), progress_(progress), pump_(pump), platform_(platform) {
    // The chain's warnings show as a line of the page (the run goes on).
    avisos_ = v_.notices.listen([this](const ChainNotice& n) {
      if (n.kind == ChainNotice::Kind::warning) notify();
    });
  }

  // --- page state -----------------------------------------------------------------------
  std::vector<ListedFile> lstFiles;
  bool btnIniciarHabilitado = true;
  // A run is going on (its start button waits for its end).
  bool emExecucao() const { return !btnIniciarHabilitado; }
  Notifier<BulkNotice> notices;
  std::function<void()> onAbrirDefinicoes;  // the filter lists are not loaded yet: load them
  // The last warning of the run ("O servidor DNS não está respondendo..."), empty when none.
  const std::string& aviso() const { return v_.aviso; }
  // Where the two output files go; empty: dados.
  std::string pastaSaida;

  // --- results of the last run ----------------------------------------------------------
  std::string arquivoValidos, arquivoInvalidos;
  // Per file, reset for each file.
  int64_t linhasLidas = 0, validos = 0, invalidos = 0;
  // Over the whole run.
  int64_t totalLinhas = 0;
  bool cancelado = false;
  // The run stopped on a failure (a full disk, the store): the message told, or empty.
  std::string falha;
  // The progress box's gauge counts thousandths of the bytes of every listed file.
  static constexpr int64_t kEscalaBarra = 1000;
  // Progress through the bytes of every listed file.
  int64_t bytesTotais = 0, bytesLidos = 0;

  // --- operations -----------------------------------------------------------------------
  // "Abrir lista": the file chooser on dados, several files at once.
  void abrirLista();
  // Appends the files not yet listed (path compared ignoring letter case); also for a drop.
  void adicionarArquivos(const std::vector<std::string>& caminhos);
  // "Excluir" and the Del key: removes the given rows.
  void excluir(std::vector<int> linhas);
  void mostrarAjuda();
  // "Iniciar a validação dos e-mails".
  void iniciar();

 private:
  Notifier<ChainNotice>::Subscription avisos_;
  // The two output files, flushed together. After each flush that wrote both whole, the run's
  // state is kept as a safe point; a write that fails takes both files and the counters back to
  // it, so that they hold whole lines of the input up to a known line.
  struct Saidas;
  // One listed file into the two outputs; false when the run must stop (a cancel, a failure).
  bool validarArquivo(size_t indice, Saidas& s);
  // Writes both buffers; false (told) when a write failed and the run went back to its safe
  // point.
  bool sincronizar(Saidas& s);
  // Creates the two output files under names no earlier run holds; false (told) on failure.
  bool criarSaidas(const std::string& pasta, OutputFile& val, OutputFile& inv);
  // True when at least one listed file can be read; otherwise each is reported.
  bool algumLegivel();
  // The progress box's "Cancelar" was pressed: the run's message is shown and the run marked
  // cancelled.
  bool cancelamentoAtendido();
  void notify(BulkNotice::Kind k = BulkNotice::Kind::page) { notices.notify({k}); }
  void mostrarAvanco();

  ValidationChain& v_;
  Dialogs& dialogs_;
  Progress& progress_;
  EventPump& pump_;
  Platform& platform_;
};

inline constexpr const char* kColunaArquivo = "Arquivo";
inline constexpr const char* kColunaInformacoes = "Informações";
inline constexpr const char* kTituloGrandes = "Validação de grandes quantidades de dados";
inline constexpr const char* kSubtituloGrandes =
    "Precisa validar mais de 1 milhão de e-mails? Use então esta opção";
inline constexpr const char* kInstrucaoGrandes =
    "Arraste os arquivos para a lista abaixo ou clique em \"Abrir lista\"";
inline constexpr const char* kMsgBancoNaoIniciado =
    "O banco de dados ainda não foi iniciado. Ele será iniciado agora. Tente efetuar essa "
    "operação em seguida";
inline constexpr const char* kMsgNenhumArquivo =
    "Assim fica meio difícil, pois nenhum arquivo foi informado!";
inline constexpr const char* kMsgGrandesCancelado =
    "O processamento foi cancelado por sua solicitação. Os dados processados até agora serão "
    "salvos nos arquivos com início \"big_\"";
inline constexpr const char* kMsgNaoAbriuArquivo = "Não foi possível abrir o arquivo: ";
inline constexpr const char* kOperacaoLendoArquivos = "Lendo arquivos...";

}  // namespace quorvel
