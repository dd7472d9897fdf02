#include "users.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>

namespace quorvel::service {
namespace {

std::string hex(const unsigned char* data, size_t size) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < size; ++i) {
    out.push_back(digits[data[i] >> 4]);
    out.push_back(digits[data[i] & 15]);
  }
  return out;
}

std::string randomHex(size_t bytes) {
  unsigned char buffer[64];
  if (bytes > sizeof buffer || RAND_bytes(buffer, static_cast<int>(bytes)) != 1) {
    throw std::runtime_error("gerador de números aleatórios indisponível");
  }
  return hex(buffer, bytes);
}

}  // namespace

std::string newKey() {
  return randomHex(20);
}
std::string newSalt() {
  return randomHex(16);
}

std::string hashKey(const std::string& salt, std::string_view key) {
  std::string input = salt;
  input.append(key);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_Digest(input.data(), input.size(), digest, &size, EVP_sha256(), nullptr) != 1) {
    throw std::runtime_error("SHA-256 indisponível");
  }
  return hex(digest, size);
}

Authenticator::Authenticator(Storage& storage, std::chrono::milliseconds refresh)
    : storage_(storage), refresh_(refresh) {}

Authenticator::Result Authenticator::check(std::string_view email, std::string_view key) {
  std::optional<User> user;
  auto now = std::chrono::steady_clock::now();
  std::string name(email);
  bool cached = false;
  {
    std::lock_guard lock(mutex_);
    auto it = cache_.find(name);
    if (it != cache_.end() && now - it->second.readAt < refresh_) {
      user = it->second.user;
      cached = true;
    }
  }
  if (!cached) {  // read outside the lock: a slow database must not hold up cached users
    user = storage_.findUser(name);
    std::lock_guard lock(mutex_);
    if (cache_.size() > 100000) cache_.clear();  // unknown names must not grow it forever
    cache_[name] = Entry{user, now};
  }
  if (!user) return {Outcome::UnknownUser, std::nullopt};
  std::string digest = hashKey(user->keySalt, key);
  bool same = digest.size() == user->keyHash.size() &&
              CRYPTO_memcmp(digest.data(), user->keyHash.data(), digest.size()) == 0;
  if (!same) return {Outcome::WrongKey, std::nullopt};
  if (!user->active) return {Outcome::Disabled, std::nullopt};
  return {Outcome::Ok, user};
}

void Authenticator::noteCompartilha(const std::string& email, bool on) {
  std::lock_guard lock(mutex_);
  auto it = cache_.find(email);
  if (it != cache_.end() && it->second.user) it->second.user->compartilha = on;
}

}  // namespace quorvel::service
