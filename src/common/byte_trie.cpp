#include "common/byte_trie.h"

#include <algorithm>
#include <deque>

namespace quorvel {

void ByteTrie::build(std::vector<Pattern> patterns, bool withFailureLinks) {
  nodes_.assign(1, Node{});
  edges_.clear();
  fail_.clear();
  rootNext_.assign(256, 0);
  std::sort(patterns.begin(), patterns.end(), [](const Pattern& a, const Pattern& b) {
    return a.text < b.text || (a.text == b.text && a.position < b.position);
  });
  // Patterns in byte order: the path of the previous pattern is shared up to the common prefix,
  // and every node's children are created in increasing byte order.
  struct RawEdge {
    uint32_t parent;
    uint8_t byte;
    uint32_t child;
  };
  std::vector<RawEdge> raw;
  std::vector<uint32_t> path{0};
  const std::string* prev = nullptr;
  for (const auto& p : patterns) {
    size_t lcp = 0;
    if (prev) {
      size_t n = std::min(prev->size(), p.text.size());
      while (lcp < n && (*prev)[lcp] == p.text[lcp]) ++lcp;
    }
    path.resize(lcp + 1);
    for (size_t d = lcp; d < p.text.size(); ++d) {
      auto id = static_cast<uint32_t>(nodes_.size());
      nodes_.push_back(Node{});
      raw.push_back({path[d], static_cast<uint8_t>(p.text[d]), id});
      path.push_back(id);
    }
    Node& end = nodes_[path[p.text.size()]];
    if (end.best < 0 || p.position < end.best) end.best = p.position;
    prev = &p.text;
  }
  // Group the edges by parent (stable counting sort keeps the byte order inside a group).
  std::vector<uint32_t> count(nodes_.size() + 1, 0);
  for (const auto& e : raw) ++count[e.parent + 1];
  for (size_t i = 1; i < count.size(); ++i) count[i] += count[i - 1];
  edges_.resize(raw.size());
  for (size_t i = 0; i < nodes_.size(); ++i) {
    nodes_[i].firstEdge = count[i];
    nodes_[i].edgeCount = count[i + 1] - count[i];
  }
  std::vector<uint32_t> fillPos(count.begin(), count.end() - 1);
  for (const auto& e : raw) edges_[fillPos[e.parent]++] = Edge{e.byte, e.child};
  for (uint32_t i = 0; i < nodes_[0].edgeCount; ++i) {
    const Edge& e = edges_[nodes_[0].firstEdge + i];
    rootNext_[e.byte] = e.child;
  }
  if (!withFailureLinks) return;

  // Breadth-first failure links; `best` absorbs the best of the failure target.
  fail_.assign(nodes_.size(), 0);
  std::deque<uint32_t> queue;
  for (uint32_t i = 0; i < nodes_[0].edgeCount; ++i) queue.push_back(edges_[i].child);
  while (!queue.empty()) {
    uint32_t u = queue.front();
    queue.pop_front();
    const Node& nu = nodes_[u];
    for (uint32_t k = 0; k < nu.edgeCount; ++k) {
      const Edge e = edges_[nu.firstEdge + k];
      uint32_t f = fail_[u];
      uint32_t target = 0;
      for (;;) {
        target = f == 0 ? rootNext_[e.byte] : child(f, e.byte);
        if (target != 0 || f == 0) break;
        f = fail_[f];
      }
      fail_[e.child] = target;
      int32_t inherited = nodes_[target].best;
      Node& nc = nodes_[e.child];
      if (inherited >= 0 && (nc.best < 0 || inherited < nc.best)) nc.best = inherited;
      queue.push_back(e.child);
    }
  }
}

void ByteTrie::buildAutomaton(const std::vector<std::string>& texts) {
  std::vector<Pattern> patterns;
  patterns.reserve(texts.size());
  for (size_t i = 0; i < texts.size(); ++i)
    if (!texts[i].empty()) patterns.push_back({texts[i], static_cast<int32_t>(i)});
  build(std::move(patterns), true);
}

uint32_t ByteTrie::child(uint32_t node, uint8_t byte) const {
  if (node == 0) return rootNext_[byte];
  const Node& n = nodes_[node];
  const Edge* b = edges_.data() + n.firstEdge;
  const Edge* e = b + n.edgeCount;
  if (n.edgeCount <= 8) {
    for (; b != e; ++b)
      if (b->byte == byte) return b->child;
    return 0;
  }
  auto it = std::lower_bound(b, e, byte, [](const Edge& x, uint8_t v) { return x.byte < v; });
  return (it != e && it->byte == byte) ? it->child : 0;
}

int32_t ByteTrie::firstPrefixOf(std::string_view s) const {
  int32_t best = nodes_[0].best;
  uint32_t node = 0;
  for (unsigned char c : s) {
    node = child(node, c);
    if (node == 0) break;
    keepBest(best, nodes_[node].best);
  }
  return best;
}

int32_t ByteTrie::firstSuffixOf(std::string_view s) const {
  int32_t best = nodes_[0].best;
  uint32_t node = 0;
  for (size_t i = s.size(); i-- > 0;) {
    node = child(node, static_cast<unsigned char>(s[i]));
    if (node == 0) break;
    keepBest(best, nodes_[node].best);
  }
  return best;
}

int32_t ByteTrie::firstOccurringIn(std::string_view s) const {
  if (nodes_.size() <= 1) return -1;
  int32_t best = -1;
  uint32_t state = 0;
  for (unsigned char c : s) {
    for (;;) {
      uint32_t next = child(state, c);
      if (next != 0 || state == 0) {
        state = next;
        break;
      }
      state = fail_[state];
    }
    keepBest(best, nodes_[state].best);
  }
  return best;
}

}  // namespace quorvel
