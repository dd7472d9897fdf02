#pragma once
// "Validar e-mails" on the main window: the checks made before the validation window opens.

#include <functional>

#include "app/editor_validation_lists.h"
#include "common/ports.h"
#include "validation/validator.h"

namespace quorvel {

struct MainWindowActions {
  std::function<void()> carregarDefinicoes;  // loads the filter lists at once
  std::function<void()> mostrarPaginaLista;  // switches the main window to its list page
};

// True when the validation window was shown.
bool validarEmailsPrincipal(Validator& validador, EditorValidationLists& listas, Dialogs& dialogs,
                            const MainWindowActions& acoes);

}  // namespace quorvel
