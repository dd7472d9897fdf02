#pragma once
// How a command ends when it cannot go on: the message printed after the program's name and the
// exit status.

#include <stdexcept>
#include <string>

namespace quorvel::cli {

inline constexpr const char* kPrograma = "quorvel-cli";
inline constexpr int kSaidaOk = 0;
// The command ran into a failure of the system: a file that could not be read or written, a
// store that is locked, damaged or full.
inline constexpr int kSaidaFalha = 1;
inline constexpr int kSaidaUso = 2;          // bad arguments, a workspace folder that is missing
inline constexpr int kSaidaCancelado = 130;  // Ctrl+C

class CliFailure : public std::runtime_error {
 public:
  CliFailure(const std::string& mensagem, int status = kSaidaUso)
      : std::runtime_error(mensagem), status_(status) {}
  int status() const { return status_; }

 private:
  int status_;
};

// Prints "quorvel-cli: <texto>" on standard error.
void avisar(const std::string& texto);

}  // namespace quorvel::cli
