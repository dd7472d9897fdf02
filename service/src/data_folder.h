#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace quorvel::service {

// The service's data folder:
//   DIR/download/          what clients may download (definitions.txt, the filter files, the
//                          build files, release notes, the setup package)
//   DIR/quorvel-service.db the embedded database (when no PostgreSQL is named)
class DataFolder {
 public:
  explicit DataFolder(std::filesystem::path root);

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path downloadDir() const { return root_ / "download"; }
  std::filesystem::path sqlitePath() const { return root_ / "quorvel-service.db"; }

  // Creates the folders; a download folder without definitions.txt gets the seed filter files
  // from seedDir (when it holds them) and their dates. Returns true when it seeded.
  bool prepare(const std::filesystem::path& seedDir);

  // Replaces a download file atomically. A definition name (armadilhas, paises, nomes_raros,
  // sites_ignorados, provedores) names its filter file and also sets today's date in
  // definitions.txt. Throws std::runtime_error with a Portuguese message.
  void publish(const std::string& name, const std::filesystem::path& source);

  // Writes buildatual.txt and buildminimo.txt.
  void setBuilds(long current, long minimum);

  // The file published under a definition name, or empty when name is none.
  static std::string definitionFile(const std::string& name);

  std::map<std::string, std::string> readDefinitions() const;

 private:
  void setDefinitionDates(const std::map<std::string, std::string>& dates);
  std::filesystem::path root_;
};

// Writes a file through a temporary beside it, synced, then renamed over the target.
void writeFileAtomically(const std::filesystem::path& target, const std::string& content);

}  // namespace quorvel::service
