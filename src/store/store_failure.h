#pragma once

#include <stdexcept>

namespace quorvel {

// A failure of the store itself while it works (a damaged page, a lock held by another program,
// a full disk), with the message the user sees. It is not a failure of the address or line at
// hand: a run that meets one stops.
class StoreFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace quorvel
