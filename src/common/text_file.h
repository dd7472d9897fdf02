#pragma once
// Reading and writing the program's text files.
// Reading: a byte-order mark (UTF-8, UTF-16 LE/BE) decides the encoding; without one the bytes
// are UTF-8 when they are valid UTF-8, otherwise Windows-1252. Lines end at CR LF, LF or CR.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// The UTF-8 byte-order mark every file the program writes starts with.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

enum class TextEncoding { Utf8Bom, Utf16LE, Utf16BE, Utf8, Windows1252 };

// No line of a list or text file the program reads is this long: past it the readers stop with a
// clear error instead of growing one line (and its copies) to gigabytes.
inline constexpr size_t kMaiorLinha = size_t{16} << 20;

// Detects the encoding of raw bytes; `bomLength` receives the size of the mark.
TextEncoding detectEncoding(std::string_view bytes, size_t& bomLength);
// The encoding of a text from its first block (kEncodingBlock bytes): a byte-order mark, else
// UTF-16 without a mark, else UTF-8 when the block is valid UTF-8, else Windows-1252.
// `blocoFinal`: the block is the whole text (a character cut at its end is not forgiven).
inline constexpr size_t kEncodingBlock = 4096;
TextEncoding detectBlockEncoding(std::string_view bloco, bool blocoFinal, size_t& bomLength);
// The encoding decodeText reads a whole text in: the choice from its first block.
TextEncoding detectTextEncoding(std::string_view bytes, size_t& bomLength);
// Bytes at the end that start a UTF-8 sequence the block does not finish.
size_t utf8CutAtEnd(std::string_view b);
// Valid UTF-8 passes through; each byte that is not part of a valid sequence is read as
// Windows-1252.
void appendUtf8Repaired(std::string& out, std::string_view b);
// Decodes raw file bytes to UTF-8 text.
std::string decodeText(std::string_view bytes);
// The bytes as UTF-8 text: a view of them (after any byte-order mark) when they are UTF-8
// already, so a large file is not copied; otherwise decoded into `decodificado`.
std::string_view utf8View(std::string_view bytes, std::string& decodificado);
std::string windows1252ToUtf8(std::string_view bytes);
// Append decoded bytes to UTF-8 text (a lone surrogate or an odd last byte becomes U+FFFD).
void appendWindows1252(std::string& out, std::string_view bytes);
void appendUtf16(std::string& out, std::string_view bytes, bool bigEndian);

// Reads everything an open descriptor gives (a file, a pipe, standard input) into `data`,
// `tamanhoPrevisto` bytes straight into place; false when a read fails.
bool readAll(int fd, std::string& data, size_t tamanhoPrevisto = 0);
// Reads a whole file as bytes; nullopt when it cannot be opened or read.
std::optional<std::string> readFileBytes(const std::string& path);
// Reads a text file into lines; nullopt when it cannot be opened or read.
std::optional<std::vector<std::string>> readTextLines(const std::string& path);

// A regular file mapped read-only into memory: large inputs are read without a copy.
class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  // False when the file cannot be opened or is not a regular file.
  bool open(const std::string& path);
  std::string_view bytes() const { return {static_cast<const char*>(dados_), tamanho_}; }

 private:
  void* dados_ = nullptr;
  size_t tamanho_ = 0;
};

struct WriteResult {
  bool ok = false;
  std::string error;      // the system's reason when !ok
  bool desistiu = false;  // the caller's `desistir` said so: nothing was written
};

struct WriteOptions {
  // Permissions of the new file (the umask still applies): 0600 for a file that holds a
  // password, which is then never readable by others, not even for a moment.
  unsigned modo = 0644;
  // Asked once the bytes are on disk, just before the new file takes the old one's place: true
  // drops the new file and leaves the old one (or none) as it was.
  std::function<bool()> desistir;
};

// Writes bytes to a temporary file beside `path` and renames it over `path`, so a failure never
// leaves a half-written file in place of a good one.
WriteResult writeFileAtomic(const std::string& path, std::string_view bytes,
                            const WriteOptions& opcoes = {});
// The same, the bytes made piece by piece while the file is written (a large file is never whole
// in memory): `proximo` appends the next piece to the (emptied) buffer it is given and returns
// false after the last one. `desistir` is also asked after every piece: true stops there and
// leaves the old file (or none) as it was.
WriteResult writeFileAtomic(const std::string& path,
                            const std::function<bool(std::string&)>& proximo,
                            const WriteOptions& opcoes = {});
// Writes lines as UTF-8 with a byte-order mark, each followed by CR LF.
WriteResult writeTextLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace quorvel
