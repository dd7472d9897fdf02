#include "cli/json_text.h"

#include <cstdio>

#include "common/text.h"

namespace quorvel::cli {

std::string jsonString(std::string_view texto) {
  std::string out = "\"";
  size_t i = 0;
  while (i < texto.size()) {
    const auto c = static_cast<unsigned char>(texto[i]);
    if (c >= 0x80) {
      // One whole, well-formed sequence is copied; anything else is one replacement character.
      const size_t inicio = i;
      if (nextCodePointSlow(texto, i) < 0)
        out += "\xEF\xBF\xBD";
      else
        out.append(texto.substr(inicio, i - inicio));
      continue;
    }
    ++i;
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char esc[8];
          std::snprintf(esc, sizeof esc, "\\u%04x", c);
          out += esc;
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace quorvel::cli
