#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quorvel::bench {

// A lean HTTP/1.1 keep-alive client for the load benchmark, so that the load generator spends
// as little of the machine's CPU as possible beside the server it measures.
class LoadClient {
 public:
  explicit LoadClient(int port);
  ~LoadClient();
  LoadClient(const LoadClient&) = delete;
  LoadClient& operator=(const LoadClient&) = delete;

  struct Answer {
    int status = 0;  // 0: transport failure
    std::string body;
  };
  // POSTs the fields as multipart/form-data to sync.php; reconnects once when the server
  // closed the kept-alive connection.
  Answer sync(const std::vector<std::pair<std::string, std::string>>& fields);

 private:
  bool connectNow();
  Answer exchange(const std::string& request);
  int port_;
  int sock_ = -1;
  std::string buffer_;
};

}  // namespace quorvel::bench
