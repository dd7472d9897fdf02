#include "multipart_form.h"

#include <vector>

#include "text_checks.h"

namespace quorvel::service {
namespace {

// The parameters after the first ";" of a header value: name=token or name="quoted".
std::vector<std::pair<std::string, std::string>> parameters(std::string_view value) {
  std::vector<std::pair<std::string, std::string>> out;
  size_t pos = value.find(';');
  while (pos != std::string_view::npos && pos < value.size()) {
    ++pos;
    size_t eq = value.find('=', pos);
    size_t semi = value.find(';', pos);
    if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
      pos = semi;
      continue;
    }
    std::string name(trimBlanks(value.substr(pos, eq - pos)));
    size_t i = eq + 1;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    std::string text;
    if (i < value.size() && value[i] == '"') {
      for (++i; i < value.size() && value[i] != '"'; ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) ++i;
        text.push_back(value[i]);
      }
      pos = value.find(';', i);
    } else {
      semi = value.find(';', i);
      text = trimBlanks(value.substr(i, semi == std::string_view::npos ? semi : semi - i));
      pos = semi;
    }
    out.emplace_back(std::move(name), std::move(text));
  }
  return out;
}

}  // namespace

std::string multipartBoundary(std::string_view contentType) {
  for (auto& [name, value] : parameters(contentType)) {
    if (asciiLower(name) == "boundary") {
      return value.empty() || value.size() > 70 ? std::string() : value;
    }
  }
  return {};
}

bool parseMultipartFormData(std::string_view body, const std::string& boundary,
                            httplib::MultipartFormDataMap& parts) {
  const std::string dash = "--" + boundary;
  const std::string delimiter = "\r\n" + dash;
  size_t pos;
  if (body.substr(0, dash.size()) == dash) {
    pos = dash.size();
  } else {
    size_t at = body.find(delimiter);
    if (at == std::string_view::npos) return false;
    pos = at + delimiter.size();
  }
  for (;;) {
    if (body.substr(pos, 2) == "--") return true;  // the closing delimiter; the rest is epilogue
    while (pos < body.size() && (body[pos] == ' ' || body[pos] == '\t')) ++pos;
    if (body.substr(pos, 2) != "\r\n") return false;
    pos += 2;
    size_t contentStart;
    std::string_view headers;
    if (body.substr(pos, 2) == "\r\n") {
      contentStart = pos + 2;
    } else {
      size_t end = body.find("\r\n\r\n", pos);
      if (end == std::string_view::npos) return false;
      headers = body.substr(pos, end - pos);
      contentStart = end + 4;
    }
    size_t next = body.find(delimiter, contentStart);
    if (next == std::string_view::npos) return false;

    httplib::MultipartFormData part;
    bool named = false;
    while (!headers.empty()) {
      size_t eol = headers.find("\r\n");
      std::string_view line = headers.substr(0, eol);
      headers.remove_prefix(eol == std::string_view::npos ? headers.size() : eol + 2);
      size_t colon = line.find(':');
      if (colon == std::string_view::npos) continue;  // not a header: ignored
      std::string_view name = trimBlanks(line.substr(0, colon));
      std::string_view value = trimBlanks(line.substr(colon + 1));
      if (asciiLower(name) == "content-type") {
        part.content_type = value;
      } else if (asciiLower(name) == "content-disposition") {
        for (auto& [key, text] : parameters(value)) {
          if (asciiLower(key) == "name") {
            part.name = text;
            named = true;
          } else if (asciiLower(key) == "filename") {
            part.filename = text;
          }
        }
      }
    }
    if (named) {
      part.content.assign(body.substr(contentStart, next - contentStart));
      std::string key = part.name;
      parts.emplace(std::move(key), std::move(part));
    }
    pos = next + delimiter.size();
  }
}

}  // namespace quorvel::service
