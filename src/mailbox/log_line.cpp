#include "mailbox/log_line.h"

#include <ctime>

namespace quorvel {
namespace {
std::string formatar(std::chrono::system_clock::time_point t, const char* formato) {
  std::time_t s = std::chrono::system_clock::to_time_t(t);
  std::tm local{};
  localtime_r(&s, &local);
  char buf[32];
  std::strftime(buf, sizeof buf, formato, &local);
  return buf;
}
}  // namespace

std::string dataHoraTexto(std::chrono::system_clock::time_point t) {
  return formatar(t, "%d/%m/%Y %H:%M:%S");
}

std::string dataTexto(std::chrono::system_clock::time_point t) {
  return formatar(t, "%d/%m/%Y");
}

std::chrono::year_month_day diaLocal(std::chrono::system_clock::time_point t) {
  std::time_t s = std::chrono::system_clock::to_time_t(t);
  std::tm l{};
  localtime_r(&s, &l);
  return std::chrono::year_month_day{std::chrono::year{l.tm_year + 1900},
                                     std::chrono::month{static_cast<unsigned>(l.tm_mon + 1)},
                                     std::chrono::day{static_cast<unsigned>(l.tm_mday)}};
}

}  // namespace quorvel
