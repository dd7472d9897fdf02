#pragma once
// Large pages for the memory allocator's heap on the commands that hold a whole list.

namespace quorvel::cli {

// A list of a million rows is millions of small blocks; in 2 MB pages the kernel maps them with
// hundreds of times fewer page faults (a fifth of a dedupe's time in small pages). The C
// library reads the setting only when a program starts: where the system offers large pages on
// request and the setting is not there yet, the program starts itself again once with it (the
// same process, arguments and streams). Returns when it does not.
void restartWithLargePages(char** argv);

}  // namespace quorvel::cli
