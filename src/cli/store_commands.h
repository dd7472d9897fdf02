#pragma once

namespace CLI {
class App;
}

namespace quorvel::cli {

// "db stats" and "mx".
void addStoreCommands(CLI::App& app, int& exitCode);

}  // namespace quorvel::cli
