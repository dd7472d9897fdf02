// quorvel-emailtest: the settings-discovery program beside Quorvel. It watches input.cfg in the
// program's folder; a request ("1", "IMAP", address, password) is answered in output.cfg, and
// "2" ends it. It also ends by itself after ten idle minutes, or when its folder is gone.
//
//   quorvel-emailtest [--home DIR]     (default: QUORVEL_HOME, else its own folder)

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/text.h"
#include "common/text_file.h"
#include "settings_discovery.h"

namespace {

std::string pastaPadrao() {
  if (const char* h = std::getenv("QUORVEL_HOME"); h && *h) return h;
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string();
}

std::string juntar(const std::vector<std::string>& linhas) {
  std::string r;
  for (const auto& l : linhas) r += l + "\r\n";
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  std::string home = pastaPadrao();
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--home") home = argv[++i];
  namespace fs = std::filesystem;
  const fs::path pedido = fs::path(home) / "input.cfg";
  const fs::path resposta = fs::path(home) / "output.cfg";
  const auto ocioso = std::chrono::minutes(10);
  auto ultimo = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - ultimo < ocioso) {
    auto linhas = quorvel::readTextLines(pedido.string());
    if (!linhas) {
      // A folder that is gone will send no more requests.
      if (!fs::is_directory(home)) return 0;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      continue;
    }
    std::error_code ec;
    fs::remove(pedido, ec);
    ultimo = std::chrono::steady_clock::now();
    std::string tipo = linhas->empty() ? "" : quorvel::trim((*linhas)[0]);
    if (tipo == "2") return 0;
    std::vector<std::string> r;
    if (tipo == "1" && linhas->size() >= 4 && quorvel::trim((*linhas)[1]) == "IMAP")
      r = quorvel::emailtest::descobrir(quorvel::trim((*linhas)[2]), (*linhas)[3]);
    else
      r = {"0", "IMAP", "Pedido de configuração inválido."};
    // Written whole under another name and renamed, so the window never reads half an answer.
    quorvel::writeFileAtomic(resposta.string(), juntar(r));
  }
  return 0;
}
