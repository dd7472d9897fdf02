#pragma once
// pt-BR collation, case-insensitive (ICU, secondary strength: accents count, case does not).

#include <string>
#include <string_view>

namespace quorvel::collation {

int compare(std::string_view a, std::string_view b);
// Binary sort key: memcmp order of keys equals compare() order; equal keys mean equal texts.
std::string sortKey(std::string_view s);
// The same key appended to `out` (no string of its own: a million keys go into one buffer).
void appendSortKey(std::string_view s, std::string& out);
// Only the first `bytes` bytes of that key (all of it when it is shorter), made without the
// rest: ordering by these first and by whole keys only where they tie costs half as much.
void appendSortKeyPrefix(std::string_view s, size_t bytes, std::string& out);

// Every byte printable ASCII (0x20 to 0x7E): the texts whose equality under this collation the
// lookups decide by their ASCII lower case, without a key.
bool printableAscii(std::string_view s);
// `s` with A-Z lowered, into `out`.
void asciiLowerInto(std::string_view s, std::string& out);

}  // namespace quorvel::collation
