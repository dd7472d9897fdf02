#pragma once

namespace CLI {
class App;
}

namespace quorvel::cli {

// "list dedupe|exclude|names|generate" and "validate-list".
void addListCommands(CLI::App& app, int& exitCode);

}  // namespace quorvel::cli
