#include "lists/list_saving.h"

#include <cstring>
#include <filesystem>

#include "common/format.h"
#include "common/paths.h"
#include "common/text_file.h"
#include "lists/list_loading.h"

namespace quorvel {
namespace {

constexpr char kSeparador = std::filesystem::path::preferred_separator;

std::string comSeparador(std::string pasta) {
  if (!pasta.empty() && pasta.back() != kSeparador) pasta.push_back(kSeparador);
  return pasta;
}

void acrescentarCelula(std::string& out, const std::string& celula) {
  if (celula.empty()) return;
  out.push_back('"');
  if (std::memchr(celula.data(), '"', celula.size()) == nullptr) {
    out += celula;
  } else {
    for (char c : celula) {
      if (c == '"') out.push_back('"');
      out.push_back(c);
    }
  }
  out.push_back('"');
}

}  // namespace

void acrescentarLinhaCSV(std::string& out, const std::vector<std::string>& celulas) {
  for (size_t c = 0; c < celulas.size(); ++c) {
    if (c > 0) out.push_back(',');
    acrescentarCelula(out, celulas[c]);
  }
}

bool salvarComo(ListEditor& editor, const std::string& arquivo, bool /*silent*/) {
  paths::createFolder(pastaDados(editor));
  TextGrid& g = *editor.gGrid;
  Progress& progresso = editor.progresso();
  const int linhas = g.rowCount();

  editor.setGridVisivel(false);
  progresso.setProgress("Preparando dados...", linhas / 100,
                        "Total de registros: " + formatNumberOrEmpty(linhas - 1));

  // The whole file in one buffer, sized up front (quotes to double only make it grow).
  size_t tamanho = 3;
  for (int r = 0; r < linhas; ++r) {
    tamanho += 2 + static_cast<size_t>(g.colCount());
    for (const auto& celula : g.rowCells(r)) tamanho += celula.size() + 2;
  }
  std::string dados;
  dados.reserve(tamanho);
  dados = "\xEF\xBB\xBF";

  bool cancelado = false;
  for (int r = 0; r < linhas; ++r) {
    if (progresso.cancelou()) {
      cancelado = true;
      break;
    }
    acrescentarLinhaCSV(dados, g.rowCells(r));
    dados += "\r\n";
    if ((r + 1) % 100 == 0)
      progresso.stepProgress("", "Processados: " + formatNumberOrEmpty(r + 1),
                             "Copiados: " + formatNumberOrEmpty(r + 1));
  }

  bool salvo = false;
  if (cancelado) {
    editor.dialogos().msgInformacao("Procedimento cancelado");
  } else {
    progresso.stepProgress("", "", "Copiados: " + formatNumberOrEmpty(linhas));
    // A cancel that comes while the file is written still leaves the old file as it was.
    WriteResult escrito =
        writeFileAtomic(arquivo, dados, {0644, [&progresso] { return progresso.cancelou(); }});
    std::string().swap(dados);
    if (escrito.desistiu) {
      editor.dialogos().msgInformacao("Procedimento cancelado");
    } else if (escrito.ok) {
      salvo = true;
      editor.setEditou(g, false);
      editor.setArquivo(g, arquivo);
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

void salvar(ListEditor& editor) {
  std::string arquivo = editor.arquivoDe(*editor.gGrid);
  if (arquivo.empty()) {
    salvarComoDialogo(editor);
    return;
  }
  salvarComo(editor, arquivo, true);
  editor.showStatus(*editor.gGrid);
}

void salvarComoDialogo(ListEditor& editor) {
  Dialogs& dialogos = editor.dialogos();
  std::string arquivo = dialogos.getFileSave(comSeparador(pastaDados(editor)), "", ".csv");
  if (arquivo.empty()) return;
  if (paths::exists(arquivo) && dialogos.msgPergunta(kMsgSobrepor) != kSim) return;
  salvarComo(editor, arquivo, true);
  editor.showStatus(*editor.gGrid);
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
