#include "app/store_windows.h"

#include "app/application.h"

namespace quorvel {

StoreWindows::StoreWindows(Database& banco, Settings& config, const AppPorts& p,
                           const std::string& home)
    : emailTest(home, launcher, p.pump),
      negConta(banco, config, p.platform, p.dialogs, p.pump),
      contas(negConta, p.dialogs, p.pump, p.platform, emailTest),
      caixa(banco, config, p.dialogs, p.pump, p.platform) {}

}  // namespace quorvel
