#pragma once
// A list of "name=value" lines, names compared case-insensitively, file order kept.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

class NameValueList {
 public:
  NameValueList() = default;
  explicit NameValueList(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  // The text after the first "=" of the first line whose name matches; empty when absent.
  std::string value(std::string_view name) const;
  bool has(std::string_view name) const { return indexOfName(name) >= 0; }
  // Replaces the value of the first matching line, or appends "name=value". An empty value
  // removes the line.
  void setValue(std::string_view name, std::string_view value);
  long indexOfName(std::string_view name) const;

  const std::vector<std::string>& lines() const { return lines_; }
  std::vector<std::string>& lines() { return lines_; }

 private:
  std::vector<std::string> lines_;
};

}  // namespace quorvel
