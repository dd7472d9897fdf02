#pragma once
// The message box's rules: its six kinds with their titles, icons and buttons, the results of
// its buttons and keys, and the "\n" rule of every message text. The window only shows what
// exibirMensagem prepared.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

class TipMemory;

enum class TipoMsg { informacao = 1, erro = 2, aviso = 3, pergunta = 4, dica = 5, ajuda = 6 };

// Results besides kSim (6), kNao (7) and kEsc (2): Enter when only one button shows.
inline constexpr int kResultadoEnter = 1;

struct MessageButton {
  std::string caption;  // with "&" before the accelerator
  int resultado = 0;
};

struct MessageBox {
  static constexpr int kLarguraPadrao = 740;  // client size
  static constexpr int kAlturaPadrao = 249;
  static constexpr int kLarguraMinimaTexto = 550;
  static constexpr int kTamanhoIcone = 80;

  TipoMsg tipo = TipoMsg::informacao;
  std::string titulo;
  int icone = 1;  // image 1..6 of the icon set
  std::vector<MessageButton> botoes;
  std::string texto;  // line breaks already in place
  int tempoSeg = 0;   // > 0: closes itself after that many seconds
  int altura = 0;     // 0: the default height
  // Tips: the check box "Não exibir mais essa mensagem" and the id it stores.
  bool exibirNaoExibirMais = false;
  std::string tipId;

  int resultadoEsc() const;
  // 1 when only one button shows; nullopt when the focused button answers.
  std::optional<int> resultadoEnter() const;
  int resultadoAutoFechar() const;
};

inline constexpr const char* kNaoExibirMais = "Não exibir mais essa mensagem";

// Every "\n" or "\N" (backslash and letter) becomes CR LF.
std::string comQuebrasDeLinha(std::string_view texto);

// Prepares the box of kind `tipoMSG` (1 to 6) for `texto`; with `tempoSeg` > 0 it closes itself.
MessageBox exibirMensagem(const std::string& texto, TipoMsg tipoMSG, int tempoSeg = 0);

// A tip: nullopt when the user silenced `id` for good; otherwise the box with the check box.
std::optional<MessageBox> showTip(const TipMemory& memoria, const std::string& id,
                                  const std::string& texto, TipoMsg tipoMSG);

}  // namespace quorvel
