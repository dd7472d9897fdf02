#pragma once

#include "options.h"

namespace quorvel::service {

// Runs the server until SIGINT or SIGTERM; returns the exit code.
int runServer(const Options& options);

// user / publish / build subcommands; returns the exit code.
int runCommand(const Options& options);

}  // namespace quorvel::service
