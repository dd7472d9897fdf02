#pragma once
// The program folder and the workspace below it. Every path is relative to the program folder,
// never to the current directory.

#include <cstdint>
#include <string>

namespace quorvel::paths {

// The folder of the running executable; the environment variable QUORVEL_HOME overrides it.
std::string programFolder();

// Joins with the platform separator.
std::string join(const std::string& a, const std::string& b);

// Workspace folders below a program folder.
std::string dados(const std::string& home);          // dados
std::string dadosConfig(const std::string& home);    // dados/config
std::string dadosListas(const std::string& home);    // dados/listas
std::string dadosArquivos(const std::string& home);  // dados/arquivos

// Creates one folder; an existing folder is fine and failures are ignored.
void createFolder(const std::string& path);
bool exists(const std::string& path);
bool isFolder(const std::string& path);
// Size of a file in bytes; -1 when it cannot be read.
int64_t getTamanhoArquivo(const std::string& path);
// The name without its folder.
std::string fileName(const std::string& path);

}  // namespace quorvel::paths
