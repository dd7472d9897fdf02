#pragma once
// Texts cross between the core (UTF-8 std::string) and Qt (QString) here.

#include <QString>
#include <string>
#include <string_view>

namespace quorvel::ui {

inline QString q(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
// A grid cell's text (a view into the grid) without a copy of its own.
inline QString q(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline QString q(const char* s) {
  return QString::fromUtf8(s);
}
inline std::string u(const QString& s) {
  return s.toStdString();
}

}  // namespace quorvel::ui
