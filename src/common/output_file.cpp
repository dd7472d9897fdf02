#include "common/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/system_error.h"
#include "common/text_file.h"

namespace quorvel {

OutputFile::~OutputFile() {
  close();
}

bool OutputFile::create(const std::string& caminho, bool novo) {
  close();
  caminho_ = caminho;
  erro_.clear();
  buffer_.clear();
  existia_ = false;
  escritos_ = 0;
  fd_ = ::open(caminho.c_str(), O_WRONLY | O_CREAT | (novo ? O_EXCL : O_TRUNC) | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    existia_ = errno == EEXIST;
    erro_ = describeSystemError(errno);
    return false;
  }
  buffer_.reserve(kBuffer + 1024);
  buffer_ = kUtf8Bom;
  return true;
}

void OutputFile::writeLine(std::string_view texto) {
  buffer_.append(texto);
  anexar("\r\n");
}

void OutputFile::writeLine(std::string_view texto, char separador, std::string_view resto) {
  buffer_.append(texto);
  buffer_.push_back(separador);
  buffer_.append(resto);
  anexar("\r\n");
}

bool OutputFile::descarregar() {
  if (fd_ < 0 || !erro_.empty()) {
    buffer_.clear();
    return erro_.empty();
  }
  size_t feito = 0;
  while (feito < buffer_.size()) {
    ssize_t n = ::write(fd_, buffer_.data() + feito, buffer_.size() - feito);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      erro_ = describeSystemError(n < 0 ? errno : EIO);
      break;
    }
    feito += static_cast<size_t>(n);
    escritos_ += n;
  }
  buffer_.clear();
  return erro_.empty();
}

void OutputFile::truncateTo(int64_t bytes) {
  buffer_.clear();
  if (fd_ < 0) return;
  if (::ftruncate(fd_, bytes) == 0) {
    escritos_ = bytes;
    ::lseek(fd_, bytes, SEEK_SET);
  }
}

bool OutputFile::close() {
  if (fd_ < 0) return erro_.empty();
  descarregar();
  if (::close(fd_) != 0 && erro_.empty()) erro_ = describeSystemError(errno);
  fd_ = -1;
  return erro_.empty();
}

}  // namespace quorvel
