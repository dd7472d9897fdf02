#pragma once
// The HTTP client over libcurl. Every request gets a fresh handle, freed when it ends. HTTPS
// certificates are verified against the system's trusted store, or against the PEM file named
// by QUORVEL_CA_FILE (or caFile) when set.

#include <string>

#include "common/http_client.h"

namespace quorvel {

class CurlHttpClient : public HttpClient {
 public:
  CurlHttpClient();
  // Trusted certificates (PEM); empty: QUORVEL_CA_FILE when set, else the system's store.
  std::string caFile;

  void get(const HttpRequest& pedido, const std::function<void(std::string_view)>& corpo) override;
  std::string postForm(const HttpRequest& pedido, const std::vector<FormField>& campos) override;

 private:
  void executar(const HttpRequest& pedido, const std::vector<FormField>* campos,
                const std::function<void(std::string_view)>& corpo);
};

}  // namespace quorvel
