#include "mailbox/program_launcher.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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
  // The program's start is told through a pipe closed by a successful exec: nothing comes
  // through it then, while a failed exec sends its errno.
  int canal[2];
  if (::pipe2(canal, O_CLOEXEC) != 0) return false;
  // Fork twice: the grandchild runs the program and is adopted by init, so no zombie remains.
  pid_t filho = ::fork();
  if (filho < 0) {
    ::close(canal[0]);
    ::close(canal[1]);
    return false;
  }
  if (filho == 0) {
    ::setsid();
    ::close(canal[0]);
    if (::fork() == 0) {
      int nulo = ::open("/dev/null", O_RDWR);
      if (nulo >= 0) {
        ::dup2(nulo, 0);
        ::dup2(nulo, 1);
        ::dup2(nulo, 2);
      }
      ::execv(programa.c_str(), argv.data());
      int erro = errno;
      (void)!::write(canal[1], &erro, sizeof erro);
      ::_exit(127);
    }
    ::_exit(0);
  }
  ::close(canal[1]);
  int st = 0;
  ::waitpid(filho, &st, 0);
  int erro = 0;
  ssize_t n;
  while ((n = ::read(canal[0], &erro, sizeof erro)) < 0 && errno == EINTR) {
  }
  ::close(canal[0]);
  return WIFEXITED(st) && WEXITSTATUS(st) == 0 && n == 0;
}

std::string programaEmailTest() {
  if (const char* env = std::getenv("QUORVEL_EMAILTEST"); env && *env) return env;
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (exe.parent_path() / "quorvel-emailtest").string();
}

}  // namespace quorvel
