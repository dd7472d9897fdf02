#pragma once
// The program's build number: shown in the main window's caption and the splash, printed by
// --version, and compared with the web service's current and minimum builds.

namespace quorvel {

inline constexpr int kBuild = 651;
inline constexpr const char* kVersaoAno = "2023";
// The product's web site (tutorials, downloads), apart from the web service's address.
inline constexpr const char* kSiteProduto = "https://www.quorvel.com.br";

}  // namespace quorvel
