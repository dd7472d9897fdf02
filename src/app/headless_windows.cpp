#include "app/headless_windows.h"

#include "app/application.h"

namespace quorvel {

bool HeadlessWindows::available(WindowId w) const {
  return w == WindowId::validation || w == WindowId::definitions;
}

void HeadlessWindows::open(WindowId w) {
  if (w == WindowId::validation)
    app_.validationWindow.mostrar();
  else if (w == WindowId::definitions)
    app_.carregarDefinicoes();
}

}  // namespace quorvel
