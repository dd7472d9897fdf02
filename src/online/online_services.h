#pragma once
// The program's side of the web service, built once and shared by the desktop and the command
// line: the HTTP client, the sharing exchange, the collaboration consent and the program
// updates. An empty base address means that no service is configured: every part then says so
// and the program goes on with what is installed.

#include <string>

#include "common/ports.h"
#include "online/collaboration_consent.h"
#include "online/curl_http_client.h"
#include "online/program_update.h"
#include "online/sync_protocol.h"
#include "store/settings.h"
#include "store/sharing_flags.h"

namespace quorvel {

class OnlineServices {
 public:
  // Reads the stored account and collaboration choice from `config`.
  OnlineServices(const std::string& baseUrl, SharingFlags& flags, Settings& config,
                 Dialogs& dialogs, EventPump& pump, Platform& platform,
                 const std::string& programFolder);
  OnlineServices(const OnlineServices&) = delete;
  OnlineServices& operator=(const OnlineServices&) = delete;

  CurlHttpClient http;
  SyncProtocol sync;
  CollaborationConsent consentimento;
  ProgramUpdate atualizacao;

  const std::string& baseUrl() const { return sync.baseUrl; }
  void setBaseUrl(const std::string& url);
};

// Waits `ms` milliseconds while letting events through.
void esperarComEventos(EventPump& pump, int ms);

}  // namespace quorvel
