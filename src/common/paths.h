#pragma once
// The program folder and the workspace below it. Every path is relative to the program folder,
// never to the current directory.

#include <cstdint>
#include <string>
#include <vector>

#include "common/ports.h"

namespace quorvel::paths {

// Where dados/, the settings files and tipfile.txt live: QUORVEL_HOME when set; else the folder
// of the running executable when the user can write there (a portable copy) and it is not a
// system folder; else $XDG_DATA_HOME/quorvel (~/.local/share/quorvel), created when missing
// (for its owner alone).
std::string programFolder();
// The rule itself, over the values it reads (for tests).
std::string programFolderFor(const std::string& quorvelHome, const std::string& exeFolder,
                             const std::string& xdgDataHome, const std::string& home);
// Folders an installed program lives in; never used as a workspace even when writable (root
// can write to /usr/bin).
bool isSystemFolder(const std::string& folder);
bool isWritableFolder(const std::string& folder);

// Joins with the platform separator.
std::string join(const std::string& a, const std::string& b);

// Workspace folders below a program folder.
std::string dados(const std::string& home);          // dados
std::string dadosConfig(const std::string& home);    // dados/config
std::string dadosListas(const std::string& home);    // dados/listas
std::string dadosArquivos(const std::string& home);  // dados/arquivos

// Creates one folder that only its owner may enter (0700); an existing folder is left as it is
// and failures are ignored.
void createFolder(const std::string& path);
bool exists(const std::string& path);
bool isFolder(const std::string& path);
// Size of a file in bytes; -1 when it cannot be read.
int64_t getTamanhoArquivo(const std::string& path);
// The name without its folder.
std::string fileName(const std::string& path);

// The entries of a folder ("." and ".." left out) with their kind, size and last change;
// empty when the folder cannot be read.
std::vector<FileEntry> listFolder(const std::string& folder);

}  // namespace quorvel::paths
