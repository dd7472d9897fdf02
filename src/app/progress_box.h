#pragma once
// The shared progress box: an operation line, a gauge, three legend lines and one button that
// reads "Cancelar" while work goes on and "Fechar" once the work says it is done. Long
// operations drive it through the Progress port; the window repaints from its notices.

#include <cstdint>
#include <functional>
#include <string>

#include "common/notifier.h"
#include "common/ports.h"

namespace quorvel {

struct ProgressNotice {
  enum class Kind { changed };
  Kind kind = Kind::changed;
  bool operator==(const ProgressNotice&) const = default;
};

inline constexpr const char* kCaptionAguarde = "Aguarde...";
inline constexpr const char* kCaptionConcluido = "Processamento concluído!";
inline constexpr const char* kBotaoCancelar = "Cancelar";
inline constexpr const char* kBotaoFechar = "Fechar";
inline constexpr const char* kMsgCancelarProcessamento = "Deseja cancelar esse processamento?";

class ProgressBox : public Progress {
 public:
  ProgressBox(Dialogs& dialogs, EventPump& pump) : dialogs_(dialogs), pump_(pump) {}

  // --- what the window shows ------------------------------------------------------------
  std::string caption = kCaptionAguarde;
  std::string operacao, legenda1, legenda2, legenda3;
  std::string botao = kBotaoCancelar;
  int64_t maximo = 0, posicao = 0;
  bool gaugeVisivel = true;
  bool visivel = false;
  bool botaoVisivel = true;
  bool autoAvanco = false;  // the gauge's auto-advance timer

  bool gCancelou = false;
  int gBloqueadoCode = 0;

  Notifier<ProgressNotice> notices;

  // A step repaints the box and lets pending events through at most this often (a step per ten
  // rows of a million-row list would otherwise spend its time repainting). 0: every step.
  int intervaloMs = 25;
  // Milliseconds of a steady clock (a fake one in tests).
  std::function<int64_t()> relogioMs;

  // --- Progress -------------------------------------------------------------------------
  void setProgress(const std::string& operacao, int64_t valorMax, const std::string& legenda1,
                   const std::string& legenda2, const std::string& legenda3,
                   int bloqueadoCode) override;
  void stepProgress(const std::string& legenda1, const std::string& legenda2,
                    const std::string& legenda3, int bloqueadoCode) override;
  void setConcluido(const std::string& legendaPrincipal) override;
  void setLegend(int linha, const std::string& texto) override;
  void setPosition(int64_t posicao) override;
  void hide() override;
  bool cancelou() const override { return gCancelou; }
  void clearCancel() override { gCancelou = false; }

  // The button: "Fechar" resets and hides the box; "Cancelar" asks first and, on yes, asks the
  // running operation to stop and hides the box.
  void botaoClicado();

 private:
  bool codigoAceito(int codigo) const { return codigo == 0 || codigo == gBloqueadoCode; }
  void reset();
  // Tells the window and lets events through; between forced refreshes at most once per
  // intervaloMs.
  void refrescar(bool forcar);
  int64_t agoraMs() const;

  Dialogs& dialogs_;
  EventPump& pump_;
  int64_t ultimoRefresco_ = 0;
  bool pendente_ = false;
};

}  // namespace quorvel
