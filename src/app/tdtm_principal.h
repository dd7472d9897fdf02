#pragma once
// The data module: the program folder, the settings (loaded when the module is created), the
// sharing flags and the database connection. It lives for the whole run; every other part
// reaches the database through it.

#include <memory>
#include <string>

#include "common/ports.h"
#include "store/database.h"
#include "store/settings.h"
#include "store/sharing_flags.h"

namespace quorvel {

class TdtmPrincipal {
 public:
  explicit TdtmPrincipal(std::string programFolder);
  TdtmPrincipal(const TdtmPrincipal&) = delete;
  TdtmPrincipal& operator=(const TdtmPrincipal&) = delete;

  const std::string home;
  Settings settings;
  SettingsResult settingsLoad;  // what loading the settings reported (empty when all went well)
  SharingFlags colaboracao;

  // Opens (or creates) dados/config/quorvel.bd. `esperaMs` is the opening pause the desktop
  // keeps; batch use passes 0. Throws DatabaseError with the message the user sees.
  Database& abrirBD(EventPump* pump, int esperaMs);
  bool bancoAberto() const { return banco_ && banco_->aberto(); }
  // The open database (abrirBD first).
  Database& banco();

 private:
  std::unique_ptr<Database> banco_;
};

}  // namespace quorvel
