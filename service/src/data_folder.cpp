#include "data_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "dates.h"
#include "text_checks.h"

namespace fs = std::filesystem;

namespace quorvel::service {
namespace {

const std::vector<std::pair<std::string, std::string>> kDefinitions = {
    {"armadilhas", "sys_armadilhas.filter"},  {"paises", "sys_paises.filter"},
    {"nomes_raros", "sys_nomesraros.filter"}, {"sites_ignorados", "sys_sitesignorados.filter"},
    {"provedores", "sys_provedores.filter"},
};

[[noreturn]] void failWith(const std::string& message) {
  throw std::runtime_error(message);
}

void syncDirectory(const fs::path& dir) {
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// Copies source into a synced temporary file beside target and renames it over target.
void copyAtomically(const fs::path& source, const fs::path& target) {
  fs::path temp = target.parent_path() / ("." + target.filename().string() + ".tmp");
  int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) failWith("não foi possível ler " + source.string());
  int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) {
    ::close(in);
    failWith("não foi possível criar " + temp.string());
  }
  char buffer[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      ok = false;
      break;
    }
    for (ssize_t off = 0; off < n;) {
      ssize_t w = ::write(out, buffer + off, static_cast<size_t>(n - off));
      if (w <= 0) {
        ok = false;
        break;
      }
      off += w;
    }
    if (!ok) break;
  }
  ok = ok && ::fsync(out) == 0;
  ::close(in);
  ok = ::close(out) == 0 && ok;
  if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    failWith("falha ao gravar " + target.string() + " (o arquivo anterior foi mantido)");
  }
  syncDirectory(target.parent_path());
}

// Serialises changes of definitions.txt between processes.
class FolderLock {
 public:
  explicit FolderLock(const fs::path& dir) {
    fd_ = ::open((dir / ".publish.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0) failWith("não foi possível travar " + dir.string());
  }
  ~FolderLock() { ::close(fd_); }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace

void writeFileAtomically(const fs::path& target, const std::string& content) {
  fs::path temp = target.parent_path() / ("." + target.filename().string() + ".src.tmp");
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out.flush()) failWith("falha ao gravar " + temp.string());
  }
  try {
    copyAtomically(temp, target);
  } catch (...) {
    fs::remove(temp);
    throw;
  }
  fs::remove(temp);
}

DataFolder::DataFolder(fs::path root) : root_(std::move(root)) {}

std::string DataFolder::definitionFile(const std::string& name) {
  for (const auto& [definition, file] : kDefinitions) {
    if (definition == name) return file;
  }
  return {};
}

bool DataFolder::prepare(const fs::path& seedDir) {
  fs::create_directories(downloadDir());
  if (fs::exists(downloadDir() / "definitions.txt")) return false;
  std::map<std::string, std::string> dates;
  std::string today = todayUtc();
  for (const auto& [definition, file] : kDefinitions) {
    fs::path target = downloadDir() / file;
    if (fs::exists(target)) continue;
    if (!seedDir.empty() && fs::exists(seedDir / file)) {
      copyAtomically(seedDir / file, target);
      dates[definition] = today;
    } else {
      writeFileAtomically(target, "");
    }
  }
  FolderLock lock(downloadDir());
  setDefinitionDates(dates);
  return !dates.empty();
}

std::map<std::string, std::string> DataFolder::readDefinitions() const {
  std::map<std::string, std::string> values;
  std::ifstream in(downloadDir() / "definitions.txt", std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    std::string_view text = trimControl(line);
    size_t eq = text.find('=');
    if (eq == std::string_view::npos) continue;
    values[std::string(text.substr(0, eq))] = std::string(text.substr(eq + 1));
  }
  return values;
}

void DataFolder::setDefinitionDates(const std::map<std::string, std::string>& dates) {
  auto values = readDefinitions();
  for (const auto& [name, date] : dates) values[name] = date;
  std::string text;
  for (const auto& [definition, file] : kDefinitions) {  // the usual order first
    auto it = values.find(definition);
    if (it == values.end()) continue;
    text += definition + "=" + it->second + "\n";
    values.erase(it);
  }
  for (const auto& [name, date] : values) text += name + "=" + date + "\n";
  writeFileAtomically(downloadDir() / "definitions.txt", text);
}

void DataFolder::publish(const std::string& name, const fs::path& source) {
  std::string file = definitionFile(name);
  bool definition = !file.empty();
  if (!definition) {
    if (!isPublicFileName(name)) {
      failWith("nome inválido: " + name +
               " (use armadilhas, paises, nomes_raros, sites_ignorados ou um nome de arquivo "
               "com letras, números, \".\", \"-\" e \"_\")");
    }
    if (name == "definitions.txt" || name == "buildatual.txt" || name == "buildminimo.txt") {
      failWith(name + " é mantido pelo serviço: use \"build set\" para as versões");
    }
    file = name;
  }
  if (!fs::is_regular_file(source)) failWith("arquivo não encontrado: " + source.string());
  fs::create_directories(downloadDir());
  FolderLock lock(downloadDir());
  copyAtomically(source, downloadDir() / file);
  if (definition) setDefinitionDates({{name, todayUtc()}});
}

void DataFolder::setBuilds(long current, long minimum) {
  if (current <= 0 || minimum <= 0) failWith("as versões devem ser números inteiros positivos");
  if (minimum > current) failWith("a versão mínima não pode passar da versão atual");
  fs::create_directories(downloadDir());
  FolderLock lock(downloadDir());
  writeFileAtomically(downloadDir() / "buildatual.txt", std::to_string(current) + "\n");
  writeFileAtomically(downloadDir() / "buildminimo.txt", std::to_string(minimum) + "\n");
}

}  // namespace quorvel::service
