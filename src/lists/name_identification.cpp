#include "lists/name_identification.h"

#include "common/byte_trie.h"
#include "lists/list_cleaning.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <optional>
#include <unordered_set>

#include "common/collation.h"
#include "common/format.h"
#include "common/paths.h"
#include "common/text.h"
#include "common/text_file.h"
#include "lists/list_cleaning.h"

namespace quorvel {
namespace {

std::string fmt(int64_t n) {
  return formatNumberOrEmpty(n);
}

void passo(ListEditor& e, const std::string& l1, const std::string& l2 = {}) {
  e.progresso().stepProgress(l1, l2);
  if (e.pump) e.pump->processEvents();
}

// --- Writing sys_nomes.txt back in the encoding it was read in --------------------------------

std::string paraUtf16(std::string_view texto, bool bigEndian) {
  std::string out;
  out.reserve(texto.size() * 2);
  auto unidade = [&](char16_t u) {
    char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    if (bigEndian) {
      out.push_back(hi);
      out.push_back(lo);
    } else {
      out.push_back(lo);
      out.push_back(hi);
    }
  };
  for (size_t i = 0; i < texto.size();) {
    int cp = nextCodePoint(texto, i);
    if (cp < 0) cp = 0xFFFD;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      unidade(static_cast<char16_t>(0xD800 + (cp >> 10)));
      unidade(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      unidade(static_cast<char16_t>(cp));
    }
  }
  return out;
}

// Windows-1252 bytes 0x80..0x9F (the undefined ones stand for the C1 control of that value).
constexpr char16_t kCp1252Alto[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string paraWindows1252(std::string_view texto) {
  std::string out;
  out.reserve(texto.size());
  for (size_t i = 0; i < texto.size();) {
    int cp = nextCodePoint(texto, i);
    if (cp >= 0 && (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))) {
      out.push_back(static_cast<char>(cp));
      continue;
    }
    const char16_t* fim = kCp1252Alto + 32;
    const char16_t* achado = std::find(kCp1252Alto, fim, static_cast<char16_t>(cp));
    out.push_back(cp > 0 && cp <= 0xFFFF && achado != fim
                      ? static_cast<char>(0x80 + (achado - kCp1252Alto))
                      : '?');
  }
  return out;
}

std::string codificar(const std::vector<std::string>& linhas, TextEncoding codificacao) {
  std::string texto;
  for (const auto& l : linhas) {
    texto += l;
    texto += "\r\n";
  }
  switch (codificacao) {
    case TextEncoding::Utf8Bom:
      return std::string(kUtf8Bom) + texto;
    case TextEncoding::Utf16LE:
      return "\xFF\xFE" + paraUtf16(texto, false);
    case TextEncoding::Utf16BE:
      return "\xFE\xFF" + paraUtf16(texto, true);
    case TextEncoding::Windows1252:
      return paraWindows1252(texto);
    case TextEncoding::Utf8:
      break;
  }
  return texto;
}

std::string pastaDoPrograma(const ListEditor& editor) {
  if (!editor.programFolder.empty()) return editor.programFolder;
  if (editor.platform) return editor.platform->programFolder();
  return paths::programFolder();
}

// Reads sys_nomes.txt, writes it back longest first and returns its names in that order;
// nullopt (after the error box) when the file cannot be read or written.
std::optional<std::vector<std::string>> prepararNomesDoArquivo(ListEditor& editor) {
  const std::string home = pastaDoPrograma(editor);
  const std::string caminho = paths::join(paths::dadosConfig(home), "sys_nomes.txt");
  std::vector<std::string> nomes;
  TextEncoding codificacao = TextEncoding::Utf8;
  const bool existia = paths::exists(caminho);
  if (existia) {
    auto bytes = readFileBytes(caminho);
    if (!bytes) {
      editor.dialogos().msgErro("Não foi possível ler o arquivo: " + caminho);
      return std::nullopt;
    }
    size_t bom = 0;
    codificacao = detectBlockEncoding(std::string_view(*bytes).substr(0, kEncodingBlock),
                                      bytes->size() <= kEncodingBlock, bom);
    nomes = sortByLength(splitLines(decodeText(*bytes)));
  }
  // Nothing is written into the workspace that the user did not ask for: a missing file stays
  // missing, and only the surnames are tried.
  if (!existia) return nomes;
  WriteResult w = writeFileAtomic(caminho, codificar(nomes, codificacao));
  if (!w.ok) {
    editor.dialogos().msgErro("Não foi possível gravar o arquivo: " + caminho + " (" + w.error +
                              ")");
    return std::nullopt;
  }
  return nomes;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

std::vector<std::string> sortByLength(const std::vector<std::string>& linhas) {
  const size_t n = linhas.size();
  std::vector<std::string> chaves(n);
  for (size_t i = 0; i < n; ++i) {
    char comprimento[24];
    std::snprintf(comprimento, sizeof comprimento, "%04zu;", utf16Length(linhas[i]));
    chaves[i] = collation::sortKey(comprimento + linhas[i]);
  }
  std::vector<size_t> ordem(n);
  std::iota(ordem.begin(), ordem.end(), 0);
  std::stable_sort(ordem.begin(), ordem.end(),
                   [&](size_t a, size_t b) { return chaves[a] < chaves[b]; });
  std::vector<std::string> out;
  out.reserve(n);
  for (auto it = ordem.rbegin(); it != ordem.rend(); ++it) out.push_back(trim(linhas[*it]));
  return out;
}

const std::vector<std::string>& sobrenomesPadrao() {
  static const std::vector<std::string> lista = {
      "Alves",     "Monteiro", "Novaes",     "Mendes",   "Barros",    "Freitas",   "Barbosa",
      "Pinto",     "Moura",    "Cavalcanti", "Dias",     "Castro",    "Campos",    "Cardoso",
      "Silva",     "Souza",    "Soares",     "Costa",    "Santos",    "Oliveira",  "Pereira",
      "Rodrigues", "Almeida",  "Nascimento", "Lima",     "Araújo",    "Fernandes", "Carvalho",
      "Gomes",     "Martins",  "Rocha",      "Ribeiro",  "Rezende",   "Sales",     "Peixoto",
      "Fogaça",    "Porto",    "Ribeiro",    "Duarte",   "Moraes",    "Ramos",     "Pereira",
      "Ferreira",  "Silveira", "Moreira",    "Teixeira", "Caldeira",  "Vieira",    "Nogueira",
      "Costa",     "Rocha",    "Cunha",      "Neves",    "Fernandes", "Gonçalves", "Rodrigues",
      "Martins",   "Lopes",    "Gomes",      "Mendes",   "Nunes",     "Carvalho",  "Melo",
      "Cardoso",   "Pires",    "Jesus",      "Aragão",   "Viana",     "Farias"};
  return lista;
}

std::string dobrarNome(std::string_view nome) {
  const std::string minusculo = toLower(nome);
  std::string out;
  out.reserve(minusculo.size());
  for (size_t i = 0; i < minusculo.size(); ++i) {
    // á ç ã ô é í ê are two-byte sequences starting with 0xC3.
    if (static_cast<unsigned char>(minusculo[i]) == 0xC3 && i + 1 < minusculo.size()) {
      char simples = 0;
      switch (static_cast<unsigned char>(minusculo[i + 1])) {
        case 0xA1:
          simples = 'a';
          break;  // á
        case 0xA7:
          simples = 'c';
          break;  // ç
        case 0xA3:
          simples = 'a';
          break;  // ã
        case 0xB4:
          simples = 'o';
          break;  // ô
        case 0xA9:
          simples = 'e';
          break;  // é
        case 0xAD:
          simples = 'i';
          break;  // í
        case 0xAA:
          simples = 'e';
          break;  // ê
        default:
          break;
      }
      if (simples) {
        out.push_back(simples);
        ++i;
        continue;
      }
    }
    out.push_back(minusculo[i]);
  }
  return out;
}

// ---------------------------------------------------------------------------------------------

int identificarNomes(ListEditor& editor, int coluna, bool usarNomeAmigavel) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  if (coluna < 0 || coluna >= g.colCount()) {
    editor.dialogos().msgErro(kMsgSelecioneColuna);
    return 0;
  }
  auto primeirosNomes = prepararNomesDoArquivo(editor);
  if (!primeirosNomes) return 0;

  // The name list: the file's first names, then the surnames, each part longest first.
  std::vector<std::string> nomes = std::move(*primeirosNomes);
  for (auto& s : sortByLength(sobrenomesPadrao())) nomes.push_back(std::move(s));
  std::vector<std::string> dobrados;
  dobrados.reserve(nomes.size());
  for (const auto& n : nomes) dobrados.push_back(dobrarNome(n));
  ByteTrie busca;
  busca.buildAutomaton(dobrados);

  Progress& p = editor.progresso();
  const int registros = g.dataRowCount();
  p.setProgress("Identificando os nomes dos contatos...", registros / 10,
                "Total de registros: " + fmt(registros));
  const int colNome = criarColunaSeNaoExistir(g, "#nome", 150);

  int encontrados = 0;
  std::string prefixo;
  for (int r = 1; r < g.rowCount(); ++r) {
    if (p.cancelou()) {
      editor.dialogos().msgInformacao("Operação cancelada");
      p.clearCancel();
      p.hide();
      editor.changed();
      return encontrados;
    }
    if (r % 10 == 0) passo(editor, "Analisados: " + fmt(r), "Encontrados: " + fmt(encontrados));
    try {
      // A filled "#nome" is kept: no name can be written into it.
      if (!isBlank(g.cell(colNome, r))) continue;
      const std::string_view endereco = g.cell(coluna, r);
      const size_t arroba = endereco.find('@');
      const std::string_view antes = arroba == std::string::npos
                                         ? std::string_view()
                                         : std::string_view(endereco).substr(0, arroba);
      toLowerInto(antes, prefixo);
      const int achado = busca.firstOccurringIn(prefixo);
      if (achado >= 0) {
        g.setCell(colNome, r, nomes[static_cast<size_t>(achado)]);
        ++encontrados;
      } else if (usarNomeAmigavel) {
        g.setCell(colNome, r, "@" + std::string(antes));
        ++encontrados;
      }
    } catch (const std::exception&) {
      // A failure inside one row leaves that row as it was.
    }
  }
  passo(editor, "Analisados: " + fmt(g.rowCount()), "Encontrados: " + fmt(encontrados));
  p.hide();
  editor.showStatus(g);
  editor.changed();
  return encontrados;
}

int gerarEmailPadrao(ListEditor& editor, int colunaEmail, const std::string& listaPre,
                     bool gerarPadrao) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  if (colunaEmail < 0 || colunaEmail >= g.colCount()) {
    editor.dialogos().msgErro(kMsgSelecioneColuna);
    return 0;
  }
  const std::vector<std::string> prefixos = splitLines(trim(listaPre));
  const std::string cabecalho = g.cell(colunaEmail, 0);

  editor.setGridVisivel(false);
  Progress& p = editor.progresso();
  const int linhas = g.rowCount();
  p.setProgress("Gerando e-mails...", linhas / 10, "Total de registros: " + fmt(linhas));

  std::unordered_set<std::string> vistos;  // domains, lower-cased
  int gerados = 0;
  auto gerar = [&](std::string endereco) {
    g.addRow();
    colunaSetValue(g, g.rowCount() - 1, std::move(endereco), cabecalho);
    ++gerados;
  };
  for (int r = 1; r < linhas; ++r) {
    if (r % 10 == 0) passo(editor, "Processados: " + fmt(r), "E-mails gerados: " + fmt(gerados));
    if (p.cancelou()) {
      editor.dialogos().msgInformacao("Operação cancelada");
      p.clearCancel();
      p.hide();
      break;
    }
    const std::string_view endereco = trimView(g.cell(colunaEmail, r));
    const size_t arroba = endereco.find('@');
    const std::string dominio =
        trim(arroba == std::string_view::npos ? endereco : endereco.substr(arroba + 1));
    if (!vistos.insert(toLower(dominio)).second) continue;
    // The free-mail providers' role addresses are other people's personal mailboxes.
    if (ehProvedorGratuito("@" + dominio)) continue;
    if (gerarPadrao) {
      const size_t ponto = dominio.find('.');
      gerar((ponto == std::string::npos ? std::string() : dominio.substr(0, ponto)) + "@" +
            dominio);
    }
    for (const auto& prefixo : prefixos) gerar(trim(prefixo) + "@" + dominio);
  }

  editor.setGridVisivel(true);
  p.hide();
  editor.showStatus(g);
  editor.changed();
  return gerados;
}

}  // namespace quorvel
