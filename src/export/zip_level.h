#pragma once
// The deflate level of the workbooks this thread writes. libxlsxwriter 1.1.4 packs its files with
// minizip at zlib's default level (6) and has no option for it; on a sheet of a million rows that
// compression is most of the time spent closing the workbook, while the fastest level (1) packs
// the same cells nearly three times as fast into a file about a sixth larger. Debian's
// libxlsxwriter calls the shared minizip library, so the program's own definition of minizip's
// "open an entry" call is the one the library reaches: it passes the call on with the level chosen
// here. A library built with its own copy of minizip never reaches it and keeps its default level.

namespace quorvel {

class ZipLevel {
 public:
  // Entries opened on this thread while the object lives are deflated at `nivel` (0 to 9).
  explicit ZipLevel(int nivel);
  ~ZipLevel();
  ZipLevel(const ZipLevel&) = delete;
  ZipLevel& operator=(const ZipLevel&) = delete;

 private:
  int anterior_;
};

}  // namespace quorvel
