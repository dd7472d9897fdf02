#include "mailbox/mailbox_log.h"

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

}  // namespace quorvel
