// Generates the seed filter files of a new data folder from packaged sources:
//   quorvel-service-seed PUBLIC_SUFFIX_LIST DISPOSABLE_INDEX_JSON OUT_DIR
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "seed.h"

namespace {

std::string readAll(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(std::string("não foi possível ler ") + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
  auto temp = path;
  temp += ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    for (const auto& line : lines) out << line << '\n';
    if (!out.flush()) throw std::runtime_error("falha ao gravar " + temp.string());
  }
  std::filesystem::rename(temp, path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "uso: quorvel-service-seed LISTA_DE_SUFIXOS INDEX_JSON PASTA_SAIDA\n";
    return 2;
  }
  try {
    using namespace quorvel::service;
    std::filesystem::create_directories(argv[3]);
    auto countries = countryLinesFromPublicSuffixList(readAll(argv[1]));
    auto traps = trapLinesFromDisposableDomains(readAll(argv[2]));
    writeLines(std::filesystem::path(argv[3]) / "sys_paises.filter", countries);
    writeLines(std::filesystem::path(argv[3]) / "sys_armadilhas.filter", traps);
    std::cout << countries.size() << " países, " << traps.size() << " armadilhas\n";
  } catch (const std::exception& e) {
    std::cerr << "quorvel-service-seed: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
