#include "app/progress_box.h"

#include <chrono>

namespace quorvel {

int64_t ProgressBox::agoraMs() const {
  if (relogioMs) return relogioMs();
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void ProgressBox::refrescar(bool forcar) {
  const int64_t agora = agoraMs();
  if (!forcar && intervaloMs > 0 && agora - ultimoRefresco_ < intervaloMs) {
    pendente_ = true;
    return;
  }
  ultimoRefresco_ = agora;
  pendente_ = false;
  // Progress calls never fail towards the operation that makes them.
  try {
    notices.notify({});
    pump_.processEvents();
  } catch (...) {
  }
}

void ProgressBox::reset() {
  operacao.clear();
  legenda1.clear();
  legenda2.clear();
  legenda3.clear();
  posicao = 0;
  botao = kBotaoCancelar;
  gCancelou = false;
  autoAvanco = false;
}

void ProgressBox::setProgress(const std::string& op, int64_t valorMax, const std::string& l1,
                              const std::string& l2, const std::string& l3, int codigo) {
  if (!codigoAceito(codigo)) return;
  reset();
  caption = kCaptionAguarde;
  gaugeVisivel = true;
  operacao = op;
  legenda1 = l1;
  legenda2 = l2;
  legenda3 = l3;
  maximo = valorMax;
  posicao = 0;
  visivel = true;
  botaoVisivel = true;
  refrescar(true);
}

void ProgressBox::stepProgress(const std::string& l1, const std::string& l2, const std::string& l3,
                               int codigo) {
  if (!codigoAceito(codigo)) return;
  ++posicao;
  if (!l1.empty()) legenda1 = l1;
  if (!l2.empty()) legenda2 = l2;
  if (!l3.empty()) legenda3 = l3;
  refrescar(false);
}

void ProgressBox::setConcluido(const std::string& legendaPrincipal) {
  operacao = legendaPrincipal;
  botao = kBotaoFechar;
  caption = kCaptionConcluido;
  gaugeVisivel = false;
  refrescar(true);
}

void ProgressBox::setLegend(int linha, const std::string& texto) {
  if (linha == 1) legenda1 = texto;
  if (linha == 2) legenda2 = texto;
  if (linha == 3) legenda3 = texto;
  refrescar(false);
}

void ProgressBox::setPosition(int64_t p) {
  posicao = p;
  refrescar(false);
}

void ProgressBox::hide() {
  if (!visivel && !pendente_) return;
  visivel = false;
  pendente_ = false;
  notices.notify({});
}

void ProgressBox::botaoClicado() {
  if (botao == kBotaoFechar) {
    reset();
    hide();
    return;
  }
  if (dialogs_.msgPergunta(kMsgCancelarProcessamento) == kSim) {
    gCancelou = true;
    hide();
  }
}

}  // namespace quorvel
