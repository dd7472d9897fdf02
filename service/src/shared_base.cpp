#include "shared_base.h"

#include <algorithm>
#include <chrono>

#include "dates.h"
#include "log.h"

namespace quorvel::service {
namespace {

constexpr size_t kMaxBatchesPerGroup = 2000;
constexpr auto kCommitWait = std::chrono::seconds(30);

struct Pending {
  bool visible = false;
  std::vector<int64_t> users;
};

}  // namespace

SharedBase::SharedBase(Storage& storage, int minSenders, int64_t pageSize)
    : storage_(storage), minSenders_(std::max(1, minSenders)), pageSize_(pageSize) {}

SharedBase::~SharedBase() { stop(); }

void SharedBase::start() {
  load();
  promoteReadyPending();
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
    storage_.scanVisible(kind, [&](int64_t seq, std::string_view value, std::string_view day) {
      if (seq != fresh.nextSeq) {
        throw StorageError("sequência interrompida na base " +
                           std::to_string(static_cast<int>(kind)) + " em " + std::to_string(seq));
      }
      fresh.visible.emplace(value);
      if (pub.lastDay != day) {
        pub.firstSeqOfDay.emplace(std::string(day), seq);
        pub.lastDay = std::string(day);
      }
      fresh.nextSeq = seq + 1;
    });
    storage_.scanSightings(kind, [&](std::string_view value, int64_t user) {
      std::string key(value);
      if (fresh.visible.count(key)) return;
      auto& users = fresh.pending[key];
      if (std::find(users.begin(), users.end(), user) == users.end()) users.push_back(user);
    });
    pub.end = fresh.nextSeq;
    index_[kindIndex(kind)] = std::move(fresh);
    std::lock_guard lock(publishedMutex_);
    published_[kindIndex(kind)] = std::move(pub);
  }
}

// Values that already have enough senders (the setting was lowered since they arrived).
void SharedBase::promoteReadyPending() {
  std::vector<std::unique_ptr<Batch>> none;
  bool any = false;
  for (Kind kind : kAllKinds) {
    for (const auto& [value, users] : index_[kindIndex(kind)].pending) {
      if (static_cast<int>(users.size()) >= minSenders_) {
        any = true;
        break;
      }
    }
  }
  if (any) writeGroup(none);
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
  for (;;) {
    std::vector<std::unique_ptr<Batch>> group;
    {
      std::unique_lock lock(queueMutex_);
      queueChanged_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;  // stopping and drained
      while (!queue_.empty() && group.size() < kMaxBatchesPerGroup) {
        group.push_back(std::move(queue_.front()));
        queue_.pop_front();
      }
    }
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
}

void SharedBase::writeGroup(std::vector<std::unique_ptr<Batch>>& group) {
  std::array<std::unordered_map<std::string, Pending>, 3> overlay;
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
  Changes changes;

  auto stateOf = [&](size_t k, const std::string& value) -> Pending& {
    auto it = overlay[k].find(value);
    if (it != overlay[k].end()) return it->second;
    Pending p;
    auto pend = index_[k].pending.find(value);
    if (pend != index_[k].pending.end()) p.users = pend->second;
    return overlay[k].emplace(value, std::move(p)).first->second;
  };
  auto offer = [&](size_t k, const std::string& value, Pending& p) {
    p.visible = true;
    changes.visible[k].push_back({nextSeq[k]++, value, day[k]});
  };

  for (auto& batch : group) {
    size_t k = kindIndex(batch->kind);
    for (const std::string& value : batch->items) {
      if (index_[k].visible.count(value)) continue;
      Pending& p = stateOf(k, value);
      if (p.visible) continue;
      if (std::find(p.users.begin(), p.users.end(), batch->user) != p.users.end()) continue;
      p.users.push_back(batch->user);
      if (static_cast<int>(p.users.size()) >= minSenders_) {
        offer(k, value, p);
      } else {
        changes.sightings[k].push_back({value, batch->user, day[k]});
      }
    }
  }
  if (group.empty()) {  // start-up promotion
    for (size_t k = 0; k < 3; ++k) {
      std::vector<std::string> ready;
      for (const auto& [value, users] : index_[k].pending) {
        if (static_cast<int>(users.size()) >= minSenders_) ready.push_back(value);
      }
      std::sort(ready.begin(), ready.end());
      for (const auto& value : ready) offer(k, value, stateOf(k, value));
    }
  }

  bool ok = true;
  if (!changes.empty()) {
    try {
      storage_.commit(changes);
    } catch (const std::exception& e) {
      // The outcome may be unknown (a connection lost during COMMIT): read everything back
      // before the next group instead of trusting the in-memory state.
      logLine(std::string("erro ao gravar lote: ") + e.what());
      ok = false;
      reloadNeeded_ = true;
    }
  }
  if (ok) {
    for (size_t k = 0; k < 3; ++k) {
      Index& idx = index_[k];
      for (auto& [value, p] : overlay[k]) {
        if (p.visible) {
          idx.pending.erase(value);
          idx.visible.insert(value);
        } else {
          idx.pending[value] = std::move(p.users);
        }
      }
      idx.nextSeq = nextSeq[k];
    }
    std::lock_guard lock(publishedMutex_);
    for (size_t k = 0; k < 3; ++k) {
      for (const VisibleRow& row : changes.visible[k]) {
        if (published_[k].lastDay != row.day) {
          published_[k].firstSeqOfDay.emplace(row.day, row.seq);
          published_[k].lastDay = row.day;
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
