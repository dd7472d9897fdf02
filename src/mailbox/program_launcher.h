#pragma once
// Starting another program (the settings-discovery program) without waiting for it.

#include <string>
#include <vector>

namespace quorvel {

class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;
  // Starts `programa` with `args`; false when it could not be started (missing, not executable,
  // not a program the system can run).
  virtual bool iniciar(const std::string& programa, const std::vector<std::string>& args) = 0;
};

// A detached child process: it outlives nothing it should not and leaves no zombie behind.
class ProcessLauncher : public ProgramLauncher {
 public:
  bool iniciar(const std::string& programa, const std::vector<std::string>& args) override;
};

// The settings-discovery program: QUORVEL_EMAILTEST when set, else quorvel-emailtest beside the
// running program.
std::string programaEmailTest();

}  // namespace quorvel
