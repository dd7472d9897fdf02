#pragma once
// Fault injection: a folder on a file system of its own with little room, so that writes into it
// fail with "no space left on device" as on a full disk. Mounting needs the rights of root (as
// the tests have here); ok() says whether the folder is really on the small file system.

#include <sys/mount.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace quorvel::testing {

class SmallDisk {
 public:
  SmallDisk(const std::filesystem::path& pasta, size_t bytes) : pasta_(pasta) {
    std::filesystem::create_directories(pasta_);
    const std::string opcoes = "size=" + std::to_string(bytes);
    montado_ = ::mount("tmpfs", pasta_.c_str(), "tmpfs", 0, opcoes.c_str()) == 0;
  }
  ~SmallDisk() {
    if (montado_) ::umount2(pasta_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool ok() const { return montado_; }
  // Takes up all the room that is left.
  void fill() const {
    std::ofstream f(pasta_ / "enchimento", std::ios::binary);
    const std::string bloco(4096, 'x');
    while (f.write(bloco.data(), static_cast<std::streamsize>(bloco.size()))) {
    }
  }

 private:
  std::filesystem::path pasta_;
  bool montado_ = false;
};

}  // namespace quorvel::testing
