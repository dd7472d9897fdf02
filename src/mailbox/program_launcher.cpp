#include "mailbox/program_launcher.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace quorvel {

bool ProcessLauncher::iniciar(const std::string& programa, const std::vector<std::string>& args) {
  if (::access(programa.c_str(), X_OK) != 0) return false;
  std::vector<std::string> copia = args;
  std::vector<char*> argv;
  std::string nome = programa;
  argv.push_back(nome.data());
  for (auto& a : copia) argv.push_back(a.data());
  argv.push_back(nullptr);
  // Fork twice: the grandchild runs the program and is adopted by init, so no zombie remains.
  pid_t filho = ::fork();
  if (filho < 0) return false;
  if (filho == 0) {
    ::setsid();
    if (::fork() == 0) {
      int nulo = ::open("/dev/null", O_RDWR);
      if (nulo >= 0) {
        ::dup2(nulo, 0);
        ::dup2(nulo, 1);
        ::dup2(nulo, 2);
      }
      ::execv(programa.c_str(), argv.data());
      ::_exit(127);
    }
    ::_exit(0);
  }
  int st = 0;
  ::waitpid(filho, &st, 0);
  return WIFEXITED(st) && WEXITSTATUS(st) == 0;
}

std::string programaEmailTest() {
  if (const char* env = std::getenv("QUORVEL_EMAILTEST"); env && *env) return env;
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (exe.parent_path() / "quorvel-emailtest").string();
}

}  // namespace quorvel
