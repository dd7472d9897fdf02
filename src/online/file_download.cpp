#include "online/file_download.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace quorvel {
namespace {

class ArquivoAnonimo {
 public:
  explicit ArquivoAnonimo(const std::string& destino) : destino_(destino) {
    const size_t barra = destino.rfind('/');
    const std::string pasta = barra == std::string::npos ? "." : destino.substr(0, barra + 1);
    fd_ = ::open(pasta.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    if (fd_ < 0) {
      // File systems without O_TMPFILE: a visible temporary name, removed on failure.
      temporario_ = destino + ".parcial-" + std::to_string(::getpid());
      fd_ = ::open(temporario_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
    if (fd_ < 0) falhar(errno);
  }
  ~ArquivoAnonimo() {
    if (fd_ >= 0) ::close(fd_);
    if (!temporario_.empty()) ::unlink(temporario_.c_str());
  }
  ArquivoAnonimo(const ArquivoAnonimo&) = delete;
  ArquivoAnonimo& operator=(const ArquivoAnonimo&) = delete;

  void escrever(std::string_view b) {
    while (!b.empty()) {
      ssize_t n = ::write(fd_, b.data(), b.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) falhar(n < 0 ? errno : EIO);
      b.remove_prefix(static_cast<size_t>(n));
    }
  }

  // Synced, then given the target's name.
  void concluir() {
    if (::fsync(fd_) != 0) falhar(errno);
    if (temporario_.empty()) {
      temporario_ = destino_ + ".parcial-" + std::to_string(::getpid());
      ::unlink(temporario_.c_str());
      const std::string proprio = "/proc/self/fd/" + std::to_string(fd_);
      if (::linkat(AT_FDCWD, proprio.c_str(), AT_FDCWD, temporario_.c_str(), AT_SYMLINK_FOLLOW) !=
          0) {
        int e = errno;
        temporario_.clear();
        falhar(e);
      }
    }
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) falhar(errno);
    if (std::rename(temporario_.c_str(), destino_.c_str()) != 0) falhar(errno);
    temporario_.clear();
  }

 private:
  [[noreturn]] void falhar(int e) {
    throw std::runtime_error("não foi possível gravar " + destino_ + ": " + std::strerror(e));
  }
  std::string destino_;
  std::string temporario_;
  int fd_ = -1;
};

}  // namespace

void baixarParaArquivo(HttpClient& http, const HttpRequest& pedido, const std::string& destino) {
  ArquivoAnonimo arquivo(destino);
  http.get(pedido, [&arquivo](std::string_view b) { arquivo.escrever(b); });
  arquivo.concluir();
}

}  // namespace quorvel
