#include "common/paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace paths = quorvel::paths;

namespace {

// Sets or clears QUORVEL_HOME for one test and puts the previous value back.
class QuorvelHome {
 public:
  QuorvelHome() {
    if (const char* v = std::getenv("QUORVEL_HOME")) saved_ = v;
  }
  ~QuorvelHome() {
    if (saved_)
      ::setenv("QUORVEL_HOME", saved_->c_str(), 1);
    else
      ::unsetenv("QUORVEL_HOME");
  }

 private:
  std::optional<std::string> saved_;
};

TEST(Paths, QuorvelHomeOverridesTheExecutableFolder) {
  QuorvelHome guard;
  const std::string exeFolder =
      std::filesystem::read_symlink("/proc/self/exe").parent_path().string();

  ::setenv("QUORVEL_HOME", "/opt/quorvel portatil", 1);
  EXPECT_EQ(paths::programFolder(), "/opt/quorvel portatil");

  ::setenv("QUORVEL_HOME", "", 1);  // empty counts as unset
  EXPECT_EQ(paths::programFolder(), exeFolder);

  ::unsetenv("QUORVEL_HOME");
  EXPECT_EQ(paths::programFolder(), exeFolder);

  // Not the current directory: changing it does not move the program folder.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path("/");
  EXPECT_EQ(paths::programFolder(), exeFolder);
  std::filesystem::current_path(cwd);
}

TEST(Paths, ProgramFolderIsTheHomeVariableThenAPortableCopyThenTheUsersDataFolder) {
  const std::string portatil = ::testing::TempDir();
  struct Case {
    std::string quorvelHome, exeFolder, xdgDataHome, home, expected;
  } cases[] = {
      {"/srv/q", portatil, "/x", "/home/ana", "/srv/q"},
      // A writable folder of the executable: a portable copy keeps its data beside it.
      {"", portatil, "/x", "/home/ana", portatil},
      // An installed copy (a system folder, writable or not) keeps it in the user's data folder.
      {"", "/usr/bin", "", "/home/ana", "/home/ana/.local/share/quorvel"},
      {"", "/usr/local/bin", "/home/ana/dados", "/home/ana", "/home/ana/dados/quorvel"},
      {"", "/nao/existe", "relativo/invalido", "/home/ana", "/home/ana/.local/share/quorvel"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(paths::programFolderFor(c.quorvelHome, c.exeFolder, c.xdgDataHome, c.home),
              c.expected)
        << c.exeFolder;
  EXPECT_TRUE(paths::isSystemFolder("/usr/bin"));
  EXPECT_TRUE(paths::isSystemFolder("/bin"));
  EXPECT_FALSE(paths::isSystemFolder("/usrx/bin"));
  EXPECT_FALSE(paths::isSystemFolder("/home/ana/quorvel"));
}

TEST(Paths, ListingAFolderGivesKindsSizesAndDates) {
  const std::filesystem::path pasta = std::filesystem::path(::testing::TempDir()) / "listagem";
  std::filesystem::remove_all(pasta);
  std::filesystem::create_directories(pasta / "sub");
  { std::ofstream(pasta / "lista.csv") << std::string(1500, 'x'); }
  const auto quando = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
  std::filesystem::last_write_time(pasta / "lista.csv", quando);

  auto entradas = paths::listFolder(pasta.string());
  std::sort(entradas.begin(), entradas.end(),
            [](const auto& a, const auto& b) { return a.name < b.name; });
  ASSERT_EQ(entradas.size(), 2u);
  EXPECT_EQ(entradas[0].name, "lista.csv");
  EXPECT_FALSE(entradas[0].isDirectory);
  EXPECT_EQ(entradas[0].size, 1500);
  const auto idade = std::chrono::system_clock::now() - entradas[0].lastWrite;
  EXPECT_GT(idade, std::chrono::hours(47));
  EXPECT_LT(idade, std::chrono::hours(49));
  EXPECT_EQ(entradas[1].name, "sub");
  EXPECT_TRUE(entradas[1].isDirectory);
  EXPECT_TRUE(paths::listFolder((pasta / "nao-existe").string()).empty());
  std::filesystem::remove_all(pasta);
}

TEST(Paths, WorkspaceFoldersLieBelowTheProgramFolder) {
  EXPECT_EQ(paths::dados("/home/ana/quorvel"), "/home/ana/quorvel/dados");
  EXPECT_EQ(paths::dadosConfig("/home/ana/quorvel"), "/home/ana/quorvel/dados/config");
  EXPECT_EQ(paths::dadosListas("/home/ana/quorvel"), "/home/ana/quorvel/dados/listas");
  EXPECT_EQ(paths::dadosArquivos("/home/ana/quorvel"), "/home/ana/quorvel/dados/arquivos");
  EXPECT_EQ(paths::dadosConfig("/home/ana/quorvel/"), "/home/ana/quorvel/dados/config");
  EXPECT_EQ(paths::join(paths::dadosConfig("/q"), "quorvel.bd"), "/q/dados/config/quorvel.bd");
}

}  // namespace
