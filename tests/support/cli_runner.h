#pragma once
// Runs quorvel-cli as a user would: through the shell, with a file on stdin.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Result {
  int status;
  std::string out;
};

// Runs a shell command line; its output and exit status.
inline Result capture(const std::string& cmd) {
  FILE* p = ::popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int st = ::pclose(p);
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, out};
}

// Runs the CLI through the shell with `input` on stdin; stderr is merged when asked.
inline Result run(const std::string& args, const std::string& input, bool withStderr = false) {
  std::filesystem::path in =
      std::filesystem::temp_directory_path() / ("quorvel-cli-in-" + std::to_string(::getpid()));
  std::ofstream(in, std::ios::binary) << input;
  Result r = capture(std::string(QUORVEL_CLI) + " " + args + " < " + in.string() +
                     (withStderr ? " 2>&1" : " 2>/dev/null"));
  std::filesystem::remove(in);
  return r;
}

// Runs a whole bash command line (pipes, process substitution) with QUORVEL standing for the
// program; stdout, and stderr when asked.
inline Result runBash(std::string line, bool withStderr = false) {
  for (size_t p; (p = line.find("QUORVEL")) != std::string::npos;) line.replace(p, 7, QUORVEL_CLI);
  std::string quoted = "'";
  for (char c : line) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  quoted += "'";
  return capture("bash -c " + quoted + (withStderr ? " 2>&1" : " 2>/dev/null"));
}

}  // namespace
