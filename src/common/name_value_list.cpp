#include "common/name_value_list.h"

#include "common/text.h"

namespace quorvel {

long NameValueList::indexOfName(std::string_view name) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::string_view line = lines_[i];
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    if (equalsIgnoreCase(line.substr(0, eq), name)) return static_cast<long>(i);
  }
  return -1;
}

std::string NameValueList::value(std::string_view name) const {
  long i = indexOfName(name);
  if (i < 0) return {};
  const std::string& line = lines_[i];
  return line.substr(line.find('=') + 1);
}

void NameValueList::setValue(std::string_view name, std::string_view value) {
  long i = indexOfName(name);
  if (value.empty()) {
    if (i >= 0) lines_.erase(lines_.begin() + i);
    return;
  }
  std::string line = std::string(name) + "=" + std::string(value);
  if (i >= 0)
    lines_[i] = std::move(line);
  else
    lines_.push_back(std::move(line));
}

}  // namespace quorvel
