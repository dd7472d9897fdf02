#include "export/export_lines.h"

namespace quorvel {
namespace {

bool precisaAspas(std::string_view c) {
  for (char ch : c)
    if (ch == ';' || ch == '"' || ch == '\n' || ch == '\r') return true;
  return false;
}

}  // namespace

void acrescentarLinhaTexto(std::string& out, const std::vector<std::string>& celulas) {
  for (size_t c = 0; c < celulas.size(); ++c) {
    if (c > 0) out.push_back(';');
    const std::string& celula = celulas[c];
    if (!precisaAspas(celula)) {
      out += celula;
      continue;
    }
    out.push_back('"');
    for (char ch : celula) {
      if (ch == '"') out.push_back('"');
      out.push_back(ch);
    }
    out.push_back('"');
  }
}

void acrescentarTextoHtml(std::string& out, std::string_view texto) {
  size_t inicio = 0;
  for (size_t i = 0; i < texto.size(); ++i) {
    const char* troca = nullptr;
    switch (texto[i]) {
      case '&':
        troca = "&amp;";
        break;
      case '<':
        troca = "&lt;";
        break;
      case '>':
        troca = "&gt;";
        break;
      case '"':
        troca = "&quot;";
        break;
      default:
        continue;
    }
    out.append(texto.substr(inicio, i - inicio));
    out += troca;
    inicio = i + 1;
  }
  out.append(texto.substr(inicio));
}

void acrescentarLinhaHtml(std::string& out, const std::vector<std::string>& celulas) {
  out += "<tr>";
  for (const auto& celula : celulas) {
    out += "<td>";
    acrescentarTextoHtml(out, celula);
    out += "</td>";
  }
  out += "</tr>";
}

void acrescentarLinhaListagem(std::string& out, const std::vector<std::string>& celulas) {
  for (const auto& celula : celulas) {
    out += celula;
    out.push_back('\t');
  }
}

}  // namespace quorvel
