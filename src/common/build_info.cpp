#include "common/build_info.h"

#include <cstdlib>

#ifndef QUORVEL_SERVICE_URL_DEFAULT
#define QUORVEL_SERVICE_URL_DEFAULT ""
#endif

namespace quorvel {

std::string versaoSplash() {
  return std::string("Versão ") + kVersaoAno + " - Build " + std::to_string(kBuild);
}

std::string captionPrincipal() {
  return "Quorvel - Build: " + std::to_string(kBuild);
}

std::string servicoBaseUrl() {
  std::string url = QUORVEL_SERVICE_URL_DEFAULT;
  if (const char* v = std::getenv("QUORVEL_SERVICE_URL"); v && *v) url = v;
  while (!url.empty() && url.back() == '/') url.pop_back();
  return url;
}

}  // namespace quorvel
