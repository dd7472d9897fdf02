#include "cli/list_session.h"

#include <unistd.h>

#include <filesystem>

#include "cli/cli_failure.h"
#include "cli/input_bytes.h"
#include "common/format.h"
#include "common/text.h"
#include "common/text_file.h"
#include "lists/list_loading.h"
#include "lists/list_saving.h"

namespace quorvel::cli {
namespace {

namespace fs = std::filesystem;

// Standard input as a file of its own, so that it is opened as "Abrir lista" opens any file;
// the file is gone when the command ends.
class EntradaEmArquivo {
 public:
  explicit EntradaEmArquivo(const std::string& nome) {
    if (!ehEntradaPadrao(nome)) {
      caminho_ = nome;
      return;
    }
    caminho_ =
        (fs::temp_directory_path() / ("quorvel-entrada-" + std::to_string(::getpid()) + ".txt"))
            .string();
    WriteResult w = writeFileAtomic(caminho_, readInputBytes("-"));
    if (!w.ok)
      throw CliFailure("não foi possível guardar a entrada padrão: " + w.error, kSaidaFalha);
    temporario_ = true;
  }
  ~EntradaEmArquivo() {
    if (temporario_) ::unlink(caminho_.c_str());
  }
  const std::string& caminho() const { return caminho_; }

 private:
  std::string caminho_;
  bool temporario_ = false;
};

}  // namespace

bool mesmoArquivo(const std::string& a, const std::string& b) {
  std::error_code ec;
  return !ehEntradaPadrao(a) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

std::string linhas(int64_t n) {
  return formatNumber(n) + (n == 1 ? " linha" : " linhas");
}

int colunaPedida(const TextGrid& g, const std::string& nomeOuNumero) {
  const int n = g.colCount();
  const std::string_view pedido = trimView(nomeOuNumero);
  const bool numero = !pedido.empty() && pedido.find_first_not_of("0123456789") == pedido.npos;
  if (numero) {
    const long c = pedido.size() > 6 ? 0 : std::stol(std::string(pedido));
    if (c < 1 || c > n)
      throw CliFailure("a coluna " + std::string(pedido) + " não existe (a lista tem " +
                       std::to_string(n) + (n == 1 ? " coluna)" : " colunas)"));
    return static_cast<int>(c) - 1;
  }
  std::string nomes;
  for (int c = 0; c < n; ++c) {
    if (equalsIgnoreCase(trimView(g.cell(c, 0)), pedido)) return c;
    nomes += (c ? ", " : "") + trim(g.cell(c, 0));
  }
  throw CliFailure("não há coluna chamada \"" + std::string(pedido) +
                   "\" (as colunas são: " + nomes + ")");
}

void ListSession::abrir(const std::string& nome) {
  EntradaEmArquivo entrada(nome);
  std::error_code ec;
  if (!fs::is_regular_file(entrada.caminho(), ec))
    throw CliFailure("não foi possível abrir o arquivo: " + nome, kSaidaFalha);
  dialogs.arquivos.push_back(entrada.caminho());
  int antes = dialogs.erros;
  btnAbrirClick(editor);
  cancelado();
  if (dialogs.erros != antes) throw CliFailure("a lista não foi carregada: " + nome, kSaidaFalha);
  linhasLidas = editor.gridMain.dataRowCount();
}

void ListSession::cancelado() const {
  if (cancelRequestedByUser()) throw CliFailure("cancelado; nada foi gravado", kSaidaCancelado);
}

void ListSession::salvarGrade(TextGrid& grid, const std::string& caminho) {
  cancelado();
  editor.mudarGGrid(grid);
  int antes = dialogs.erros;
  const bool salvo = salvarComo(editor, caminho, true);
  cancelado();  // a Ctrl+C during the save left the file unwritten
  if (!salvo || dialogs.erros != antes)
    throw CliFailure("o arquivo não foi gravado: " + caminho, kSaidaFalha);
  gravados.push_back(caminho);
}

void ListSession::resumo(const std::string& texto) const {
  avisar(texto);
  for (const auto& g : gravados) avisar("gravado: " + g);
}

}  // namespace quorvel::cli
