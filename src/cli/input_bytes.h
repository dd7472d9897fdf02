#pragma once
// What a command reads: a file named on the command line, or standard input for "-". A regular
// file is read whole; anything else (a pipe, a /proc file) as a stream until its end.

#include <string>

namespace quorvel::cli {

// Throws CliFailure (status 2) with the reason when the input cannot be read.
std::string readInputBytes(const std::string& nome);
// The text of the input, decoded as the program decodes every file.
std::string readInputText(const std::string& nome);
// True for "-", the name of standard input.
inline bool ehEntradaPadrao(const std::string& nome) {
  return nome == "-";
}

}  // namespace quorvel::cli
