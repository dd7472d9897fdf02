#pragma once

namespace CLI {
class App;
}

namespace quorvel::cli {

// "extract" and "bulk".
void addBulkCommands(CLI::App& app, int& exitCode);

}  // namespace quorvel::cli
