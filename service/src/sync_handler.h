#pragma once

#include <httplib.h>

#include <semaphore>

#include "daily_quota.h"
#include "shared_base.h"
#include "users.h"

namespace quorvel::service {

// POST /quorvel/bin/sync.php: the ten actions of the sharing exchange, multipart/form-data
// fields in, plain text out. A send past the user's daily allowance is answered 429 with
// Retry-After (the seconds to the next UTC day) and nothing of it is stored.
class SyncHandler {
 public:
  SyncHandler(SharedBase& base, Authenticator& auth, Storage& storage, DailyQuota& quota);
  void handle(const httplib::Request& req, httplib::Response& res);

 private:
  SharedBase& base_;
  Authenticator& auth_;
  Storage& storage_;
  DailyQuota& quota_;
  // Pages being read at once: each may hold a page of the base in memory twice (read and
  // answered), so their number bounds that memory.
  std::counting_semaphore<> pageSlots_{4};
};

// Sets a short Portuguese plain-text answer.
void answerText(httplib::Response& res, int status, const std::string& text);

}  // namespace quorvel::service
