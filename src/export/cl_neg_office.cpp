#include "export/cl_neg_office.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/format.h"
#include "common/paths.h"
#include "common/system_error.h"
#include "export/xlsx_sheet.h"

namespace quorvel {

std::string temporaryBeside(const std::string& destino) {
  return destino + ".tmp-" + std::to_string(::getpid());
}

bool putInPlace(const std::string& temporario, const std::string& destino, bool substituir,
                std::string& erro, bool& ocupado) {
  ocupado = false;
  // The contents reach the disk before the name does: a crash never leaves an empty file under
  // the name (fsync through any descriptor of the file flushes it).
  if (const int fd = ::open(temporario.c_str(), O_RDONLY | O_CLOEXEC); fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  if (substituir) {
    if (std::rename(temporario.c_str(), destino.c_str()) == 0) return true;
    erro = describeSystemError(errno);
    return false;
  }
  // A hard link is made only where no file has the name, so nothing is ever replaced.
  if (::link(temporario.c_str(), destino.c_str()) == 0) {
    ::unlink(temporario.c_str());
    return true;
  }
  const int codigo = errno;
  // A file system without hard links: the name is checked first, then taken.
  if ((codigo == EPERM || codigo == EOPNOTSUPP) && !paths::exists(destino) &&
      std::rename(temporario.c_str(), destino.c_str()) == 0)
    return true;
  ocupado = codigo == EEXIST;
  erro = describeSystemError(codigo);
  return false;
}

std::string CLNegOffice::exportGridToExcel(const TextGrid& grid) {
  const std::string home = platform_.programFolder();
  const std::string pasta = paths::dadosArquivos(home);
  paths::createFolder(paths::dados(home));
  paths::createFolder(pasta);
  const std::string carimbo = fileStamp(platform_.now());
  auto nome = [&](int n) {
    return paths::join(
        pasta, "planilha " + carimbo + (n == 1 ? "" : " (" + std::to_string(n) + ")") + ".xlsx");
  };
  const std::string temporario = temporaryBeside(nome(1));
  SheetResult r = writeWorkbook(grid, temporario, progress_);
  if (r.resultado == SheetOutcome::falhou) {
    ::unlink(temporario.c_str());
    dialogs_.msgErro("Não foi possível gravar o arquivo " + nome(1) + ": " + r.erro);
    return {};
  }
  std::string destino, erro;
  for (int n = 1;; ++n) {
    bool ocupado = false;
    destino = nome(n);
    if (putInPlace(temporario, destino, false, erro, ocupado)) break;
    if (!ocupado || n >= 1000) {
      ::unlink(temporario.c_str());
      dialogs_.msgErro("Não foi possível gravar o arquivo " + destino + ": " + erro);
      return {};
    }
  }
  if (r.resultado == SheetOutcome::cancelada) dialogs_.msgErro(kMsgInterrompido);
  if (r.cortadas > 0)
    dialogs_.msgAviso(formatNumber(r.cortadas) +
                      (r.cortadas == 1 ? " célula tinha" : " células tinham") +
                      " mais de 32.767 caracteres, o máximo de uma célula de planilha, e " +
                      (r.cortadas == 1 ? "foi cortada" : "foram cortadas") + " nesse limite.");
  platform_.shellOpen(destino);
  return destino;
}

}  // namespace quorvel
