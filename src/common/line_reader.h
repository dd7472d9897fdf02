#pragma once
// Reads a text file of any size line by line as UTF-8, holding one block and the current line.
// The encoding is chosen from the first 4096 bytes: a byte-order mark decides; otherwise UTF-16
// when the block looks like UTF-16 without a mark (NUL in every other byte); otherwise UTF-8 when
// the block is valid UTF-8; otherwise Windows-1252. Bytes that are not valid UTF-8 in a UTF-8
// file are read as Windows-1252, so a Latin-1 name further down a file survives. Lines end at
// CR LF, LF or CR; a final line break does not start an empty line. A line longer than
// kMaiorLinha ends the reading with a read error.

#include <string>
#include <string_view>

#include "common/text_file.h"

namespace quorvel {

class LineReader {
 public:
  // Where the next LF or CR stands in the decoded text (npos: none before `ate`), so that each
  // byte is searched once whatever the line ends are.
  struct Mark {
    size_t pos = std::string::npos;
    size_t ate = 0;
  };

  LineReader() = default;
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Opens a file (closing any open one); false with `erro` set when it cannot be opened.
  bool open(const std::string& path, std::string& error);
  void close();
  // The next line without its line break; the view lasts until the next call. False at the end
  // of the file or after a read error (see erroLeitura).
  bool nextLine(std::string_view& linha);
  TextEncoding encoding() const { return codificacao_; }
  // The system's reason when a read failed; empty otherwise.
  const std::string& readError() const { return erroLeitura_; }
  // Bytes read from the file so far (a block ahead of the lines handed out).
  int64_t bytesRead() const { return bytesLidos_; }
  // Bytes of the file taken by the lines handed out so far: what a progress bar shows. Exact
  // for UTF-8 files; for other encodings the part still waiting in the block is estimated.
  int64_t bytesConsumed() const;

 private:
  bool carregarMais();  // reads and decodes one more block; false at the end or on error
  // Appends the decoded bytes to texto_; the bytes used (a cut character waits for the next).
  size_t decodificar(std::string_view bytes, bool fimArquivo);

  int fd_ = -1;
  int64_t bytesLidos_ = 0;
  TextEncoding codificacao_ = TextEncoding::Utf8;
  bool codificacaoDefinida_ = false;
  bool fimArquivo_ = false;
  std::string erroLeitura_;
  std::string leitura_;  // the block read from the file
  std::string bruto_;    // bytes read and not yet decoded (a cut sequence, the first block)
  std::string texto_;    // decoded text; lines are cut from texto_[pos_, texto_.size())
  size_t pos_ = 0;
  bool pularLf_ = false;  // the last line ended with a CR at the end of the text so far
  Mark lf_, cr_;
};

}  // namespace quorvel
