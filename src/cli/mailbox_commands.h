#pragma once

namespace CLI {
class App;
}

namespace quorvel::cli {

// "accounts add/list/test/remove/active", "mailbox check", "negative list/add".
void addMailboxCommands(CLI::App& app, int& exitCode);
// The "accounts" part of them.
void addAccountsCommands(CLI::App& app, int& exitCode);

}  // namespace quorvel::cli
