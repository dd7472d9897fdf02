#pragma once
// quorvel-cli bulk: files of any size validated line by line into big_validos / big_invalidos.

namespace CLI {
class App;
}

namespace quorvel::cli {

void addBulkCommands(CLI::App& app, int& exitCode);

}  // namespace quorvel::cli
