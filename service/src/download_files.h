#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "http_reply.h"

namespace quorvel::service {

// Byte ranges of a Range header against a file of `size` bytes, as inclusive [first, last].
struct ByteRanges {
  enum class Outcome { Whole, Partial, Unsatisfiable } outcome = Outcome::Whole;
  std::vector<std::pair<uint64_t, uint64_t>> ranges;
};

// Reads "bytes=..." as RFC 9110 says: a header that is not a valid range set (or asks for
// more than 16 ranges) is ignored and the whole file served; ranges past the end are dropped;
// none left is Unsatisfiable.
ByteRanges parseByteRanges(std::string_view header, uint64_t size);

// GET or HEAD of `name` in the download folder. Only plain names of regular files directly
// in dir are served (no "..", no sub-folders, no symbolic links, no FIFOs or devices: the file
// is opened without blocking and checked before anything is read). Ranges give 206 with one
// part, or multipart/byteranges for several.
void serveDownload(const std::filesystem::path& dir, const std::string& name,
                   std::string_view rangeHeader, bool isGet, Reply& reply);

}  // namespace quorvel::service
