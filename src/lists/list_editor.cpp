#include "lists/list_editor.h"

#include <algorithm>

#include "common/format.h"
#include "common/silent_ports.h"

namespace quorvel {

const std::array<const char*, 3> ListEditor::kAbaTitulos = {"Principal", "Válidos", "Inválidos"};

ListEditor::ListEditor() {
  gridMain.setCell(0, 0, "emails");
  for (int aba = 0; aba < 3; ++aba) {
    grid(aba).setJournal(&historicos_[static_cast<size_t>(aba)]);
    historicos_[static_cast<size_t>(aba)].aoMudar = [this, aba](bool) { listaMudou(aba); };
  }
  showStatus(gridMain);
}

void ListEditor::listaMudou(int aba) {
  const GridJournal& h = historicos_[static_cast<size_t>(aba)];
  std::string& editou = gEditou[std::to_string(aba)];
  const std::string antes = editou;
  editou = h.estado() == h.estadoSalvo() ? "0" : "1";
  // The views hear of it when what they show changes: "Está salvo:", "Desfazer", "Refazer".
  const int desfazer = (h.canUndo() ? 1 : 0) | (h.canRedo() ? 2 : 0);
  if (editou == antes && desfazer == desfazerVisto_[static_cast<size_t>(aba)]) return;
  desfazerVisto_[static_cast<size_t>(aba)] = desfazer;
  if (abaDe(*gGrid) == aba) showStatus(*gGrid);
  changed();
}

void ListEditor::comecarPasso() {
  if (profundidadePasso_++ == 0)
    for (size_t a = 0; a < 3; ++a) antesDoPasso_[a] = historicos_[a].proximoDesfazer();
  for (auto& h : historicos_) h.beginStep();
}

void ListEditor::terminarPasso() {
  for (auto& h : historicos_) h.endStep();
  if (--profundidadePasso_ > 0) return;
  std::array<uint64_t, 3> passo{};
  int listas = 0;
  for (size_t a = 0; a < 3; ++a) {
    const uint64_t id = historicos_[a].proximoDesfazer();
    if (id != 0 && id != antesDoPasso_[a]) {
      passo[a] = id;
      ++listas;
    }
  }
  if (listas < 2) return;
  // A list keeps at most kLimitePassos steps: older links name steps no list holds any more.
  constexpr size_t kLigacoes = 3 * GridJournal::kLimitePassos;
  if (passosLigados_.size() >= kLigacoes) passosLigados_.erase(passosLigados_.begin());
  passosLigados_.push_back(passo);
}

bool ListEditor::repetirPasso(bool desfazendo) {
  const int aba = abaDe(*gGrid);
  auto proximo = [&](size_t a) {
    const GridJournal& h = historicos_[a];
    return desfazendo ? h.proximoDesfazer() : h.proximoRefazer();
  };
  const uint64_t id = proximo(static_cast<size_t>(aba));
  if (id == 0) return false;
  std::array<bool, 3> juntas{};
  juntas[static_cast<size_t>(aba)] = true;
  for (auto it = passosLigados_.rbegin(); it != passosLigados_.rend(); ++it) {
    if ((*it)[static_cast<size_t>(aba)] != id) continue;
    for (size_t a = 0; a < 3; ++a) {
      const uint64_t outro = (*it)[a];
      if (static_cast<int>(a) == aba || outro == 0) continue;
      if (proximo(a) == outro) {
        juntas[a] = true;
      } else if (historicos_[a].guardaPasso(outro, !desfazendo)) {
        // The other list changed after this operation: taking back one half of it would leave
        // the moved rows in both lists or in neither.
        dialogos().msgAviso(std::string("Esta operação também alterou a lista \"") +
                            kAbaTitulos[a] + "\", que mudou depois dela. " +
                            (desfazendo ? "Desfaça" : "Refaça") +
                            " antes as alterações mais recentes daquela lista.");
        return false;
      }
    }
    break;
  }
  for (size_t a = 0; a < 3; ++a) {
    if (!juntas[a]) continue;
    GridJournal& h = historicos_[a];
    TextGrid& g = grid(static_cast<int>(a));
    if (desfazendo)
      h.undo(g);
    else
      h.redo(g);
  }
  showStatus(*gGrid);
  changed();
  return true;
}

bool ListEditor::desfazer() {
  return repetirPasso(true);
}

bool ListEditor::refazer() {
  return repetirPasso(false);
}

TextGrid& ListEditor::grid(int aba) {
  switch (aba) {
    case kAbaValidos:
      return gridValidos;
    case kAbaInvalidos:
      return gridInvalidos;
    default:
      return gridMain;
  }
}

int ListEditor::abaDe(const TextGrid& g) const {
  if (&g == &gridValidos) return kAbaValidos;
  if (&g == &gridInvalidos) return kAbaInvalidos;
  return kAbaPrincipal;
}

std::string ListEditor::arquivoDaAba(int aba) const {
  auto it = gArquivos.find(std::to_string(aba));
  return it == gArquivos.end() ? std::string() : it->second;
}

std::string ListEditor::editouDaAba(int aba) const {
  auto it = gEditou.find(std::to_string(aba));
  return it == gEditou.end() ? std::string() : it->second;
}

void ListEditor::novaLista(TextGrid& g, bool excluirColunas) {
  EditStep edicao(*this);
  gridZerar(g, excluirColunas);
  gArquivos[std::to_string(abaDe(g))] = "";
  showStatus(g);
  changed();
}

void ListEditor::setEditou(const TextGrid& g, bool editou) {
  gEditou[std::to_string(abaDe(g))] = editou ? "1" : "0";
  if (!editou) historico(g).marcarSalvo();
}

void ListEditor::setArquivo(const TextGrid& g, const std::string& caminho) {
  gArquivos[std::to_string(abaDe(g))] = caminho;
}

Progress& ListEditor::progresso() {
  if (progress) return *progress;
  if (!progressoMudo_) progressoMudo_ = std::make_unique<SilentProgress>();
  return *progressoMudo_;
}

Dialogs& ListEditor::dialogos() {
  if (dialogs) return *dialogs;
  // Without a connected message kit, messages are only recorded and a question is an error:
  // whoever runs operations that ask must connect one.
  if (!dialogosMudos_) dialogosMudos_ = std::make_unique<SilentDialogs>();
  return *dialogosMudos_;
}

void ListEditor::mudarGGrid(TextGrid& g) {
  gGrid = &g;
}

void ListEditor::setAbaAtiva(int aba) {
  abaAtiva_ = std::clamp(aba, 0, 2);
  pgcDadosChangeCheck();
}

void ListEditor::pgcDadosChangeCheck() {
  abrirListaHabilitado = abaAtiva_ == kAbaPrincipal;
  mudarGGrid(grid(abaAtiva_));
  showStatus(*gGrid);
  changed();
}

void ListEditor::showStatus(const TextGrid& g) {
  int aba = abaDe(g);
  std::string arquivo = arquivoDaAba(aba);
  status.items = formatNumber(g.rowCount() - 1);
  status.position = formatNumber(g.cursorRow);
  status.saved = (!arquivo.empty() && editouDaAba(aba) == "0") ? "Sim" : "Não";
  status.file = "Arquivo: " + arquivo;
}

void ListEditor::AutoSizeGrid(TextGrid& g,
                              const std::function<int(const std::string&)>& larguraTexto) {
  std::string texto;  // one buffer for every cell measured
  for (int c = 0; c < g.colCount(); ++c) {
    int w = 60;
    for (int r = 0; r < g.rowCount(); ++r) {
      texto.assign(g.cell(c, r));
      w = std::max(w, larguraTexto(texto));
    }
    w = std::min(w + 10, 410);
    if ((c == 2 || c == 3) && w < 200) w = 200;
    g.setColWidth(c, w);
  }
}

}  // namespace quorvel
