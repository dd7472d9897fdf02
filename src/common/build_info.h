#pragma once
// The build number and the texts made from it (the main window's caption, the splash), the
// launcher's fixed texts, and the web addresses the program opens. The build number is also
// printed by --version and compared with the web service's current and minimum builds.

#include <string>

namespace quorvel {

inline constexpr int kBuild = 651;
inline constexpr const char* kVersaoAno = "2023";
// The product's web site (tutorials, downloads), apart from the web service's address.
inline constexpr const char* kSiteProduto = "https://www.quorvel.com.br";

inline constexpr const char* kSloganSplash = "A ferramenta para validação de e-mails";
inline constexpr const char* kDesdeSplash = "...Desde 2014";
inline constexpr const char* kCaptionLauncher = "Quorvel - Validação avançada de e-mails";

// "Versão 2023 - Build 651".
std::string versaoSplash();
// "Quorvel - Build: 651".
std::string captionPrincipal();

// The web service's base address: QUORVEL_SERVICE_URL when set, else the one chosen at build
// time (none by default). Never ends in "/"; empty when no service is configured.
std::string servicoBaseUrl();

}  // namespace quorvel
