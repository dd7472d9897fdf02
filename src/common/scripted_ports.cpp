#include "common/scripted_ports.h"

namespace quorvel {

int ScriptedDialogs::msgPergunta(const std::string& t, int) {
  record("pergunta", t);
  if (respostas.empty()) throw UnexpectedQuestion("pergunta sem resposta prevista: " + t);
  int r = respostas.front();
  respostas.pop_front();
  return r;
}

void ScriptedDialogs::msgAjuda(const std::string& t, int, int altura) {
  record("ajuda", t, {}, altura);
}

void ScriptedDialogs::msgDica(const std::string& id, const std::string& t, int altura) {
  record("dica", t, id, altura);
}

std::string ScriptedDialogs::nextValor(const std::string& what) {
  if (valores.empty()) throw UnexpectedQuestion("diálogo sem resposta prevista: " + what);
  std::string v = valores.front();
  valores.pop_front();
  return v;
}

std::string ScriptedDialogs::pedirValor(const std::string& titulo, const std::string&) {
  record("valor", titulo);
  return nextValor(titulo);
}

std::string ScriptedDialogs::getFileSelect(const std::string& path, const std::string&,
                                           const std::string&, bool, bool) {
  record("abrir", path);
  return nextValor("getFileSelect");
}

std::string ScriptedDialogs::getFileSave(const std::string& pasta, const std::string&,
                                         const std::string&) {
  record("salvar", pasta);
  return nextValor("getFileSave");
}

std::optional<int> ScriptedDialogs::escolherItem(const std::string& titulo,
                                                 const std::string& rotulo,
                                                 const std::vector<std::string>& itens) {
  record("escolha", titulo + "|" + rotulo);
  itensOferecidos.push_back(itens);
  if (escolhas.empty()) throw UnexpectedQuestion("escolha sem resposta prevista: " + titulo);
  auto r = escolhas.front();
  escolhas.pop_front();
  return r;
}

std::optional<std::string> ScriptedDialogs::showInputMemo(const std::string& titulo,
                                                          const std::string&, const std::string&,
                                                          const std::string&) {
  record("memo", titulo);
  if (memos.empty()) throw UnexpectedQuestion("texto sem resposta prevista: " + titulo);
  auto r = memos.front();
  memos.pop_front();
  return r;
}

std::vector<std::string> ScriptedDialogs::textos(const std::string& kind) const {
  std::vector<std::string> out;
  for (const auto& m : messages)
    if (m.kind == kind) out.push_back(m.texto);
  return out;
}

void RecordingProgress::setProgress(const std::string& op, int64_t max, const std::string& l1,
                                    const std::string& l2, const std::string& l3, int) {
  operacao = op;
  maximo = max;
  posicao = 0;
  legenda1 = l1;
  legenda2 = l2;
  legenda3 = l3;
  concluido.clear();
  cancelRequested = false;  // every new progress display clears the cancel request
  visivel = true;
}

void RecordingProgress::stepProgress(const std::string& l1, const std::string& l2,
                                     const std::string& l3, int) {
  ++posicao;
  if (!l1.empty()) legenda1 = l1;
  if (!l2.empty()) legenda2 = l2;
  if (!l3.empty()) legenda3 = l3;
  if (onStep) onStep(*this);
}

void RecordingProgress::setLegenda(int linha, const std::string& texto) {
  (linha == 1 ? legenda1 : linha == 2 ? legenda2 : legenda3) = texto;
  if (onLegenda) onLegenda(*this);
}

void RecordingProgress::setConcluido(const std::string& legenda) {
  concluido = legenda;
}

}  // namespace quorvel
