#pragma once
// quorvel-cli extract: the e-mail extractor over a text file or standard input.

namespace CLI {
class App;
}

namespace quorvel::cli {

void addExtractCommand(CLI::App& app, int& exitCode);

}  // namespace quorvel::cli
