#pragma once
// The build number and the texts that show it, and the web addresses the program opens.

#include <string>

#include "common/build_info.h"

namespace quorvel {

inline constexpr const char* kVersaoSplash = "Versão 2023 - Build 651";
inline constexpr const char* kSloganSplash = "A ferramenta para validação de e-mails";
inline constexpr const char* kDesdeSplash = "...Desde 2014";
inline constexpr const char* kCaptionLauncher = "Quorvel - Validação avançada de e-mails";
inline constexpr const char* kCaptionPrincipal = "Quorvel - Build: 651";

// The web service's base address: QUORVEL_SERVICE_URL when set, else the one chosen at build
// time (none by default). Never ends in "/"; empty when no service is configured.
std::string servicoBaseUrl();

}  // namespace quorvel
