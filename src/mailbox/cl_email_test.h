#pragma once
// The file exchange with the settings-discovery program, in the program's folder:
//   input.cfg   the request, one value per line: "1", "IMAP", the address, the password;
//               or the single line "2", which stops the program;
//   output.cfg  the answer: line 1 is "1" on success, otherwise line 3 holds the error for the
//               user; on success also name=value lines (tipoAuth, TLS, versaoIP, ModoSSL,
//               MetodoSSL, Porta, Servidor, username).

#include <string>
#include <vector>

#include "common/ports.h"
#include "mailbox/program_launcher.h"

namespace quorvel {

inline constexpr const char* kArquivoPedido = "input.cfg";
inline constexpr const char* kArquivoResposta = "output.cfg";

class CLEmailTest {
 public:
  CLEmailTest(std::string pasta, ProgramLauncher& launcher, EventPump& pump,
              std::string programa = programaEmailTest());

  // Starts the discovery program for this folder.
  bool execEmailTest();
  // Writes the request whole (a stale answer of an earlier request is removed first). The file
  // holds the password: only its owner can read it.
  bool saveInputRequest(const std::string& tipoRequest, const std::string& email,
                        const std::string& senha);
  // True when the answer file existed: its lines in `lista`, then a short wait and the file is
  // removed.
  bool getOutputConfig(std::vector<std::string>& lista);
  // Asks the program to stop.
  void closeEmailTest();

  int esperaMs = 200;
  const std::string& pasta() const { return pasta_; }

 private:
  std::string pasta_;
  ProgramLauncher& launcher_;
  EventPump& pump_;
  std::string programa_;
};

}  // namespace quorvel
