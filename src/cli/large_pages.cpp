#include "cli/large_pages.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace quorvel::cli {

void restartWithLargePages(char** argv) {
  constexpr const char* kAjuste = "glibc.malloc.hugetlb=1";
  const char* atual = std::getenv("GLIBC_TUNABLES");
  const std::string ajustes = atual ? atual : "";
  if (ajustes.find("glibc.malloc.hugetlb") != std::string::npos) return;
  // "always": every heap gets them already; "never": none to have.
  std::string modo;
  std::getline(std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled"), modo);
  if (modo.find("[madvise]") == std::string::npos) return;
  const std::string novo = ajustes.empty() ? kAjuste : ajustes + ":" + kAjuste;
  if (::setenv("GLIBC_TUNABLES", novo.c_str(), 1) != 0) return;
  ::execv("/proc/self/exe", argv);
  // Not restarted: on as it is, without the setting.
  if (atual)
    ::setenv("GLIBC_TUNABLES", atual, 1);
  else
    ::unsetenv("GLIBC_TUNABLES");
}

}  // namespace quorvel::cli
