#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "storage.h"

namespace quorvel::service {

// The shared bases of domains and addresses, as the server sees them.
//
// A value is offered to downloads only after `minSenders` distinct users have sent it, so one
// user cannot push good contacts into everybody's negative base. Offered values get a dense
// sequence number per base in commit order and never move, so a page is a fixed range of that
// order: pages neither skip nor repeat rows while others keep sending.
//
// Memory holds the offered values only (to keep each offered once). A value still waiting for
// more senders lives in storage alone, looked up when it is sent again, and is forgotten after
// `pendingDays` days: what one user sends, however much, never grows the memory.
//
// One writer thread owns the in-memory index and writes every batch waiting at that moment in
// one transaction (group commit); a sender hears "stored" only after that transaction committed.
class SharedBase {
 public:
  SharedBase(Storage& storage, int minSenders, int64_t pageSize, int pendingDays);
  ~SharedBase();
  SharedBase(const SharedBase&) = delete;
  SharedBase& operator=(const SharedBase&) = delete;

  // Reads the bases from storage and starts the writer.
  void start();
  // Lets the writer finish what is queued and stops it.
  void stop();

  // Stores one user's batch; true once it is committed, false when the storage failed or did
  // not answer within the time limit.
  bool submit(Kind kind, int64_t user, std::vector<std::string> items);

  // Appends page `page` of the rows offered since `date` (all when empty), one per line.
  void page(Kind kind, const std::string& date, int page, std::string& out);

  // The day of the newest offered row, or "2020-01-01" when the base is empty.
  std::string lastDay(Kind kind);

  int64_t pageSize() const { return pageSize_; }

 private:
  struct Batch {
    Kind kind;
    int64_t user;
    std::vector<std::string> items;
    std::promise<bool> done;
  };
  struct Index {
    std::unordered_set<std::string> offered;
    int64_t nextSeq = 1;
  };
  // What readers may see, guarded by published_.
  struct Published {
    std::map<std::string, int64_t> firstSeqOfDay;
    int64_t end = 1;  // one past the last committed seq
    std::string lastDay;
  };

  void load();
  void writerLoop();
  // Deletes a slice of the expired pending sightings; true when more remain.
  bool expireSome();
  // Applies the group to the index and commits it; promote also offers the pending values
  // that already have enough senders (the setting was lowered since they arrived).
  void writeGroup(std::vector<std::unique_ptr<Batch>>& group, bool promote = false);

  Storage& storage_;
  const int minSenders_;
  const int64_t pageSize_;
  const int pendingDays_;
  std::string expiredBefore_;  // the cut-off day of the last finished expiry (writer thread)
  PendingKey expiryCursor_;    // where the expiry pass in progress stands
  int64_t expiredThisPass_ = 0;

  std::array<Index, 3> index_;  // writer thread only (and start-up)

  std::mutex publishedMutex_;
  std::array<Published, 3> published_;

  std::mutex queueMutex_;
  std::condition_variable queueChanged_;
  std::deque<std::unique_ptr<Batch>> queue_;
  bool stopping_ = false;
  bool reloadNeeded_ = false;
  std::thread writer_;
};

}  // namespace quorvel::service
