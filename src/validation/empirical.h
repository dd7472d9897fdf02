#pragma once
// The empirical filter: recognises addresses that are well formed but look made up.
// Stage 1 is a row of measures with fixed limits; stage 2 a chain of nine sub-rules.

#include <string>
#include <string_view>

namespace quorvel {

// Measures over the (lower-cased) address. Each writes its own text into `gErro`.
int contarCaractere(std::string_view email, char c, std::string& gErro);
int maxSequenciaNumeros(std::string_view email, std::string& gErro);
int maxSequenciaConsoantes(std::string_view email, std::string& gErro);
int maxSequenciaVogais(std::string_view email, std::string& gErro);
int maxSequenciaIguais(std::string_view email, std::string& gErro);

// Stage 1: true when a measure reaches its limit; `gErro` then holds that measure's text.
bool filtroEmpiricoEtapa1(std::string_view email, std::string& gErro);

// Stage 2: "não" when no sub-rule applies, otherwise the reason of the first that applies.
std::string EhInvalidoFiltroEmpirico(std::string_view email);

// Matches of "(\d+[a-zA-Z]+)|([a-zA-Z]+\d+)", successive and non-overlapping: a single pass,
// and the same count through PCRE2 (kept to check the pass against the expression).
int contarLetrasNumeros(std::string_view email);
int contarLetrasNumerosPcre(std::string_view email);

// The filter as the validation run calls it: true = reject, with the detail in `gErro`.
bool filtroEmpirico(std::string_view email, bool etapa2, std::string& gErro);

}  // namespace quorvel
