#pragma once
// The last resort for failures that no operation handled: the user sees the failure's message
// in an error box and the program goes on with the next action.

#include <exception>
#include <string>

#include "common/ports.h"

namespace quorvel {

inline constexpr const char* kMsgErroInesperado = "Ocorreu um erro inesperado.";

// The failure's own message; a fixed text for failures that carry none.
std::string failureMessage(std::exception_ptr falha);
// Shows it as an error; a failure of the message box itself is not passed on.
void reportFailure(Dialogs& dialogs, std::exception_ptr falha);

}  // namespace quorvel
