#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvel::service {

// Lines of sys_paises.filter from the public suffix list: every two-letter top-level domain of
// its ICANN section (the country codes) as ".xx", without Brazil's ".br"; sorted.
std::vector<std::string> countryLinesFromPublicSuffixList(std::string_view list);

// Lines of sys_armadilhas.filter from disposable-email-domains' index.json (an array of domain
// names): "*@domain" for every valid name, sorted and without repeats.
std::vector<std::string> trapLinesFromDisposableDomains(std::string_view json);

}  // namespace quorvel::service
