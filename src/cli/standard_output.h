#pragma once
// Standard output written through a buffer, every write checked. A write that fails (a full
// disk, /dev/full) is a CliFailure with the system's reason and status 1; a reader that went away
// (a closed pipe, as after "| head") ends the program quietly, as users of head expect.

#include <string>
#include <string_view>

namespace quorvel::cli {

// Thrown when the reader of standard output is gone: the program ends with status 0.
struct ClosedPipe {};

void out(std::string_view texto);
// Writes what is buffered; called before the program ends.
void flushOut();

}  // namespace quorvel::cli
