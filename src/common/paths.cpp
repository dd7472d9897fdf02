#include "common/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace quorvel::paths {

namespace {

std::string env(const char* nome) {
  const char* v = std::getenv(nome);
  return v ? v : "";
}

bool startsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

bool isSystemFolder(const std::string& folder) {
  const std::string f = fs::path(folder).lexically_normal().string();
  return startsWith(f, "/usr/") || f == "/usr" || f == "/bin" || f == "/sbin" ||
         startsWith(f, "/bin/") || startsWith(f, "/sbin/");
}

bool isWritableFolder(const std::string& folder) {
  return !folder.empty() && isFolder(folder) && ::access(folder.c_str(), W_OK) == 0;
}

std::string programFolderFor(const std::string& quorvelHome, const std::string& exeFolder,
                             const std::string& xdgDataHome, const std::string& home) {
  if (!quorvelHome.empty()) return quorvelHome;
  if (isWritableFolder(exeFolder) && !isSystemFolder(exeFolder)) return exeFolder;
  // XDG: a relative XDG_DATA_HOME is invalid and ignored.
  std::string dados = xdgDataHome;
  if (dados.empty() || dados.front() != '/')
    dados = join(home.empty() ? "/tmp" : home, ".local/share");
  return join(dados, "quorvel");
}

std::string programFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  const std::string exeFolder = ec ? std::string() : exe.parent_path().string();
  std::string pasta =
      programFolderFor(env("QUORVEL_HOME"), exeFolder, env("XDG_DATA_HOME"), env("HOME"));
  if (pasta != exeFolder && !isFolder(pasta)) {
    // The parents as the system makes them, the program's own folder for its owner alone: it
    // holds the settings and the request file of the discovery program.
    fs::create_directories(fs::path(pasta).parent_path(), ec);
    ::mkdir(pasta.c_str(), 0700);
  }
  return pasta;
}

std::string join(const std::string& a, const std::string& b) {
  return (fs::path(a) / fs::path(b)).string();
}

std::string dados(const std::string& home) {
  return join(home, "dados");
}
std::string dadosConfig(const std::string& home) {
  return join(dados(home), "config");
}
std::string dadosListas(const std::string& home) {
  return join(dados(home), "listas");
}
std::string dadosArquivos(const std::string& home) {
  return join(dados(home), "arquivos");
}

void createFolder(const std::string& path) {
  // The workspace holds the store (with the mail passwords) and the user's lists: only its owner
  // may enter a folder the program makes.
  ::mkdir(path.c_str(), 0700);
}

bool exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

bool isFolder(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

int64_t getTamanhoArquivo(const std::string& path) {
  std::error_code ec;
  auto n = fs::file_size(path, ec);
  return ec ? -1 : static_cast<int64_t>(n);
}

std::string fileName(const std::string& path) {
  return fs::path(path).filename().string();
}

std::vector<FileEntry> listFolder(const std::string& folder) {
  std::vector<FileEntry> out;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), fim; !ec && it != fim; it.increment(ec)) {
    FileEntry e;
    e.name = it->path().filename().string();
    std::error_code ec2;
    e.isDirectory = it->is_directory(ec2);
    if (!e.isDirectory) {
      auto n = it->file_size(ec2);
      e.size = ec2 ? 0 : static_cast<int64_t>(n);
    }
    struct stat st {};
    if (::stat(it->path().c_str(), &st) == 0)
      e.lastWrite = std::chrono::system_clock::from_time_t(st.st_mtime);
    out.push_back(std::move(e));
  }
  return out;
}

}  // namespace quorvel::paths
