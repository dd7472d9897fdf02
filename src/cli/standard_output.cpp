#include "cli/standard_output.h"

#include <unistd.h>

#include <cerrno>

#include "cli/cli_failure.h"
#include "common/system_error.h"

namespace quorvel::cli {
namespace {

std::string& buffer() {
  static std::string b;
  return b;
}

void escreverTudo(std::string& b) {
  size_t feito = 0;
  while (feito < b.size()) {
    ssize_t n = ::write(STDOUT_FILENO, b.data() + feito, b.size() - feito);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EPIPE) {
      b.clear();
      throw ClosedPipe{};
    }
    if (n <= 0) {
      const int e = n < 0 ? errno : EIO;
      b.clear();
      throw CliFailure("não foi possível gravar na saída padrão: " + describeSystemError(e),
                       kSaidaFalha);
    }
    feito += static_cast<size_t>(n);
  }
  b.clear();
}

}  // namespace

void out(std::string_view texto) {
  std::string& b = buffer();
  b.append(texto);
  if (b.size() >= (size_t{1} << 16)) escreverTudo(b);
}

void flushOut() {
  escreverTudo(buffer());
}

}  // namespace quorvel::cli
