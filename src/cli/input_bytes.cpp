#include "cli/input_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "cli/cli_failure.h"
#include "common/system_error.h"
#include "common/text_file.h"

namespace quorvel::cli {

std::string readInputBytes(const std::string& nome) {
  std::string bytes;
  if (ehEntradaPadrao(nome)) {
    if (!readAll(STDIN_FILENO, bytes))
      throw CliFailure("não foi possível ler a entrada padrão: " + describeSystemError(errno),
                       kSaidaFalha);
    return bytes;
  }
  int fd = ::open(nome.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    throw CliFailure("não foi possível abrir o arquivo " + nome + ": " + describeSystemError(errno),
                     kSaidaFalha);
  struct stat st {};
  const bool pasta = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
  const bool ok = !pasta && readAll(fd, bytes, S_ISREG(st.st_mode) ? st.st_size : 0);
  const int erro = pasta ? EISDIR : errno;
  ::close(fd);
  if (!ok)
    throw CliFailure("não foi possível ler o arquivo " + nome + ": " + describeSystemError(erro),
                     kSaidaFalha);
  return bytes;
}

std::string readInputText(const std::string& nome) {
  return decodeText(readInputBytes(nome));
}

}  // namespace quorvel::cli
