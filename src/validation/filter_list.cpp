#include "validation/filter_list.h"

#include "common/text.h"
#include "common/text_file.h"

namespace quorvel {

FilterList::FilterList(SortedStringList linhas)
    : linhas_(std::move(linhas)), indice_(linhas_.items()) {}

FilterListPtr filterListOf(const std::vector<std::string>& linhas) {
  SortedStringList sorted;
  sorted.addAll(linhas);
  return std::make_shared<const FilterList>(std::move(sorted));
}

FilterListPtr loadFilterList(const std::string& caminho) {
  auto lines = readTextLines(caminho);
  if (!lines) return std::make_shared<const FilterList>();
  return filterListOf(*lines);
}

bool casaRegra(std::string_view endereco, std::string_view regra, std::string& gErro) {
  std::string e = toLower(endereco);
  std::string r = toLower(regra);
  bool casou;
  if (!r.empty() && r.back() == '*') {
    r.pop_back();
    casou = e.compare(0, r.size(), r) == 0;
  } else if (!r.empty() && r.front() == '*') {
    r.erase(0, 1);
    casou = e.size() >= r.size() && e.compare(e.size() - r.size(), r.size(), r) == 0;
  } else {
    casou = e.find(r) != std::string::npos;
  }
  if (casou) gErro = "caiu na regra " + r;
  return casou;
}

bool casaLista(std::string_view endereco, const FilterList& lista, std::string& gErro) {
  thread_local std::string lower;
  toLowerInto(endereco, lower);
  int32_t i = lista.primeiraRegra(lower);
  if (i < 0) return false;
  gErro = " (";
  gErro += lista.linhas()[static_cast<size_t>(i)];
  gErro += ')';
  return true;
}

}  // namespace quorvel
