#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "storage.h"

namespace quorvel::service {

// A new access key: 160 random bits as 40 hexadecimal digits.
std::string newKey();
std::string newSalt();
// Hex SHA-256 of salt + key. The keys are random and long, so one round is enough: nobody can
// search a 160-bit space, however fast the hash.
std::string hashKey(const std::string& salt, std::string_view key);

// Checks e-mail and key of every request. Users are read from storage at most every few
// seconds, so "user disable" on the command line takes effect within that time.
class Authenticator {
 public:
  explicit Authenticator(Storage& storage, std::chrono::milliseconds refresh);

  enum class Outcome { Ok, UnknownUser, Disabled, WrongKey };
  struct Result {
    Outcome outcome;
    std::optional<User> user;
  };
  Result check(std::string_view email, std::string_view key);

  // Keeps the cached flag in step after action 7 changed it.
  void noteCompartilha(const std::string& email, bool on);

 private:
  struct Entry {
    std::optional<User> user;
    std::chrono::steady_clock::time_point readAt;
  };
  Storage& storage_;
  std::chrono::milliseconds refresh_;
  std::mutex mutex_;
  std::unordered_map<std::string, Entry> cache_;
};

}  // namespace quorvel::service
