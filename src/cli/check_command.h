#pragma once
// quorvel-cli check: the chain over addresses given as arguments, in a file or on standard
// input.

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace quorvel::cli {

struct CheckOptions {
  std::string home;
  std::string file;  // "-" or empty: standard input (when no address is given)
  bool grid = false;
  bool counters = false;
  bool json = false;
  bool verbose = false;
  std::vector<std::string> disable;
  std::vector<std::string> addresses;
};

void addCheckCommand(CLI::App& app, CheckOptions& options, int& exitCode);
int runCheck(const CheckOptions& options);

}  // namespace quorvel::cli
