#include "cli/secret_input.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace quorvel::cli {

std::string lerSegredo(const std::string& opcao, const char* rotulo) {
  if (opcao != "-") return opcao;
  std::string s;
  if (::isatty(STDIN_FILENO)) {
    std::fprintf(stderr, "%s: ", rotulo);
    termios antes{};
    ::tcgetattr(STDIN_FILENO, &antes);
    termios sem = antes;
    sem.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &sem);
    std::getline(std::cin, s);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &antes);
    std::fprintf(stderr, "\n");
  } else {
    std::getline(std::cin, s);
  }
  if (!s.empty() && s.back() == '\r') s.pop_back();
  return s;
}

}  // namespace quorvel::cli
