#pragma once
// A text file written from the start through a buffer: UTF-8 with a byte-order mark, lines
// ending in CR LF. The first write failure (a full disk, say) is kept and every later write is
// dropped, so what was written before stays a readable file.

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the file and writes the byte-order mark. A file of the same name is replaced, or,
  // with `novo`, left alone: the creation fails and existed() tells why.
  bool create(const std::string& caminho, bool novo = false);
  bool existed() const { return existia_; }
  // One line: the parts one after another, then CR LF.
  void writeLine(std::string_view texto);
  void writeLine(std::string_view texto, char separador, std::string_view resto);
  // Flushes and closes; false when anything failed.
  bool close();
  // Without automatic flushing the buffer grows until flush(): a caller that writes two files
  // flushes them together and knows which lines both hold.
  void setAutoFlush(bool automatico) { autoFlush_ = automatico; }
  bool bufferFull() const { return buffer_.size() >= kBuffer; }
  // Writes the buffer; false when the write failed (the file may then hold part of it).
  bool flush() { return descarregar(); }
  // Bytes written to the file so far (byte-order mark included).
  int64_t written() const { return escritos_; }
  // Cuts the file back to `bytes` (a size it had after an earlier successful flush), dropping
  // whatever a failed write left beyond it.
  void truncateTo(int64_t bytes);
  bool failed() const { return !erro_.empty(); }
  // The system's reason for the first failure.
  const std::string& error() const { return erro_; }
  const std::string& path() const { return caminho_; }

 private:
  // Writes what the buffer holds; false once a write failed.
  bool descarregar();
  void anexar(std::string_view b) {
    buffer_.append(b);
    if (autoFlush_ && buffer_.size() >= kBuffer) descarregar();
  }
  static constexpr size_t kBuffer = size_t{1} << 16;
  int fd_ = -1;
  std::string caminho_;
  std::string buffer_;
  std::string erro_;
  bool existia_ = false;
  bool autoFlush_ = true;
  int64_t escritos_ = 0;
};

}  // namespace quorvel
