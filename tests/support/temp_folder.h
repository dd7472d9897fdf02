#pragma once
// A fresh program folder per test, removed with everything in it afterwards.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/text_file.h"

namespace quorvel::testing {

class TempFolder {
 public:
  TempFolder() {
    std::string modelo = (std::filesystem::temp_directory_path() / "quorvel-store-XXXXXX").string();
    if (::mkdtemp(modelo.data()) == nullptr) throw std::runtime_error("mkdtemp falhou");
    caminho_ = modelo;
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(caminho_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return caminho_; }
  std::string str() const { return caminho_.string(); }
  std::filesystem::path operator/(const std::string& nome) const { return caminho_ / nome; }

  void write(const std::string& nome, const std::string& bytes) const {
    std::ofstream(caminho_ / nome, std::ios::binary) << bytes;
  }
  // The file's bytes, or a marker that no test expects when it cannot be read.
  std::string bytes(const std::string& nome) const {
    auto b = readFileBytes((caminho_ / nome).string());
    return b ? *b : "<ilegível>";
  }

 private:
  std::filesystem::path caminho_;
};

}  // namespace quorvel::testing
