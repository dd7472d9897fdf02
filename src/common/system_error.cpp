#include "common/system_error.h"

#include <cerrno>

namespace quorvel {

std::string describeSystemError(int codigo) {
  switch (codigo) {
    case ENOSPC:
      return "não há espaço livre no disco";
    case EDQUOT:
      return "a cota de disco foi esgotada";
    case EACCES:
    case EPERM:
      return "acesso negado";
    case EROFS:
      return "o disco é somente para leitura";
    case ENOENT:
      return "o arquivo ou a pasta não existe";
    case EISDIR:
      return "é uma pasta, não um arquivo";
    case EIO:
      return "erro de leitura ou gravação no disco";
    case EFBIG:
      return "o arquivo ficou grande demais";
    case EMFILE:
    case ENFILE:
      return "arquivos abertos demais";
    default:
      return "erro do sistema " + std::to_string(codigo);
  }
}

}  // namespace quorvel
