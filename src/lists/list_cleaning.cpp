#include "lists/list_cleaning.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "common/collation.h"
#include "common/format.h"
#include "common/paths.h"
#include "common/text.h"
#include "common/text_file.h"
#include "lists/column_sort.h"
#include "lists/exclusion_set.h"
#include "lists/header_row.h"

namespace quorvel {
namespace {

std::string fmt(int64_t n) {
  return formatNumberOrEmpty(n);
}

// A progress step, then pending events (the cancel button among them) get through.
void passo(ListEditor& e, const std::string& l1, const std::string& l2 = {},
           const std::string& l3 = {}) {
  e.progresso().stepProgress(l1, l2, l3);
  if (e.pump) e.pump->processEvents();
}

// The length of a row's whole text (its cells, each followed by a line break). Every row has the
// same number of cells, so the line breaks add the same to every row and are left out.
size_t comprimentoLinha(const TextGrid& g, int row) {
  size_t n = 0;
  for (int c = 0; c < g.colCount(); ++c) n += utf16Length(g.cell(c, row));
  return n;
}

std::string nomeArquivo(const std::string& caminho) {
  size_t barra = caminho.find_last_of("/\\");
  return barra == std::string::npos ? caminho : caminho.substr(barra + 1);
}

// A whole number as the program's conversion accepts it: optional sign, decimal digits, with
// surrounding blanks tolerated.
bool lerInteiro(std::string_view texto, int& out) {
  std::string_view t = trimView(texto);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  auto [fim, erro] = std::from_chars(t.data(), t.data() + t.size(), out);
  return erro == std::errc() && fim == t.data() + t.size();
}

const char* const kAvisoVariasColunas1 =
    " tem mais de uma coluna de dados e isso faz a consulta ser muito mais lenta. Para obter "
    "velocidade máxima, os arquivos usados como listas de exclusão devem ter uma única coluna de "
    "dados, contendo um e-mail em cada linha. ";
const char* const kAvisoVariasColunas2 =
    "O procedimeno irá seguir normalmente agora, mas com um método mais lento de processamento";

}  // namespace

// ---------------------------------------------------------------------------------------------
// Remove repeated values

int excluirRepetidos(ListEditor& editor, TextGrid& g, int coluna) {
  ListEditor::EditStep edicao(editor);
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  if (coluna < 0 || coluna >= g.colCount()) return 0;
  Progress& p = editor.progresso();
  p.setProgress("Identificando repetidos...", 1, "Ordenando a coluna " + g.cell(coluna, 0) + "...");
  if (!SortStringGrid(editor, g, coluna, false)) {
    editor.dialogos().msgErro("Operação cancelada");
    p.clearCancel();
    return 0;
  }

  const int linhas = g.rowCount();
  p.setProgress("Identificando repetidos...", linhas / 10, "Total de registros: " + fmt(linhas));
  editor.setGridVisivel(false);

  // The rows are compared in one pass and removed together at the end. Removing a row in place
  // makes the next row be compared with the survivor of the pair, so `acima` follows the
  // nearest surviving row above the current one.
  std::vector<char> remover(static_cast<size_t>(linhas), 0);
  int repetidos = 0;
  int acima = 1;
  bool cancelado = false;
  size_t compAcima = 0;
  bool compAcimaConhecido = false;
  for (int r = 2; r < linhas; ++r) {
    // Where the row would stand in a list that shrinks as rows go.
    const int posicao = r - repetidos;
    if (posicao % 10 == 0)
      passo(editor, "Processados: " + fmt(posicao), "Repetidos: " + fmt(repetidos));
    if (p.cancelou()) {
      editor.dialogos().msgErro("Operação cancelada");
      p.clearCancel();
      cancelado = true;
      break;
    }
    // The rows lie scattered in memory after the sort; fetching ahead halves the scan's time.
    if (r + 16 < linhas) __builtin_prefetch(g.cell(0, r + 16).data());
    if (r + 8 < linhas) __builtin_prefetch(g.cell(coluna, r + 8).data());
    if (g.cell(coluna, r) != g.cell(coluna, acima)) {
      acima = r;
      compAcimaConhecido = false;
      continue;
    }
    if (!compAcimaConhecido) {
      compAcima = comprimentoLinha(g, acima);
      compAcimaConhecido = true;
    }
    const size_t comp = comprimentoLinha(g, r);
    ++repetidos;
    if (compAcima > comp) {
      remover[static_cast<size_t>(r)] = 1;
    } else {
      remover[static_cast<size_t>(acima)] = 1;
      acima = r;
      compAcima = comp;
    }
  }
  if (repetidos > 0) g.removeRows(remover);
  if (!cancelado)
    p.stepProgress("Processados: " + fmt(linhas - 1 - repetidos), "Repetidos: " + fmt(repetidos));
  p.hide();
  editor.setGridVisivel(true);
  editor.showStatus(g);
  editor.changed();
  return repetidos;
}

int excluirRepetidos(ListEditor& editor, int coluna) {
  return excluirRepetidos(editor, *editor.gGrid, coluna);
}

bool aplicarEliminarRepetidos(ListEditor& editor, int coluna) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  if (coluna < 0 || coluna >= g.colCount()) {
    editor.dialogos().msgErro(kMsgSelecioneColuna);
    return false;
  }
  excluirRepetidos(editor, g, coluna);
  // A one-column list has no column 1: its rows end in descending order of their text.
  SortStringGrid(editor, g, g.colCount() > 1 ? 1 : 0, true);
  return true;
}

int colunaInicialEliminarRepetidos(int colunaAtual) {
  return colunaAtual >= 2 ? colunaAtual - 2 : -1;
}

int colunaInicialEliminarRepetidos(const ListEditor& editor) {
  return colunaInicialEliminarRepetidos(editor.gGrid->cursorCol);
}

// ---------------------------------------------------------------------------------------------
// Exclusion lists

namespace {

// The rows of the list found in one exclusion file (flags indexed by row); `lida` is false when
// the file could not be read. The file's text and its set of lines are let go on return, before
// the survivors are put in order.
struct ExcludedRows {
  bool lida = false;
  std::vector<char> excluidas;
};

ExcludedRows identificarExcluidas(ListEditor& editor, const TextGrid& g, int coluna,
                                  const std::string& caminho, int numero, int totalArquivos) {
  Dialogs& d = editor.dialogos();
  Progress& p = editor.progresso();
  const std::string nome = nomeArquivo(caminho);
  p.setProgress("Preparando o arquivo " + nome, 1,
                "Essa operação pode demorar um pouco. Aguarde...");
  std::string decodificado;
  {
    auto bytes = readFileBytes(caminho);
    if (!bytes) {
      p.hide();
      d.msgErro("Não foi possível ler o arquivo: " + caminho);
      return {};
    }
    decodificado = decodeText(*bytes);
  }
  const ExclusionSet exclusao(std::move(decodificado));
  const std::string& texto = exclusao.text();

  bool aspas = false;
  bool variasColunas = false;
  if (!exclusao.empty()) {
    const std::string_view primeira = exclusao.first();
    aspas = primeira.find('"') != std::string::npos;
    variasColunas = primeira.find_first_of("\t;,") != std::string::npos;
  }
  if (variasColunas)
    d.msgAviso("O arquivo de exclusão " + nome + kAvisoVariasColunas1 + kAvisoVariasColunas2);

  p.setProgress("Exclusão avançada via arquivo", g.dataRowCount() / 10,
                "Total de arquivos: " + fmt(numero) + " / " + fmt(totalArquivos) + " -> " + nome,
                "Processando: 0", "Identificados: " + fmt(0));
  ExcludedRows resultado{true, std::vector<char>(static_cast<size_t>(g.rowCount()), 0)};
  int identificados = 0;
  std::string valor;
  for (int r = 1; r < g.rowCount(); ++r) {
    if (r % 10 == 0)
      passo(editor, "Processando: " + fmt(r), "Identificados: " + fmt(identificados));
    const std::string_view celula = trimView(g.cell(coluna, r));
    if (aspas) {
      valor.assign("\"").append(celula).append("\"");
    } else {
      valor.assign(celula);
    }
    // A blank value is never excluded, whatever blank lines the file holds.
    const bool excluir = !celula.empty() && (variasColunas ? texto.find(valor) != std::string::npos
                                                           : exclusao.contains(valor));
    if (excluir) {
      resultado.excluidas[static_cast<size_t>(r)] = 1;
      ++identificados;
    }
  }
  return resultado;
}

// A row's whole text: its cells joined by tabs.
void textoDaLinha(const TextGrid& g, int row, std::string& out) {
  out.clear();
  for (int c = 0; c < g.colCount(); ++c) {
    if (c > 0) out += '\t';
    out += g.cell(c, row);
  }
}

// A row's place in the order: the first bytes of the collation key of its whole text, packed
// so that comparing the numbers compares the bytes. The full keys of every row would take half
// as much memory as the list itself; the first bytes already tell most rows apart, and the rows
// they do not are resolved run by run with their full keys.
struct RowKey {
  static constexpr size_t kBytes = 24;
  uint64_t prefixo[kBytes / 8];
  int linha;
  uint32_t tamanho;  // the key's length, counted up to kBytes + 1
};

RowKey chaveLinha(std::string_view chave, int linha) {
  RowKey k{{}, linha, static_cast<uint32_t>(std::min(chave.size(), RowKey::kBytes + 1))};
  for (size_t i = 0; i < std::min(chave.size(), RowKey::kBytes); ++i)
    k.prefixo[i / 8] |= uint64_t{static_cast<unsigned char>(chave[i])} << (56 - 8 * (i % 8));
  return k;
}

bool mesmoPrefixo(const RowKey& a, const RowKey& b) {
  return std::equal(std::begin(a.prefixo), std::end(a.prefixo), std::begin(b.prefixo));
}

// Rows whose keys share the first bytes, in row order: appends them to `ordem` ordered by their
// full keys, each key once (the topmost row of equal ones).
void resolverEmpate(const TextGrid& g, const RowKey* grupo, size_t n, std::vector<int>& ordem) {
  const uint32_t t = grupo[0].tamanho;
  if (t <= RowKey::kBytes &&
      std::all_of(grupo, grupo + n, [t](const RowKey& k) { return k.tamanho == t; })) {
    ordem.push_back(grupo[0].linha);  // the whole keys were compared: all equal
    return;
  }
  struct Item {
    size_t inicio, tamanho;
    int linha;
  };
  std::string chaves;  // the run's full keys, one after another
  std::vector<Item> itens;
  itens.reserve(n);
  std::string texto;
  for (size_t i = 0; i < n; ++i) {
    textoDaLinha(g, grupo[i].linha, texto);
    const size_t inicio = chaves.size();
    collation::appendSortKey(texto, chaves);
    itens.push_back({inicio, chaves.size() - inicio, grupo[i].linha});
  }
  auto vista = [&](const Item& it) {
    return std::string_view(chaves).substr(it.inicio, it.tamanho);
  };
  std::stable_sort(itens.begin(), itens.end(),
                   [&](const Item& a, const Item& b) { return vista(a) < vista(b); });
  for (size_t i = 0; i < itens.size(); ++i)
    if (i == 0 || vista(itens[i]) != vista(itens[i - 1])) ordem.push_back(itens[i].linha);
}

// The data rows ordered by their whole text (pt-BR, ignoring case), rows with equal texts once:
// the topmost of them. Old row numbers, in the new order.
std::vector<int> ordemSemRepetidos(const TextGrid& g) {
  std::vector<RowKey> chaves;
  chaves.reserve(static_cast<size_t>(g.dataRowCount()));
  std::string texto, chave;
  for (int r = 1; r < g.rowCount(); ++r) {
    textoDaLinha(g, r, texto);
    chave.clear();
    collation::appendSortKeyPrefix(texto, RowKey::kBytes + 1, chave);
    chaves.push_back(chaveLinha(chave, r));
  }
  std::sort(chaves.begin(), chaves.end(), [](const RowKey& a, const RowKey& b) {
    if (!mesmoPrefixo(a, b))
      return std::lexicographical_compare(std::begin(a.prefixo), std::end(a.prefixo),
                                          std::begin(b.prefixo), std::end(b.prefixo));
    return a.linha < b.linha;
  });
  std::vector<int> ordem;
  ordem.reserve(chaves.size());
  for (size_t i = 0; i < chaves.size();) {
    size_t fim = i + 1;
    while (fim < chaves.size() && mesmoPrefixo(chaves[fim], chaves[i])) ++fim;
    if (fim - i == 1)
      ordem.push_back(chaves[i].linha);
    else
      resolverEmpate(g, chaves.data() + i, fim - i, ordem);
    i = fim;
  }
  return ordem;
}

// Takes the excluded rows out and puts the survivors in order: by their whole text ignoring
// case, rows with equal texts once, the list edited and without a file, blank columns gone. The
// surviving rows keep their cells exactly as they were (earlier this pasted them back, which
// trimmed every cell and dropped its double quotes). Survivors without any text leave only an
// empty row, and the edited flag is then not set.
void recolocarSobreviventes(ListEditor& editor, TextGrid& g, std::vector<char>& excluidas) {
  Progress& p = editor.progresso();
  bool algumTexto = false;
  for (int r = 1; r < g.rowCount() && !algumTexto; ++r)
    algumTexto = !excluidas[static_cast<size_t>(r)] && g.rowHasText(r);
  if (!algumTexto) std::fill(excluidas.begin() + 1, excluidas.end(), 1);
  g.removeRows(excluidas);
  excluidas = {};

  // The emptied list writes its header back by the row assignment rule.
  for (int c = 0; c < g.colCount(); ++c)
    if (g.cell(c, 0).empty()) g.setCell(c, 0, " ");
  g.moverCursor(0, 1);

  if (algumTexto) {
    g.reorderRows(ordemSemRepetidos(g));
    const int total = g.dataRowCount();
    p.setProgress("Carregando dados...", total / 10, "Total de registros: " + fmt(total));
    editor.setEditou(g, true);
  }
  p.hide();
  editor.setArquivo(g, "");
  editor.showStatus(g);
  eliminarColunasVazias(editor, g);
}

}  // namespace

void exclusaoAvancada(ListEditor& editor, int coluna) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  Dialogs& d = editor.dialogos();
  if (coluna < 0 || coluna >= g.colCount()) {
    d.msgErro(kMsgSelecioneColuna);
    return;
  }
  const std::string escolha =
      d.getFileSelect(paths::dados(editor.programFolder) + "/", "*.*", "", true, true);
  std::vector<std::string> caminhos;
  for (auto& linha : splitLines(trim(escolha)))
    if (!isBlank(linha)) caminhos.push_back(std::move(linha));

  const int totalArquivos = static_cast<int>(caminhos.size());
  for (int i = 0; i < totalArquivos; ++i) {
    // Blank columns leave with every file; the chosen column may be gone for the next one.
    if (coluna >= g.colCount()) break;
    const std::string& caminho = caminhos[static_cast<size_t>(i)];
    if (caminho.find(".txt") == std::string::npos && caminho.find(".csv") == std::string::npos)
      continue;
    ExcludedRows exclusao = identificarExcluidas(editor, g, coluna, caminho, i + 1, totalArquivos);
    if (!exclusao.lida) break;
    recolocarSobreviventes(editor, g, exclusao.excluidas);
  }

  editor.showStatus(g);
  g.moverCursor(std::min(g.cursorCol, g.colCount() - 1), 1);
  editor.changed();
}

// ---------------------------------------------------------------------------------------------
// Selective optimisation

const std::vector<std::string>& provedoresGratuitos() {
  // Yahoo, Gmail, Outlook, MSN, Hotmail, UOL, BOL, Terra, Globo, Live, R7, Live, iG, Oi, Zipmail.
  // Only UOL, BOL and Terra are listed with ".com.br"; the entries match anywhere in the
  // address, so "@ig.com" also takes in ig.com.br, "@oi.com" oi.com.br and so on.
  static const std::vector<std::string> lista = {
      "@yahoo.com",  "@gmail.com",  "@outlook.com",  "@msn.com",   "@hotmail.com",
      "@uol.com.br", "@bol.com.br", "@terra.com.br", "@globo.com", "@live.com",
      "@r7.com",     "@live.com",   "@ig.com",       "@oi.com",    "@zipmail.com"};
  return lista;
}

bool ehProvedorGratuito(std::string_view endereco) {
  const std::string minusculo = toLower(endereco);
  for (const auto& p : provedoresGratuitos())
    if (minusculo.find(p) != std::string::npos) return true;
  return false;
}

bool exclusaoSeletiva(ListEditor& editor, const std::string& quantidadeTexto,
                      const std::string& prioridadesTexto, bool ignorarProvedores) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  Dialogs& d = editor.dialogos();
  Progress& p = editor.progresso();

  int maximo = 0;
  if (!lerInteiro(quantidadeTexto, maximo)) {
    d.msgErro("\"" + quantidadeTexto +
              "\" não é um número inteiro válido. Informe quantos e-mails de cada domínio devem "
              "ficar na lista.");
    return false;
  }
  const std::vector<std::string> termos = splitLines(trim(prioridadesTexto));

  const std::string& cabecalho0 = g.cell(0, 0);
  if (cabecalho0 != "email" && cabecalho0 != "emails") {
    d.msgErro("A primeira coluna necessariamente precisa se chamar \"emails\"");
    return false;
  }

  editor.setGridVisivel(false);
  const int colDominio = criarColunaSeNaoExistir(g, "#dominio", 150);
  const int registros = g.dataRowCount();
  p.setProgress("Identificando domínios...", registros / 10,
                "Total de registros: " + fmt(registros));
  for (int r = 1; r < g.rowCount(); ++r) {
    std::string_view email = g.cell(0, r);
    size_t arroba = email.find('@');
    g.setCell(colDominio, r,
              trim(arroba == std::string_view::npos ? email : email.substr(arroba + 1)));
    if (r % 10 == 0) passo(editor, {});
  }

  p.setProgress("Ordenando dados", 1, "Aguarde... ");
  auto cancelada = [&] {
    d.msgInformacao("Operação cancelada");
    p.clearCancel();
    editor.setGridVisivel(true);
    editor.showStatus(g);
    editor.changed();
    return false;
  };
  if (!SortStringGrid(editor, g, colDominio, false)) return cancelada();

  p.setProgress("Analisando dados...", registros / 10, "Total de registros: " + fmt(registros));
  std::vector<int> manter;
  std::vector<int> prioritarios;
  std::vector<int> outros;
  auto descarregar = [&] {
    int recebidos = 0;
    for (auto* lista : {&prioritarios, &outros})
      for (int r : *lista) {
        if (recebidos >= maximo) break;
        manter.push_back(r);
        ++recebidos;
      }
    prioritarios.clear();
    outros.clear();
  };

  std::string dominioAtual = trim(g.cell(colDominio, 1));
  for (int r = 1; r < g.rowCount(); ++r) {
    if (p.cancelou()) return cancelada();
    if (r % 10 == 0)
      passo(editor, "Processados: " + fmt(r),
            "Total da lista final: " + fmt(static_cast<int64_t>(manter.size())));
    const std::string_view email = g.cell(0, r);
    if (ignorarProvedores && ehProvedorGratuito(email)) {
      manter.push_back(r);
      dominioAtual = g.cell(colDominio, r);
      continue;
    }
    std::string_view dominio = trimView(g.cell(colDominio, r));
    if (dominio != dominioAtual) {
      descarregar();
      dominioAtual.assign(dominio);
    }
    const std::string_view emailAparado = trimView(email);
    bool prioritario = std::any_of(termos.begin(), termos.end(), [&](const std::string& t) {
      return !t.empty() && emailAparado.find(t) != std::string_view::npos;
    });
    (prioritario ? prioritarios : outros).push_back(r);
  }
  descarregar();

  // The rows outside the keep set leave the list in one pass; the list stays in "#dominio" order.
  p.setProgress("Identificando lista resultante...", 1,
                "Total da lista final: " + fmt(static_cast<int64_t>(manter.size())));
  std::vector<char> remover(static_cast<size_t>(g.rowCount()), 1);
  remover[0] = 0;
  for (int r : manter) remover[static_cast<size_t>(r)] = 0;
  p.setProgress("Ordenando dados para exclusão", 1);
  p.setProgress("Finalizando operação", 1);
  g.removeRows(remover);

  editor.setGridVisivel(true);
  p.hide();
  g.moverCursor(std::min(g.cursorCol, g.colCount() - 1), 1);
  editor.showStatus(g);
  editor.changed();
  return true;
}

}  // namespace quorvel
