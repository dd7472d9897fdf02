#include "validation/rule_index.h"

#include <algorithm>

#include "common/text.h"

namespace quorvel {

RuleIndex::RuleIndex(const std::vector<std::string>& lines) {
  std::vector<ByteTrie::Pattern> starts, ends, contains;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (isBlank(lines[i])) continue;
    std::string rule = toLower(lines[i]);
    auto pos = static_cast<int32_t>(i);
    if (rule.back() == '*') {
      rule.pop_back();
      starts.push_back({std::move(rule), pos});
    } else if (rule.front() == '*') {
      rule.erase(0, 1);
      ends.push_back({std::move(rule), pos});
    } else {
      contains.push_back({std::move(rule), pos});
    }
  }
  for (auto& p : ends) std::reverse(p.text.begin(), p.text.end());
  starts_.build(std::move(starts), false);
  ends_.build(std::move(ends), false);
  contains_.build(std::move(contains), true);
}

int32_t RuleIndex::firstMatch(std::string_view s) const {
  int32_t best = starts_.firstPrefixOf(s);
  ByteTrie::keepBest(best, ends_.firstSuffixOf(s));
  ByteTrie::keepBest(best, contains_.firstOccurringIn(s));
  return best;
}

}  // namespace quorvel
