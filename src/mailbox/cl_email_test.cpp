#include "mailbox/cl_email_test.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/paths.h"
#include "common/text.h"
#include "common/text_file.h"

namespace quorvel {

CLEmailTest::CLEmailTest(std::string pasta, ProgramLauncher& launcher, EventPump& pump,
                         std::string programa)
    : pasta_(std::move(pasta)), launcher_(launcher), pump_(pump), programa_(std::move(programa)) {}

bool CLEmailTest::execEmailTest() {
  return launcher_.iniciar(programa_, {"--home", pasta_});
}

bool CLEmailTest::saveInputRequest(const std::string& tipoRequest, const std::string& email,
                                   const std::string& senha) {
  std::error_code ec;
  std::filesystem::remove(paths::join(pasta_, kArquivoResposta), ec);
  // Made for its owner alone from the start: never, not even for a moment, readable by others.
  return writeFileAtomic(paths::join(pasta_, kArquivoPedido),
                         "1\n" + tipoRequest + "\n" + email + "\n" + senha + "\n", {0600, {}})
      .ok;
}

bool CLEmailTest::getOutputConfig(std::vector<std::string>& lista) {
  std::string caminho = paths::join(pasta_, kArquivoResposta);
  auto linhas = readTextLines(caminho);
  if (!linhas) return false;
  lista = std::move(*linhas);
  pump_.processEvents();
  if (esperaMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(esperaMs));
  std::error_code ec;
  std::filesystem::remove(caminho, ec);
  return true;
}

void CLEmailTest::closeEmailTest() {
  writeFileAtomic(paths::join(pasta_, kArquivoPedido), "2\n");
}

}  // namespace quorvel
