#pragma once

#include <httplib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quorvel::service {

// A body read from an open file while the client takes it: each piece is a text followed by
// `length` bytes of the file from `offset`. Owns the descriptor.
struct FileBody {
  struct Piece {
    std::string text;
    uint64_t offset = 0;
    uint64_t length = 0;
  };
  explicit FileBody(int descriptor) : fd(descriptor) {}
  ~FileBody();
  FileBody(const FileBody&) = delete;
  FileBody& operator=(const FileBody&) = delete;
  uint64_t size() const;

  int fd;
  std::vector<Piece> pieces;
};

// What a handler answers: status, headers and body, or a file body instead of res.body.
struct Reply {
  httplib::Response res;
  std::unique_ptr<FileBody> file;
};

// The status line, the headers with Content-Length (and "Connection: close" when closing),
// then the body unless headOnly or a file body follows.
std::string serializeReply(const Reply& reply, bool headOnly, bool close);

// The short Portuguese text of an answer that has none of its own.
const char* defaultText(int status);

}  // namespace quorvel::service
