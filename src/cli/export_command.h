#pragma once

namespace CLI {
class App;
}

namespace quorvel::cli {

// "export": a list file written as ";" text, an HTML table or a spreadsheet, with the export
// window's utilities on the way.
void addExportCommand(CLI::App& app, int& exitCode);

}  // namespace quorvel::cli
