#include "online/online_services.h"

#include <chrono>
#include <thread>

namespace quorvel {

OnlineServices::OnlineServices(const std::string& baseUrl, SharingFlags& flags, Settings& config,
                               Dialogs& dialogs, EventPump& pump, Platform& platform,
                               const std::string& programFolder)
    : sync(http, flags),
      consentimento(sync, flags, config, dialogs),
      atualizacao(http, dialogs, pump, platform, programFolder) {
  setBaseUrl(baseUrl);
  consentimento.lerConfiguracao();
}

void OnlineServices::setBaseUrl(const std::string& url) {
  std::string u = url;
  while (!u.empty() && u.back() == '/') u.pop_back();
  sync.baseUrl = u;
  atualizacao.baseUrl = u;
}

void esperarComEventos(EventPump& pump, int ms) {
  const auto fim = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < fim) {
    pump.processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace quorvel
