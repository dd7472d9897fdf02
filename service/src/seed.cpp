#include "seed.h"

#include <algorithm>
#include <stdexcept>

#include "text_checks.h"

namespace quorvel::service {
namespace {

std::vector<std::string> sortedUnique(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  return lines;
}

bool isAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

std::vector<std::string> countryLinesFromPublicSuffixList(std::string_view list) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find('\n', start);
    if (end == std::string_view::npos) end = list.size();
    std::string_view line = trimControl(list.substr(start, end - start));
    start = end + 1;
    if (line.find("===END ICANN DOMAINS===") != std::string_view::npos) break;
    if (line.empty() || line.rfind("//", 0) == 0) continue;
    line = line.substr(0, line.find_first_of(" \t"));
    if (line.size() == 2 && isAsciiLetter(line[0]) && isAsciiLetter(line[1])) {
      std::string code = asciiLower(line);
      if (code != "br") lines.push_back("." + code);
    }
  }
  if (lines.empty()) throw std::runtime_error("lista de sufixos públicos sem domínios de país");
  return sortedUnique(std::move(lines));
}

std::vector<std::string> trapLinesFromDisposableDomains(std::string_view json) {
  std::vector<std::string> lines;
  size_t i = json.find('[');
  if (i == std::string_view::npos) throw std::runtime_error("index.json não é uma lista");
  for (++i; i < json.size(); ++i) {
    char c = json[i];
    if (c == ']') break;
    if (c != '"') continue;
    std::string value;
    for (++i; i < json.size() && json[i] != '"'; ++i) {
      if (json[i] == '\\' && i + 1 < json.size()) ++i;  // names hold no escapes worth keeping
      value.push_back(json[i]);
    }
    std::string domain = asciiLower(trimControl(value));
    if (isShareableDomain(domain)) lines.push_back("*@" + domain);
  }
  if (lines.empty()) throw std::runtime_error("index.json sem domínios");
  return sortedUnique(std::move(lines));
}

}  // namespace quorvel::service
