#pragma once
// Deterministic generated data for the benchmarks: realistic Brazilian-looking addresses and
// filter lists of chosen sizes.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace quorvel::bench {

struct AddressMix {
  double duplicates = 0.05;  // share of addresses repeated from earlier ones
  double badSyntax = 0.05;   // share of addresses with a syntax fault
};

std::vector<std::string> gerarEnderecos(size_t n, uint64_t seed, AddressMix mix = {});
std::vector<std::string> gerarRegras(size_t n, uint64_t seed);      // custom rules
std::vector<std::string> gerarArmadilhas(size_t n, uint64_t seed);  // trap lines
std::vector<std::string> gerarNomesRaros(size_t n, uint64_t seed);  // rare names
std::vector<std::string> gerarPaises(size_t n);                     // ".xx" entries

}  // namespace quorvel::bench

namespace quorvel::bench {

// A contact list as CSV text: a header line "nome,email,cidade,uf,telefone" and `linhas` rows,
// separated by ";" or "," with a share of quoted fields; CR LF line ends.
std::string gerarListaCsv(size_t linhas, uint64_t seed);

}  // namespace quorvel::bench
