#include "store/config_snapshot.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "common/text.h"
#include "common/text_file.h"

namespace quorvel {
namespace {

constexpr std::array<const char*, 5> kColunas = {"categoria", "nome", "valor", "tipo", "descricao"};
constexpr std::array<std::string ConfigRow::*, 5> kCampos = {
    &ConfigRow::categoria, &ConfigRow::nome, &ConfigRow::valor, &ConfigRow::tipo,
    &ConfigRow::descricao};

// Each special character and the letter that follows the backslash in its place.
constexpr std::array<std::pair<char, char>, 4> kEscapes = {
    {{'\t', 't'}, {'\n', 'n'}, {'\r', 'r'}, {'\\', '\\'}}};

std::string escapar(std::string_view texto) {
  std::string out;
  out.reserve(texto.size());
  for (char c : texto) {
    auto it = std::find_if(kEscapes.begin(), kEscapes.end(), [c](auto e) { return e.first == c; });
    if (it == kEscapes.end()) {
      out += c;
    } else {
      out += '\\';
      out += it->second;
    }
  }
  return out;
}

// nullopt for an unknown escape or a lone backslash at the end.
std::optional<std::string> desescapar(std::string_view campo) {
  std::string out;
  out.reserve(campo.size());
  for (size_t i = 0; i < campo.size(); ++i) {
    if (campo[i] != '\\') {
      out += campo[i];
      continue;
    }
    if (++i == campo.size()) return std::nullopt;
    char letra = campo[i];
    auto it = std::find_if(kEscapes.begin(), kEscapes.end(),
                           [letra](auto e) { return e.second == letra; });
    if (it == kEscapes.end()) return std::nullopt;
    out += it->first;
  }
  if (!isValidUtf8(out)) return windows1252ToUtf8(out);
  return out;
}

std::vector<std::string_view> separarCampos(std::string_view linha) {
  std::vector<std::string_view> campos;
  for (;;) {
    size_t tab = linha.find('\t');
    campos.push_back(linha.substr(0, tab));
    if (tab == linha.npos) return campos;
    linha.remove_prefix(tab + 1);
  }
}

// Position in kColunas of each header column; -1 for unknown ones and repeats.
std::vector<int> mapearCabecalho(std::string_view cabecalho) {
  std::vector<int> mapa;
  std::array<bool, 5> visto{};
  for (std::string_view nome : separarCampos(cabecalho)) {
    int indice = -1;
    for (int c = 0; c < 5; ++c)
      if (!visto[c] && equalsIgnoreCase(trimView(nome), kColunas[c])) indice = c;
    if (indice >= 0) visto[indice] = true;
    mapa.push_back(indice);
  }
  return mapa;
}

}  // namespace

ConfigSnapshot parseConfigSnapshot(std::string_view bytes) {
  ConfigSnapshot s;
  if (bytes.substr(0, 3) == kUtf8Bom) bytes.remove_prefix(3);
  const std::vector<std::string> linhas = splitLines(bytes);
  size_t i = 0;
  while (i < linhas.size() && isBlank(linhas[i])) ++i;
  const std::vector<int> mapa = i < linhas.size() ? mapearCabecalho(linhas[i]) : std::vector<int>{};
  bool conhecida = false;
  for (int c : mapa) conhecida = conhecida || c >= 0;
  if (!conhecida) {
    s.erro =
        "a primeira linha não traz os nomes das colunas (categoria, nome, valor, tipo, "
        "descricao) separados por TAB";
    return s;
  }
  for (++i; i < linhas.size(); ++i) {
    if (linhas[i].empty()) continue;
    const auto campos = separarCampos(linhas[i]);
    if (campos.size() > mapa.size()) {
      s.linhasIgnoradas.push_back(i + 1);
      continue;
    }
    ConfigRow linha;
    for (size_t c = 0; c < campos.size(); ++c) {
      if (mapa[c] < 0) continue;
      auto texto = desescapar(campos[c]);
      if (texto)
        linha.*kCampos[mapa[c]] = std::move(*texto);
      else
        ++s.camposVazios;
    }
    s.linhas.push_back(std::move(linha));
  }
  return s;
}

ConfigSnapshot readConfigSnapshot(const std::string& path) {
  auto bytes = readFileBytes(path);
  ConfigSnapshot s = bytes ? parseConfigSnapshot(*bytes) : ConfigSnapshot{};
  if (!bytes) s.erro = "o arquivo não pôde ser lido";
  if (!s.ok()) s.erro = "Não foi possível usar " + path + ": " + s.erro + ".";
  return s;
}

WriteResult writeConfigSnapshot(const std::string& path, const std::vector<ConfigRow>& linhas) {
  std::vector<std::string> texto;
  texto.reserve(linhas.size() + 1);
  std::string cabecalho;
  for (size_t c = 0; c < kColunas.size(); ++c)
    cabecalho += (c > 0 ? "\t" : "") + std::string(kColunas[c]);
  texto.push_back(std::move(cabecalho));
  for (const auto& linha : linhas) {
    std::string t;
    for (size_t c = 0; c < kCampos.size(); ++c) {
      if (c > 0) t += '\t';
      t += escapar(linha.*kCampos[c]);
    }
    texto.push_back(std::move(t));
  }
  return writeTextLines(path, texto);
}

}  // namespace quorvel
