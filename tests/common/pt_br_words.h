#pragma once
// Texts where byte order, accents, case, width and ill-formed bytes pull in different
// directions; shared by the collation and sorted list tests.

#include <string>
#include <vector>

namespace quorvel::testing {

inline const std::vector<std::string> kPalavras = {
    "abacaxi", "ábaco", "abade",        "Abade",  "ana",    "aná",    "Ana",    "caça",
    "cacau",   "caca",  "Çarpa",        "zebra",  "Zebra",  "árvore", "arvore", "ARVORE",
    ".fr",     ".FR",   ".com.br",      "a-b",    "ab",     "a b",    "é",      "e",
    "E",       "ê",     "\xEF\xAC\x81", "fi",     "FI",     "ａｂｃ", "abc",    "a\tb",
    "joão",    "JOÃO",  "joao",         "x\xFFy", "X\xFFY", "1000",   "999",    ""};

}  // namespace quorvel::testing
