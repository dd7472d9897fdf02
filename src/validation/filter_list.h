#pragma once
// The filter lists of the workspace (dados/config/*.filter) and their two matchers.

#include <memory>
#include <string>
#include <string_view>

#include "common/sorted_string_list.h"
#include "validation/rule_index.h"

namespace quorvel {

inline constexpr const char* kRulesFile = "local_regras.filter";
inline constexpr const char* kTrapsFile = "sys_armadilhas.filter";
inline constexpr const char* kCountriesFile = "sys_paises.filter";
inline constexpr const char* kRareNamesFile = "sys_nomesraros.filter";
inline constexpr const char* kIgnoredSitesFile = "local_sitesignorados.filter";
// The providers a mistyped domain may be corrected to (the suggestions' candidates).
inline constexpr const char* kProvidersFile = "sys_provedores.filter";

// One loaded list: its lines (sorted, case-insensitive, duplicate-free) and the index that
// matches them as wildcard rules.
class FilterList {
 public:
  FilterList() = default;
  explicit FilterList(SortedStringList linhas);

  const SortedStringList& linhas() const { return linhas_; }
  // Exact case-insensitive line search (country and ignored-domain lookups).
  bool contem(std::string_view s) const { return linhas_.contains(s); }
  // Position of the first line, in list order, whose rule matches the lower-cased address.
  int32_t primeiraRegra(std::string_view enderecoMinusculo) const {
    return indice_.firstMatch(enderecoMinusculo);
  }

 private:
  SortedStringList linhas_;
  RuleIndex indice_;
};

using FilterListPtr = std::shared_ptr<const FilterList>;

// Load: a new list from the file; a missing or unreadable file gives an empty list, silently.
FilterListPtr loadFilterList(const std::string& caminho);
FilterListPtr filterListOf(const std::vector<std::string>& linhas);

// True when the rule matches the address; on a match gErro := "caiu na regra " + the rule
// without its asterisk, lower-cased.
bool casaRegra(std::string_view endereco, std::string_view regra, std::string& gErro);

// True when some line of the list matches; gErro := " (" + the line + ")" for the first one in
// list order. Without a match gErro keeps what it held.
bool casaLista(std::string_view endereco, const FilterList& lista, std::string& gErro);

}  // namespace quorvel
