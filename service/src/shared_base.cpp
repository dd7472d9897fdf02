#include "shared_base.h"

#include <algorithm>
#include <chrono>
#include <unordered_map>

#include "dates.h"
#include "log.h"

namespace quorvel::service {
namespace {

constexpr size_t kMaxBatchesPerGroup = 2000;
constexpr int64_t kRowsPerBlock = 20000;
constexpr auto kCommitWait = std::chrono::seconds(30);
constexpr int64_t kExpirySlice = 20000;
constexpr auto kIdleWake = std::chrono::seconds(60);

bool contains(const std::vector<int64_t>& users, int64_t user) {
  return std::find(users.begin(), users.end(), user) != users.end();
}

// Calls line(text) for every "\n"-terminated value of a payload.
template <typename Fn>
void forEachLine(const std::string& payload, Fn line) {
  size_t start = 0;
  while (start < payload.size()) {
    size_t end = payload.find('\n', start);
    if (end == std::string::npos) end = payload.size();
    if (end > start) line(std::string_view(payload).substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace

SharedBase::SharedBase(Storage& storage, int minSenders, int64_t pageSize, int pendingDays)
    : storage_(storage),
      minSenders_(std::max(1, minSenders)),
      pageSize_(pageSize),
      pendingDays_(std::max(1, pendingDays)) {}

SharedBase::~SharedBase() {
  stop();
}

void SharedBase::start() {
  load();
  std::vector<std::unique_ptr<Batch>> none;
  writeGroup(none, true);
  if (reloadNeeded_) throw StorageError("não foi possível gravar na base ao iniciar");
  writer_ = std::thread([this] { writerLoop(); });
}

void SharedBase::stop() {
  {
    std::lock_guard lock(queueMutex_);
    stopping_ = true;
  }
  queueChanged_.notify_all();
  if (writer_.joinable()) writer_.join();
}

void SharedBase::load() {
  for (Kind kind : kAllKinds) {
    Index fresh;
    Published pub;
    storage_.scanRows(kind, [&](const RowBlock& block) {
      if (block.firstSeq != fresh.nextSeq) {
        throw StorageError("sequência interrompida na base " +
                           std::to_string(static_cast<int>(kind)) + " em " +
                           std::to_string(block.firstSeq));
      }
      forEachLine(block.payload, [&](std::string_view value) { fresh.offered.emplace(value); });
      if (pub.lastDay != block.day) {
        pub.firstSeqOfDay.emplace(block.day, block.firstSeq);
        pub.lastDay = block.day;
      }
      fresh.nextSeq = block.firstSeq + block.count;
    });
    pub.end = fresh.nextSeq;
    index_[kindIndex(kind)] = std::move(fresh);
    std::lock_guard lock(publishedMutex_);
    published_[kindIndex(kind)] = std::move(pub);
  }
}

bool SharedBase::submit(Kind kind, int64_t user, std::vector<std::string> items) {
  auto batch = std::make_unique<Batch>();
  batch->kind = kind;
  batch->user = user;
  batch->items = std::move(items);
  auto done = batch->done.get_future();
  {
    std::lock_guard lock(queueMutex_);
    if (stopping_) return false;
    queue_.push_back(std::move(batch));
  }
  queueChanged_.notify_one();
  if (done.wait_for(kCommitWait) != std::future_status::ready) return false;
  return done.get();
}

void SharedBase::writerLoop() {
  auto expiryRetryAt = std::chrono::steady_clock::now();
  for (;;) {
    bool expiryDue = expiredBefore_ != utcDaysAgo(pendingDays_) &&
                     std::chrono::steady_clock::now() >= expiryRetryAt;
    std::vector<std::unique_ptr<Batch>> group;
    {
      std::unique_lock lock(queueMutex_);
      queueChanged_.wait_for(lock, expiryDue ? std::chrono::seconds(0) : kIdleWake,
                             [&] { return stopping_ || !queue_.empty(); });
      if (stopping_ && queue_.empty()) return;  // stopping and drained
      while (!queue_.empty() && group.size() < kMaxBatchesPerGroup) {
        group.push_back(std::move(queue_.front()));
        queue_.pop_front();
      }
    }
    if (!group.empty()) {
      if (reloadNeeded_) {
        try {
          load();
          reloadNeeded_ = false;
        } catch (const std::exception& e) {
          logLine(std::string("erro ao reler as bases: ") + e.what());
          for (auto& b : group) b->done.set_value(false);
          std::this_thread::sleep_for(std::chrono::milliseconds(200));
          continue;
        }
      }
      writeGroup(group);
    }
    if (expiryDue) {
      try {
        expireSome();
      } catch (const std::exception& e) {
        logLine(std::string("erro ao expirar itens pendentes: ") + e.what());
        expiryRetryAt = std::chrono::steady_clock::now() + kIdleWake;
      }
    }
  }
}

bool SharedBase::expireSome() {
  std::string cutoff = utcDaysAgo(pendingDays_);
  auto slice = storage_.expirePending(cutoff, expiryCursor_, kExpirySlice);
  expiredThisPass_ += slice.deleted;
  if (slice.seen >= kExpirySlice) return true;
  if (expiredThisPass_ > 0) {
    logLine(std::to_string(expiredThisPass_) + " itens pendentes de antes de " + cutoff +
            " esquecidos");
  }
  expiredBefore_ = cutoff;
  expiryCursor_ = PendingKey{};
  expiredThisPass_ = 0;
  return false;
}

void SharedBase::writeGroup(std::vector<std::unique_ptr<Batch>>& group, bool promote) {
  std::array<int64_t, 3> nextSeq;
  std::array<std::string, 3> day;
  std::string today = todayUtc();
  {
    std::lock_guard lock(publishedMutex_);
    for (size_t k = 0; k < 3; ++k) {
      nextSeq[k] = index_[k].nextSeq;
      day[k] = std::max(today, published_[k].lastDay);  // days never go back in seq order
    }
  }
  // The index is changed in place; when the commit fails it is read back from storage.
  Changes changes;
  changes.day = today;
  const std::string since = utcDaysAgo(pendingDays_);  // older sightings have expired
  // Appends the value to the rows of this group and marks it offered.
  auto offer = [&](size_t k, const std::string& value) {
    auto& blocks = changes.rows[k];
    if (blocks.empty() || blocks.back().count >= kRowsPerBlock) {
      blocks.push_back(RowBlock{nextSeq[k], 0, day[k], {}});
    }
    blocks.back().payload.append(value).push_back('\n');
    ++blocks.back().count;
    ++nextSeq[k];
    index_[k].offered.insert(value);
  };

  bool ok = true;
  try {
    for (Kind kind : kAllKinds) {
      size_t k = kindIndex(kind);
      // The values of this base sent in this group and not offered yet.
      struct Candidate {
        std::vector<int64_t> senders;  // stored and in this group
        std::vector<int64_t> fresh;    // in this group only
        bool stored = false;
        bool offered = false;
      };
      std::unordered_map<std::string, Candidate> candidates;
      std::vector<std::string_view> lookups;
      std::vector<Candidate*> looked;
      for (auto& batch : group) {
        if (batch->kind != kind) continue;
        for (const std::string& item : batch->items) {
          if (index_[k].offered.count(item)) continue;
          auto [it, added] = candidates.try_emplace(item);
          if (!added) continue;
          lookups.push_back(it->first);
          looked.push_back(&it->second);
        }
      }
      if (lookups.empty()) continue;
      storage_.pendingSenders(kind, lookups, since, [&](size_t i, int64_t user) {
        Candidate& c = *looked[i];
        c.stored = true;
        if (!contains(c.senders, user)) c.senders.push_back(user);
      });
      for (auto& batch : group) {
        if (batch->kind != kind) continue;
        for (const std::string& item : batch->items) {
          auto it = candidates.find(item);
          if (it == candidates.end()) continue;  // offered before this group
          Candidate& c = it->second;
          if (c.offered || contains(c.senders, batch->user)) continue;
          c.senders.push_back(batch->user);
          if (static_cast<int>(c.senders.size()) >= minSenders_) {
            offer(k, it->first);
            c.offered = true;
          } else {
            c.fresh.push_back(batch->user);
          }
        }
      }
      for (auto& [value, c] : candidates) {
        if (c.offered) {
          if (c.stored) changes.settled[k].push_back(value);
        } else {
          for (int64_t user : c.fresh) changes.pending[k].push_back({value, user});
        }
      }
    }
    if (promote) {  // the number of senders asked for was lowered since these arrived
      for (Kind kind : kAllKinds) {
        size_t k = kindIndex(kind);
        storage_.pendingWithSenders(kind, minSenders_, since, [&](std::string_view text) {
          std::string value(text);
          if (!index_[k].offered.count(value)) offer(k, value);
          changes.settled[k].push_back(std::move(value));
        });
      }
    }
    if (!changes.empty()) storage_.commit(changes);
  } catch (const std::exception& e) {
    // The outcome may even be unknown (a connection lost during COMMIT): read everything
    // back before the next group instead of trusting the in-memory state.
    logLine(std::string("erro ao gravar lote: ") + e.what());
    ok = false;
    reloadNeeded_ = true;
  }
  if (ok) {
    std::lock_guard lock(publishedMutex_);
    for (size_t k = 0; k < 3; ++k) {
      index_[k].nextSeq = nextSeq[k];
      for (const RowBlock& block : changes.rows[k]) {
        if (published_[k].lastDay != block.day) {
          published_[k].firstSeqOfDay.emplace(block.day, block.firstSeq);
          published_[k].lastDay = block.day;
        }
      }
      published_[k].end = nextSeq[k];
    }
  }
  for (auto& b : group) b->done.set_value(ok);
}

void SharedBase::page(Kind kind, const std::string& date, int page, std::string& out) {
  int64_t start, end;
  {
    std::lock_guard lock(publishedMutex_);
    const Published& pub = published_[kindIndex(kind)];
    end = pub.end;
    if (date.empty()) {
      start = 1;
    } else {
      auto it = pub.firstSeqOfDay.lower_bound(date);
      start = it == pub.firstSeqOfDay.end() ? end : it->second;
    }
  }
  int64_t from = start + static_cast<int64_t>(page) * pageSize_;
  int64_t to = std::min(from + pageSize_, end);
  if (from < to) storage_.readRange(kind, from, to, out);
}

std::string SharedBase::lastDay(Kind kind) {
  std::lock_guard lock(publishedMutex_);
  const std::string& day = published_[kindIndex(kind)].lastDay;
  return day.empty() ? "2020-01-01" : day;
}

}  // namespace quorvel::service
