#include "app/message_box.h"

#include "app/tip_memory.h"
#include "common/ports.h"

namespace quorvel {

namespace {

struct KindInfo {
  const char* titulo;
  bool pergunta;
};

KindInfo infoDe(TipoMsg t) {
  switch (t) {
    case TipoMsg::informacao:
      return {"Informação", false};
    case TipoMsg::erro:
      return {"Erro", false};
    case TipoMsg::aviso:
      return {"Aviso", false};
    case TipoMsg::pergunta:
      return {"Pergunta", true};
    case TipoMsg::dica:
      return {"Dica", false};
    case TipoMsg::ajuda:
      return {"Ajuda", false};
  }
  return {"Informação", false};
}

}  // namespace

int MessageBox::resultadoEsc() const {
  return kEsc;
}

std::optional<int> MessageBox::resultadoEnter() const {
  if (botoes.size() == 1) return kResultadoEnter;
  return std::nullopt;
}

int MessageBox::resultadoAutoFechar() const {
  return kNao;
}

std::string comQuebrasDeLinha(std::string_view texto) {
  std::string out;
  out.reserve(texto.size());
  for (size_t i = 0; i < texto.size(); ++i) {
    if (texto[i] == '\\' && i + 1 < texto.size() && (texto[i + 1] == 'n' || texto[i + 1] == 'N')) {
      out += "\r\n";
      ++i;
    } else {
      out += texto[i];
    }
  }
  return out;
}

MessageBox exibirMensagem(const std::string& texto, TipoMsg tipoMSG, int tempoSeg) {
  MessageBox box;
  const KindInfo info = infoDe(tipoMSG);
  box.tipo = tipoMSG;
  box.titulo = info.titulo;
  box.icone = static_cast<int>(tipoMSG);
  if (info.pergunta)
    box.botoes = {{"&Sim", kSim}, {"&Não", kNao}};
  else
    box.botoes = {{"Ok", kSim}};
  box.texto = comQuebrasDeLinha(texto);
  box.tempoSeg = tempoSeg > 0 ? tempoSeg : 0;
  return box;
}

std::optional<MessageBox> showTip(const TipMemory& memoria, const std::string& id,
                                  const std::string& texto, TipoMsg tipoMSG) {
  if (!memoria.exibir(id)) return std::nullopt;
  MessageBox box = exibirMensagem(texto, tipoMSG, 0);
  box.exibirNaoExibirMais = true;
  box.tipId = id;
  return box;
}

}  // namespace quorvel
