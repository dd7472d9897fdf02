#pragma once
// The definitions the program ships with (the filter files the web service is seeded with when
// the program is built): installed into dados/config on a first start, so that a new program
// folder validates with them before any service is reached.

#include <string>
#include <vector>

namespace quorvel {

inline constexpr const char* kPastaDefinicoesEmbarcadas = "definicoes";

// The shipped definitions beside the running program ("definicoes"), or those of an installation
// (share/quorvel/definicoes beside its bin folder); empty when there are none.
std::string pastaDefinicoesEmbarcadas();
// Copies the filter files of `origem` that dados/config of `home` lacks. When the program folder
// has no definitions.txt yet, one is written with the shipped dates of the files installed, so
// the first online check fetches whatever the service has that is newer. Failures are skipped
// (the program then starts with what there is). Answers the files installed.
std::vector<std::string> instalarDefinicoesIniciais(const std::string& home,
                                                    const std::string& origem);

}  // namespace quorvel
