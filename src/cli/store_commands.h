#pragma once
// What the workspace's database learnt, seen and corrected from the command line: "db stats",
// "db mx list", "db mx forget", "mx" and "negative remove".

namespace CLI {
class App;
}

namespace quorvel::cli {

void addStoreCommands(CLI::App& app, int& exitCode);
// "negative remove", under the "negative" command the mail commands make.
void addNegativeRemove(CLI::App& negative, int& exitCode);

}  // namespace quorvel::cli
