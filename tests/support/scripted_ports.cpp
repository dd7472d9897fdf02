#include "support/scripted_ports.h"

#include "common/paths.h"

namespace quorvel {

int ScriptedDialogs::msgPergunta(const std::string& t, int) {
  record("question", t);
  if (answers.empty()) throw UnexpectedQuestion("pergunta sem resposta prevista: " + t);
  int r = answers.front();
  answers.pop_front();
  return r;
}

void ScriptedDialogs::msgAjuda(const std::string& t, int, int altura) {
  record("help", t, {}, altura);
}

void ScriptedDialogs::msgDica(const std::string& id, const std::string& t, int altura) {
  record("tip", t, id, altura);
}

std::string ScriptedDialogs::nextValor(const std::string& what) {
  if (values.empty()) throw UnexpectedQuestion("diálogo sem resposta prevista: " + what);
  std::string v = values.front();
  values.pop_front();
  return v;
}

std::string ScriptedDialogs::pedirValor(const std::string& titulo, const std::string&) {
  record("value", titulo);
  return nextValor(titulo);
}

std::string ScriptedDialogs::getFileSelect(const std::string& path, const std::string&,
                                           const std::string&, bool, bool) {
  record("open", path);
  return nextValor("getFileSelect");
}

std::string ScriptedDialogs::getFileSave(const std::string& pasta, const std::string&,
                                         const std::string&) {
  record("save", pasta);
  return nextValor("getFileSave");
}

std::string ScriptedDialogs::getFileSaveWithSeparator(const std::string& pasta,
                                                      const std::string& caminho,
                                                      const std::string& extensao,
                                                      char& separador) {
  offeredSeparators.push_back(separador);
  if (!separators.empty()) {
    separador = separators.front();
    separators.pop_front();
  }
  return getFileSave(pasta, caminho, extensao);
}

std::optional<int> ScriptedDialogs::chooseItem(const std::string& titulo, const std::string& rotulo,
                                               const std::vector<std::string>& itens) {
  record("choice", titulo + "|" + rotulo);
  offeredItems.push_back(itens);
  if (choices.empty()) throw UnexpectedQuestion("escolha sem resposta prevista: " + titulo);
  auto r = choices.front();
  choices.pop_front();
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

std::vector<std::string> ScriptedDialogs::texts(const std::string& kind) const {
  std::vector<std::string> out;
  for (const auto& m : messages)
    if (m.kind == kind) out.push_back(m.texto);
  return out;
}

void RecordingProgress::setProgress(const std::string& op, int64_t max, const std::string& l1,
                                    const std::string& l2, const std::string& l3, int) {
  operation = op;
  maximum = max;
  position = 0;
  legend1 = l1;
  legend2 = l2;
  legend3 = l3;
  completed.clear();
  cancelRequested = false;  // every new progress display clears the cancel request
  visible = true;
}

void RecordingProgress::stepProgress(const std::string& l1, const std::string& l2,
                                     const std::string& l3, int) {
  ++position;
  if (!l1.empty()) legend1 = l1;
  if (!l2.empty()) legend2 = l2;
  if (!l3.empty()) legend3 = l3;
  if (onStep) onStep(*this);
}

void RecordingProgress::setLegend(int linha, const std::string& texto) {
  (linha == 1 ? legend1 : linha == 2 ? legend2 : legend3) = texto;
  if (onLegend) onLegend(*this);
}

void RecordingProgress::setConcluido(const std::string& legenda) {
  completed = legenda;
}

std::vector<FileEntry> FakePlatform::listFolder(const std::string& pasta) const {
  return paths::listFolder(pasta);
}

}  // namespace quorvel
