#include "lists/list_saving.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "common/format.h"
#include "common/paths.h"
#include "common/text.h"
#include "common/text_file.h"
#include "lists/list_loading.h"

namespace quorvel {
namespace {

constexpr char kSeparador = std::filesystem::path::preferred_separator;

std::string comSeparador(std::string pasta) {
  if (!pasta.empty() && pasta.back() != kSeparador) pasta.push_back(kSeparador);
  return pasta;
}

constexpr auto kPedeAspas = [] {
  std::array<bool, 256> t{};
  for (unsigned char c : std::string_view(";,\t\"\r\n")) t[c] = true;
  return t;
}();

// Quoted when the reader would otherwise not give the same cell back: a separator of any kind
// (the reader picks one from the first line), a quote, a line break, or a blank at either end
// (lines and fields after a separator lose them). A single space is how a list stores an empty
// field: it is written as nothing.
bool precisaAspas(std::string_view celula) {
  if (celula.front() == ' ' || celula.front() == '\t' || celula.back() == ' ' ||
      celula.back() == '\t')
    return true;
  for (char c : celula)
    if (kPedeAspas[static_cast<unsigned char>(c)]) return true;
  return false;
}

void acrescentarCelula(std::string& out, std::string_view celula) {
  if (celula.empty() || celula == " ") return;
  if (!precisaAspas(celula)) {
    out += celula;
    return;
  }
  out.push_back('"');
  for (char c : celula) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

// A line of `n` cells, `celula(c)` giving each.
template <class Celula>
void acrescentarLinha(std::string& out, size_t n, Celula celula, char separador,
                      bool manterUltimoCampo) {
  for (size_t c = 0; c < n; ++c) {
    if (c > 0) out.push_back(separador);
    acrescentarCelula(out, celula(c));
  }
  // A separator at the end of a line gives no field: an empty last field is written quoted.
  if (manterUltimoCampo && n > 1) {
    const std::string_view ultima = celula(n - 1);
    if (ultima.empty() || ultima == " ") out += "\"\"";
  }
}

}  // namespace

void acrescentarLinhaCSV(std::string& out, const std::vector<std::string>& celulas, char separador,
                         bool manterUltimoCampo) {
  acrescentarLinha(
      out, celulas.size(), [&](size_t c) { return std::string_view(celulas[c]); }, separador,
      manterUltimoCampo);
}

void acrescentarLinhaCSV(std::string& out, const TextGrid& grid, int row, char separador,
                         bool manterUltimoCampo) {
  acrescentarLinha(
      out, static_cast<size_t>(grid.colCount()),
      [&](size_t c) { return std::string_view(grid.cell(static_cast<int>(c), row)); }, separador,
      manterUltimoCampo);
}

std::string textoListaCSV(const std::vector<std::vector<std::string>>& linhas, char separador) {
  std::string dados(kUtf8Bom);
  for (const auto& linha : linhas) {
    acrescentarLinhaCSV(dados, linha, separador);
    dados += "\r\n";
  }
  return dados;
}

char separadorParaSalvar(const ListEditor& editor, const TextGrid& grid) {
  const char s = editor.separadorDe(grid);
  return s == ';' || s == '\t' || s == ',' ? s : ',';
}

bool salvarComo(ListEditor& editor, const std::string& arquivo, bool /*silent*/, char separador) {
  paths::createFolder(pastaDados(editor));
  TextGrid& g = *editor.gGrid;
  if (separador == 0) separador = separadorParaSalvar(editor, g);
  Progress& progresso = editor.progresso();
  const int linhas = g.rowCount();

  editor.setGridVisivel(false);
  progresso.setProgress("Preparando dados...", linhas / 100,
                        "Total de registros: " + formatNumberOrEmpty(linhas - 1));

  // The file is written piece by piece from the cells: the list and its whole text are never
  // both in memory. A cancel, seen between rows, leaves the old file as it was.
  constexpr size_t kPedaco = size_t{1} << 20;
  int r = 0;
  auto proximo = [&](std::string& dados) {
    if (r == 0) dados = kUtf8Bom;
    for (; r < linhas && dados.size() < kPedaco; ++r) {
      if (progresso.cancelou()) return true;  // the writer asks next and gives up
      // After a sort the rows' texts lie scattered: fetching a few rows ahead hides the wait.
      if (r + 8 < linhas) {
        const char* adiante = g.cell(0, r + 8).data();
        __builtin_prefetch(adiante);
        __builtin_prefetch(adiante + 64);
      }
      // The header row sets the list's width when the file is read back: its last column stays.
      acrescentarLinhaCSV(dados, g, r, separador, r == 0);
      dados += "\r\n";
      if ((r + 1) % 100 == 0)
        progresso.stepProgress("", "Processados: " + formatNumberOrEmpty(r + 1),
                               "Copiados: " + formatNumberOrEmpty(r + 1));
    }
    if (r < linhas) return true;
    progresso.stepProgress("", "", "Copiados: " + formatNumberOrEmpty(linhas));
    return false;
  };
  bool salvo = false;
  {
    WriteResult escrito =
        writeFileAtomic(arquivo, proximo, {0644, [&progresso] { return progresso.cancelou(); }});
    if (escrito.desistiu) {
      editor.dialogos().msgInformacao("Procedimento cancelado");
    } else if (escrito.ok) {
      salvo = true;
      editor.setEditou(g, false);
      editor.setArquivo(g, arquivo);
      editor.setSeparador(g, separador);
      editor.showStatus(g);
    } else {
      editor.dialogos().msgErro("Não foi possível salvar o arquivo " + arquivo + ": " +
                                escrito.error);
    }
  }
  progresso.hide();
  editor.setGridVisivel(true);
  editor.changed();
  return salvo;
}

bool salvar(ListEditor& editor) {
  std::string arquivo = editor.arquivoDe(*editor.gGrid);
  if (arquivo.empty()) return salvarComoDialogo(editor);
  const bool salvo = salvarComo(editor, arquivo, true);
  editor.showStatus(*editor.gGrid);
  return salvo;
}

bool salvarComoDialogo(ListEditor& editor) {
  Dialogs& dialogos = editor.dialogos();
  char separador = separadorParaSalvar(editor, *editor.gGrid);
  std::string arquivo =
      dialogos.getFileSaveWithSeparator(comSeparador(pastaDados(editor)), "", ".csv", separador);
  if (arquivo.empty()) return false;
  if (paths::exists(arquivo) && dialogos.msgPergunta(kMsgSobrepor) != kSim) return false;
  const bool salvo = salvarComo(editor, arquivo, true, separador);
  editor.showStatus(*editor.gGrid);
  return salvo;
}

bool temAlteracoesNaoSalvas(const ListEditor& editor, int aba) {
  if (editor.editouDaAba(aba) != "1") return false;
  const TextGrid& g = editor.grid(aba);
  for (int r = 1; r < g.rowCount(); ++r)
    if (g.rowHasText(r)) return true;
  return false;
}

bool salvarAntesDeDescartar(ListEditor& editor, const std::vector<int>& abas) {
  for (int aba : abas) {
    if (!temAlteracoesNaoSalvas(editor, aba)) continue;
    if (editor.abaAtiva() != aba) editor.setAbaAtiva(aba);  // the user sees which list
    const int r = editor.dialogos().msgPerguntaCancelar(kMsgSalvarAlteracoes);
    if (r == kSim) {
      if (!salvar(editor)) return false;  // not saved (cancelled or failed): nothing is lost
    } else if (r != kNao) {
      return false;
    }
  }
  return true;
}

SaveFields initialSaveFields(const std::string& pastaPadrao, const std::string& filePath) {
  if (filePath.empty()) return {comSeparador(pastaPadrao), ""};
  std::filesystem::path p(filePath);
  return {comSeparador(p.parent_path().string()), p.filename().string()};
}

std::string saveResult(bool aceito, const std::string& pasta, const std::string& nome,
                       const std::string& extensao) {
  if (!aceito || nome.empty()) return {};
  std::string resultado = pasta + nome;
  if (resultado.find(extensao) == std::string::npos) resultado += extensao;
  return resultado;
}

}  // namespace quorvel
