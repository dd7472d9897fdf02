#include <sys/stat.h>

#include <iostream>

#include "options.h"
#include "service_app.h"

int main(int argc, char** argv) {
  using namespace quorvel::service;
  // The data folder holds the users' key hashes: what the service creates is its owner's only.
  ::umask(077);
  try {
    Options options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help) {
      std::cout << usageText();
      return 0;
    }
    if (options.version) {
      std::cout << "quorvel-service 1.0\n";
      return 0;
    }
    return options.command.empty() ? runServer(options) : runCommand(options);
  } catch (const UsageError& e) {
    std::cerr << "quorvel-service: " << e.what() << "\n\n" << usageText();
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "quorvel-service: " << e.what() << "\n";
    return 1;
  }
}
