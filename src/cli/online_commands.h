#pragma once

namespace CLI {
class App;
}

namespace quorvel::cli {

// "definitions check|update", "collaboration on|off|status", "update check".
void addOnlineCommands(CLI::App& app, int& exitCode);

}  // namespace quorvel::cli
