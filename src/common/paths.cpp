#include "common/paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace quorvel::paths {

std::string programFolder() {
  if (const char* home = std::getenv("QUORVEL_HOME"); home && *home) return home;
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fs::current_path(ec).string();
  return exe.parent_path().string();
}

std::string join(const std::string& a, const std::string& b) {
  return (fs::path(a) / fs::path(b)).string();
}

std::string dados(const std::string& home) {
  return join(home, "dados");
}
std::string dadosConfig(const std::string& home) {
  return join(dados(home), "config");
}
std::string dadosListas(const std::string& home) {
  return join(dados(home), "listas");
}
std::string dadosArquivos(const std::string& home) {
  return join(dados(home), "arquivos");
}

void createFolder(const std::string& path) {
  std::error_code ec;
  fs::create_directory(path, ec);
}

bool exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

bool isFolder(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

int64_t getTamanhoArquivo(const std::string& path) {
  std::error_code ec;
  auto n = fs::file_size(path, ec);
  return ec ? -1 : static_cast<int64_t>(n);
}

std::string fileName(const std::string& path) {
  return fs::path(path).filename().string();
}

}  // namespace quorvel::paths
