#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace quorvel::cli {

struct CheckOptions {
  std::string home;
  bool grid = false;
  bool counters = false;
  bool verbose = false;
  std::vector<std::string> disable;
  std::vector<std::string> addresses;
};

void addCheckCommand(CLI::App& app, CheckOptions& options, int& exitCode);
int runCheck(const CheckOptions& options);

}  // namespace quorvel::cli
