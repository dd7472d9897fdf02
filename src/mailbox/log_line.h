#pragma once
// The coloured log of a mailbox check.

#include <chrono>
#include <cstdint>
#include <string>

namespace quorvel {

// An RGB colour, 0xRRGGBB.
using Cor = uint32_t;
inline constexpr Cor kPreto = 0x000000;
inline constexpr Cor kVerde = 0x008000;
inline constexpr Cor kMarrom = 0x800000;
inline constexpr Cor kVermelho = 0xFF0000;
inline constexpr Cor kAzulMarinho = 0x000080;
inline constexpr Cor kFucsia = 0xFF00FF;
inline constexpr Cor kLaranja = 0xFF8040;

struct LogLine {
  std::string quando;  // date and time as text
  std::string texto;
  Cor cor = kPreto;
  // The line as shown: date and time, " - ", text.
  std::string linha() const { return quando + " - " + texto; }
};

// pt-BR short date and long time: "dd/mm/yyyy hh:nn:ss" (local time).
std::string dataHoraTexto(std::chrono::system_clock::time_point t);
// "dd/mm/yyyy" (local time).
std::string dataTexto(std::chrono::system_clock::time_point t);
// The local calendar day of `t`.
std::chrono::year_month_day diaLocal(std::chrono::system_clock::time_point t);

}  // namespace quorvel
