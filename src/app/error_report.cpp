#include "app/error_report.h"

#include "common/text.h"

namespace quorvel {

std::string failureMessage(std::exception_ptr falha) {
  try {
    if (falha) std::rethrow_exception(falha);
  } catch (const std::exception& e) {
    if (!isBlank(e.what())) return e.what();
  } catch (...) {
  }
  return kMsgErroInesperado;
}

void reportFailure(Dialogs& dialogs, std::exception_ptr falha) {
  try {
    dialogs.msgErro(failureMessage(falha));
  } catch (...) {
  }
}

}  // namespace quorvel
