#include "lists/file_selection.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

#include "common/paths.h"
#include "common/text.h"

namespace quorvel {

namespace {

constexpr char kSep = std::filesystem::path::preferred_separator;

std::string comSeparador(std::string pasta) {
  if (pasta.empty() || pasta.back() != kSep) pasta += kSep;
  return pasta;
}

// The extension with its dot, as the file's name shows it (".csv"; empty without a dot).
std::string extensaoDe(const std::string& nome) {
  auto p = nome.rfind('.');
  return p == std::string::npos ? std::string() : nome.substr(p);
}

int64_t diaDe(std::chrono::system_clock::time_point t) {
  std::time_t tt = std::chrono::system_clock::to_time_t(t);
  std::tm tm{};
  localtime_r(&tt, &tm);
  using namespace std::chrono;
  return sys_days(year{tm.tm_year + 1900} / (tm.tm_mon + 1) / tm.tm_mday)
      .time_since_epoch()
      .count();
}

}  // namespace

std::string tamanhoKb(int64_t bytes) {
  return std::to_string(std::max<int64_t>(1, bytes / 1000)) + " KB";
}

std::string dataCurta(std::chrono::system_clock::time_point t) {
  std::time_t tt = std::chrono::system_clock::to_time_t(t);
  std::tm tm{};
  localtime_r(&tt, &tm);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
  return buf;
}

const std::vector<std::string>& FileSelection::extensoes() {
  static const std::vector<std::string> lista = {"*.*", ".txt", ".csv", ".pdf", ".zip", "imagens"};
  return lista;
}

void FileSelection::abrir(const std::string& aPath, const std::string& aExtension,
                          const std::string& aFiltro, bool multiselect, bool podeMudarPasta) {
  canChangePath = podeMudarPasta;
  exibirArquivos(caminho.empty() ? aPath : caminho, aExtension, multiselect, aFiltro);
  SortedColumn = 1;
  Descending = true;
  ordenar();
}

void FileSelection::exibirArquivos(const std::string& pasta, const std::string& extensao,
                                   bool varios, const std::string& filtro) {
  gPath = comSeparador(pasta);
  gExtension = extensao;
  gFiltro = filtro;
  const auto& lista = extensoes();
  if (std::find(lista.begin(), lista.end(), extensao) != lista.end()) extensaoMostrada = extensao;
  gMultiSelect = varios;
  caminho = gPath;
  linhas.clear();
  linhaAtual = -1;
  arquivoSelecionado.clear();

  const bool semFiltroExtensao = extensao.empty() || extensao == "*.*";
  for (const FileEntry& e : platform_.listFolder(gPath)) {
    if (e.name == "." || e.name == "..") continue;
    FileRow row;
    row.nome = e.name;
    // A hidden folder (a name starting with ".") is listed like a file, as folders with other
    // attributes than "directory" are.
    row.pasta = e.isDirectory && e.name.front() != '.';
    if (row.pasta) {
      row.tamanho = "0 KB";
    } else {
      if (!semFiltroExtensao && !equalsIgnoreCase(extensaoDe(e.name), extensao)) continue;
      if (!filtro.empty() && !containsIgnoreCase(e.name, filtro)) continue;
      row.data = dataCurta(e.lastWrite);
      row.dia = diaDe(e.lastWrite);
      row.kb = std::max<int64_t>(1, e.size / 1000);
      row.tamanho = tamanhoKb(e.size);
    }
    linhas.push_back(std::move(row));
  }
  ordenar();
}

void FileSelection::ordenar() {
  auto menor = [this](const FileRow& a, const FileRow& b) {
    switch (SortedColumn) {
      case 0:
        return compareText(a.nome, b.nome) < 0;
      case 1:
        if (a.dia >= 0 && b.dia >= 0) return a.dia < b.dia;
        return compareText(a.data, b.data) < 0;
      default:
        return a.kb < b.kb;
    }
  };
  std::stable_sort(linhas.begin(), linhas.end(), [&](const FileRow& a, const FileRow& b) {
    return Descending ? menor(b, a) : menor(a, b);
  });
  linhaAtual = -1;
  notify(FileSelectionNotice::Kind::listing);
}

void FileSelection::clicarColuna(int coluna) {
  Descending = coluna == SortedColumn ? !Descending : false;
  SortedColumn = std::clamp(coluna, 0, 2);
  ordenar();
}

void FileSelection::buscar(const std::string& texto) {
  exibirArquivos(gPath, "", true, texto);
}

void FileSelection::mudarExtensao(const std::string& extensao) {
  exibirArquivos(gPath, extensao, true, gFiltro);
}

void FileSelection::alterarPasta(const std::string& pasta) {
  if (!pasta.empty()) exibirArquivos(pasta, gExtension, gMultiSelect, gFiltro);
}

void FileSelection::subirPasta() {
  std::filesystem::path p(caminho);
  if (!caminho.empty() && caminho.back() == kSep && caminho.size() > 1)
    p = caminho.substr(0, caminho.size() - 1);
  exibirArquivos(p.parent_path().string(), gExtension, gMultiSelect, gFiltro);
}

bool FileSelection::irParaCaminho(const std::string& texto) {
  if (!paths::isFolder(texto)) {
    dialogs_.msgErro(kMsgPastaInvalida);
    return false;
  }
  exibirArquivos(texto, gExtension, gMultiSelect, gFiltro);
  return true;
}

void FileSelection::abrirNoGerenciador() {
  platform_.shellOpen(caminho);
}

void FileSelection::selecionarLinha(int linha) {
  if (linha == linhaAtual) return;
  const int anterior = linhaAtual;
  linhaAtual = linha >= 0 && linha < static_cast<int>(linhas.size()) ? linha : -1;
  if (gMultiSelect) {
    if (anterior >= 0 && anterior < static_cast<int>(linhas.size()))
      linhas[anterior].marcado = !linhas[anterior].marcado;
    if (linhaAtual >= 0) linhas[linhaAtual].marcado = !linhas[linhaAtual].marcado;
  }
  if (linhaAtual >= 0) arquivoSelecionado = linhas[linhaAtual].pasta ? "" : linhas[linhaAtual].nome;
  notify(FileSelectionNotice::Kind::rows);
}

void FileSelection::marcar(int linha, bool marcado) {
  if (linha < 0 || linha >= static_cast<int>(linhas.size())) return;
  linhas[linha].marcado = marcado;
  notify(FileSelectionNotice::Kind::rows);
}

bool FileSelection::duploClique(int linha) {
  if (linha < 0 || linha >= static_cast<int>(linhas.size())) return false;
  if (linhas[linha].pasta) {
    exibirArquivos(gPath + linhas[linha].nome, gExtension, gMultiSelect, gFiltro);
    return false;
  }
  return true;
}

std::string FileSelection::resultado(bool ok) const {
  if (!ok) return {};
  if (!gMultiSelect) return gPath + arquivoSelecionado;
  std::string out;
  for (const auto& l : linhas)
    if (l.marcado) out += gPath + l.nome + "\r\n";
  return trim(out);
}

}  // namespace quorvel
