#pragma once
// The user's words for what the operating system reported.

#include <string>

namespace quorvel {

// A Portuguese description of an errno value ("disco cheio" for ENOSPC, and so on).
std::string describeSystemError(int codigo);

}  // namespace quorvel
