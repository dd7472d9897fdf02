#include "shared_base.h"

#include <algorithm>
#include <chrono>

#include "dates.h"
#include "log.h"

namespace quorvel::service {
namespace {

constexpr size_t kMaxBatchesPerGroup = 2000;
constexpr int64_t kRowsPerBlock = 20000;
constexpr auto kCommitWait = std::chrono::seconds(30);

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

SharedBase::SharedBase(Storage& storage, int minSenders, int64_t pageSize)
    : storage_(storage), minSenders_(std::max(1, minSenders)), pageSize_(pageSize) {}

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
      forEachLine(block.payload,
                  [&](std::string_view value) { fresh.values[std::string(value)].offered = true; });
      if (pub.lastDay != block.day) {
        pub.firstSeqOfDay.emplace(block.day, block.firstSeq);
        pub.lastDay = block.day;
      }
      fresh.nextSeq = block.firstSeq + block.count;
    });
    storage_.scanSightings(kind, [&](const SightingBlock& block) {
      forEachLine(block.payload, [&](std::string_view value) {
        Entry& e = fresh.values[std::string(value)];
        if (e.offered) return;
        if (std::find(e.senders.begin(), e.senders.end(), block.user) == e.senders.end()) {
          e.senders.push_back(block.user);
        }
      });
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
  // Appends the value to the rows of this group and marks it offered.
  auto offer = [&](size_t k, const std::string& value, Entry& e) {
    auto& blocks = changes.rows[k];
    if (blocks.empty() || blocks.back().count >= kRowsPerBlock) {
      blocks.push_back(RowBlock{nextSeq[k], 0, day[k], {}});
    }
    blocks.back().payload.append(value).push_back('\n');
    ++blocks.back().count;
    ++nextSeq[k];
    e.offered = true;
    std::vector<int64_t>().swap(e.senders);
  };

  for (auto& batch : group) {
    size_t k = kindIndex(batch->kind);
    Index& idx = index_[k];
    SightingBlock* seen = nullptr;
    for (std::string& item : batch->items) {
      auto it = idx.values.try_emplace(std::move(item)).first;
      const std::string& value = it->first;
      Entry& e = it->second;
      if (e.offered) continue;
      if (std::find(e.senders.begin(), e.senders.end(), batch->user) != e.senders.end()) continue;
      if (static_cast<int>(e.senders.size()) + 1 >= minSenders_) {
        offer(k, value, e);
        continue;
      }
      e.senders.push_back(batch->user);
      if (!seen) {
        changes.sightings[k].push_back(SightingBlock{batch->user, day[k], {}});
        seen = &changes.sightings[k].back();
      }
      seen->payload.append(value).push_back('\n');
    }
  }
  if (promote) {
    for (size_t k = 0; k < 3; ++k) {
      std::vector<std::unordered_map<std::string, Entry>::value_type*> ready;
      for (auto& entry : index_[k].values) {
        if (!entry.second.offered && static_cast<int>(entry.second.senders.size()) >= minSenders_) {
          ready.push_back(&entry);
        }
      }
      std::sort(ready.begin(), ready.end(),
                [](const auto* a, const auto* b) { return a->first < b->first; });
      for (auto* entry : ready) offer(k, entry->first, entry->second);
    }
  }

  bool ok = true;
  if (!changes.empty()) {
    try {
      storage_.commit(changes);
    } catch (const std::exception& e) {
      // The outcome may even be unknown (a connection lost during COMMIT): read everything
      // back before the next group instead of trusting the in-memory state.
      logLine(std::string("erro ao gravar lote: ") + e.what());
      ok = false;
      reloadNeeded_ = true;
    }
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
