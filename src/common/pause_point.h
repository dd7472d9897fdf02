#pragma once
// Named moments of long operations (a file being read, a file about to take another's place, the
// start of each progress display) where a test can act at a moment the program has reached
// instead of after a guessed delay. Inert unless a test asks for it: in its own process through
// a hook; in a program it started through QUORVEL_STOP_AT=NAME (or NAME:FILE for one file), where
// the program stops itself (SIGSTOP) on reaching that point, so the test can signal or kill it
// there and then let it go on (SIGCONT).

#include <functional>
#include <string_view>

namespace quorvel {

// `sobre`: what the point is about (a file name), for QUORVEL_STOP_AT=NAME:FILE.
void pausePoint(std::string_view nome, std::string_view sobre = {});
// The hook of a test in the same process: called at every point (an empty one: none).
void setPausePointHook(std::function<void(std::string_view nome, std::string_view sobre)> gancho);

}  // namespace quorvel
